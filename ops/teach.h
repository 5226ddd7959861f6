// SPDX-License-Identifier: GPL-3.0-or-later
// Teach operations and the mirror of the teach value and tolerance on the main panel.
#pragma once

int CC_ButtonTeach(int panel, int control, int event, void *callbackData, int eventData1,
                   int eventData2);
int CC_BTNTeachBackGround(int panel, int control, int event, void *callbackData, int eventData1,
                          int eventData2);
int CC_NEDITTeach(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int CC_NEDITTolerance(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
