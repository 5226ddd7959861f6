// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the application is at work, for tools above it that must not start anything then.
#pragma once

// True while a callback of the application runs (a control, panel, timer or serial callback),
// also while it waits in ProcessSystemEvents; false in the idle event loop.
bool rtApplicationBusy();
