// SPDX-License-Identifier: GPL-3.0-or-later
// The tick timer around every wait for the sensor: each wait starts and ends with ttick at 0
// and gives up once ttick exceeds its limit.
//
// A callback may start a wait inside another one (Teach during Run, Get during a video block
// read). The inner wait must not switch the timer off under the outer one, or the outer wait
// would never time out; so only the outermost wait switches it off. A wait that is not nested
// enables the timer and zeroes ttick before, disables it and zeroes ttick after.
#pragma once

// The time-out rule: a wait fails once ttick exceeds this (the 31st tick, about 1.55 s).
constexpr unsigned short kTimeoutTicks = 30;

// Enables the timer and zeroes ttick; every call is paired with one StopTickTimer.
void StartTickTimer();
// Zeroes ttick; disables the timer unless an outer wait still runs.
void StopTickTimer();

int CC_Timer50ms(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
