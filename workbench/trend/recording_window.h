// SPDX-License-Identifier: GPL-3.0-or-later
// File → Open recording…: a recording of live frames in a trend window of its own, titled with
// the file, with the live trend's chart, spans, zoom, cursors and statistics over its rows.
#pragma once

#include <QString>

class QWidget;

// Reads `path` and shows it in a new window of `parent`; a file that is refused, or read only
// in part, is told in a message box (and, read in part, under the window's chart). The window
// owns the frames and deletes itself when closed. Returns the window, or nullptr when refused.
QWidget *OpenRecordingWindow(const QString &path, QWidget *parent);
