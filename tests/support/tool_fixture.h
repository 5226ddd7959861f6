// SPDX-License-Identifier: GPL-3.0-or-later
// Brings up the tool's panels in a test process the way start-up does, without opening a
// serial port: the callbacks registered, both panels loaded from the panel file beside the
// test executable, and the starting state of InitVars in place.
#pragma once

#include <QString>

// Loads the panels, tells a listening workbench so, and runs InitVars. Returns false (with a QTest
// failure message) on error.
bool StartToolPanels();
// Discards both panels and closes the serial port in use.
void StopToolPanels();

// Pumps ProcessSystemEvents for about `ms` milliseconds.
void PumpEvents(int ms);
// Pumps until `done()` holds or `ms` elapse; returns done().
template <typename Done> bool PumpUntil(Done done, int ms);

// The status line's text.
QString StatusText();

// A left click on a control of the main panel, as a user's, and a short pump for what follows.
void Click(int control);
// Stop's callback as a left click on it calls it, at once: also from inside a wait that holds
// the user's input back.
void ClickStop();

#include "tool_fixture_impl.h"
