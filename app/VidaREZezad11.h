// SPDX-License-Identifier: GPL-3.0-or-later
// The main module: start-up, the starting state, the pop-up button and the end.
#pragma once

// Program entry in the role of the platform's WinMain: 0 after a normal end, -1 when the
// platform or a panel cannot be initialised or loaded.
int WinMain(int argc, char **argv);
void InitVars();
// Registers every callback name of the panel file.
void RegisterCallbacks();

int CC_PANEL(int panel, int event, void *callbackData, int eventData1, int eventData2);
int CC_BTN_CCDSettings(int panel, int control, int event, void *callbackData, int eventData1,
                       int eventData2);
int CC_BTNQuit(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
