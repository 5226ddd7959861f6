// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the window system that Qt will pick for this process can be reached. Qt aborts when
// no platform plugin starts, so start-up asks first and fails cleanly instead.
#pragma once

#include <string>

// Empty when a platform Qt would try can start: one that needs no display server (offscreen,
// minimal, ...), an X server that accepts a connection, or a Wayland compositor that does.
// Otherwise why none can, e.g. "DISPLAY is not set". Follows Qt's own choice: the -platform
// argument, else QT_QPA_PLATFORM, else Wayland (when the session says so) before X.
std::string rtWindowSystemProblem(int argc, char **argv);
