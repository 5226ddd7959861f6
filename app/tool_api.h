// SPDX-License-Identifier: GPL-3.0-or-later
// What the service workbench may know of the tool and ask of it. The workbench reads the tool
// through these calls and learns what happens from the notifications (state/notify.h); it never
// touches the tool's variables or finds the panels' controls by number.
#pragma once

#include "state/notify.h"

// The main panel, a runtime panel handle: its window carries the workbench's menus and windows.
int ToolMainPanel();

// The places on the main panel the workbench adds to or looks at.
enum class ToolPlace {
    StatusLine,
    PortRing,
    SendButton,
    MainGraph,
    VideoGraph,
    RamChoice,
    EepromChoice,
    FileChoice,
};
// The runtime control id of `place` on the main panel.
int ToolControl(ToolPlace place);

// The panel and control that edit word `word` of the parameter set; {0, 0} outside the set.
struct ToolWordControl {
    int panel;
    int control;
};
ToolWordControl ToolControlOfWord(int word);
// The words the panels hold now, in packet order, as a Send would take them.
void ToolPanelWords(unsigned short *words);

// The port in use: its number in the Port ring.
int ToolPortInUse();
// Where Send and Get go.
ParamPlace ToolStorageTarget();
// The folder the parameter file dialogs start in.
const char *ToolProjectFolder();
// Whether the unit switch shows pixels; micrometres otherwise.
bool ToolShowsPixels();
// Whether Run or Data runs.
bool ToolMeasuring();

// Opens `port` as if the user picked it in the Port ring: it is queued behind what the user
// did before, and runs when no operation does.
void ToolPickPort(int port);

// Puts `level` into the Video threshold field as if the user typed it, queued behind what the
// user did before. Like every edit it reaches the sensor only with Send.
void ToolTypeVideoThreshold(int level);

// How a reopen of a port whose device came back ended.
enum class ToolReopen { LineChecked, OpenFailed, GaveWay };
// Opens `port` again and checks its line; the check gives way to the user's input (see
// ReopenRS232). Call it only while no operation runs.
ToolReopen ToolReopenPort(int port);

// Queue a click as the user's: each runs when no operation does, after what came before.
// Send and Get go to the storage target chosen when they run.
void ToolClickSend();
void ToolClickGet();
// Chooses where Send and Get go, as a click on the RAM, EEPROM or File button: queue it
// after the clicks that must still go to the target chosen before.
void ToolChooseTarget(ParamPlace place);
// Puts `words` (PNUM of them, in packet order) on the panels' controls, as if the user typed
// them: the sensor and the tool's variables stay as they are until a Send.
void ToolShowOnPanels(const unsigned short *words);
