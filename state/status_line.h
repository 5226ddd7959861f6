// SPDX-License-Identifier: GPL-3.0-or-later
// The status line of the main panel and szStatus, the text an operation builds before it
// shows it.
#pragma once

// Shows a text on the status line.
void ShowStatus(const char *text);
// Copies a text into szStatus, cut to fit.
void SetStatusText(const char *text);
