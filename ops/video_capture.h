// SPDX-License-Identifier: GPL-3.0-or-later
// Video capture: Data reads the video signal and one live frame in turn until stopped.
#pragma once

int CC_BTNData(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
