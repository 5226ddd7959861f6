// SPDX-License-Identifier: GPL-3.0-or-later
// Live monitoring: Run polls the sensor and draws every reply until Stop or a time-out.
#pragma once

int CC_BTNRun(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);
int CC_BTNStop(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
