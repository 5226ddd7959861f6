// SPDX-License-Identifier: GPL-3.0-or-later
// Repaints held back while an operation is between its steps. A pass of ProcessSystemEvents
// that does not wait runs between an operation's steps (a reply was just taken in and the next
// request is about to go): painting there would hold that request up. Its windows' repaints
// wait for the next pass that waits, which is the one in which the sensor answers, or at most
// one screen frame when no pass waits.
#pragma once

// Holds the repaints asked for from now on until rtEndPaintHold.
void rtBeginPaintHold();
void rtEndPaintHold();
// Lets every held repaint happen at the next processing of events.
void rtReleasePaints();

// A request just written is still being passed on to the line by the system for a moment;
// repaints wait until then too. Called after each write to a port.
void rtNoteRequestWritten();
// Milliseconds left of that moment, 0 when it is over.
int rtRequestSettlingMs();
