// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/tool_api.h"

#include "ops/port_setup.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"

int ToolMainPanel() {
    return panelHandle;
}

int ToolControl(ToolPlace place) {
    switch (place) {
    case ToolPlace::StatusLine:
        return MAIN_STATUS;
    case ToolPlace::PortRing:
        return MAIN_PORT;
    case ToolPlace::SendButton:
        return MAIN_SEND;
    case ToolPlace::MainGraph:
        return MAIN_MAINGRAPH;
    case ToolPlace::VideoGraph:
        return MAIN_VIDEOGRAPH;
    case ToolPlace::RamChoice:
        return MAIN_RAM;
    case ToolPlace::EepromChoice:
        return MAIN_EEPROM;
    case ToolPlace::FileChoice:
        return MAIN_FILE;
    }
    return 0;
}

ToolWordControl ToolControlOfWord(int word) {
    const BoundControl bound = BoundControlOf(word);
    return {bound.panel, bound.control};
}

void ToolPanelWords(unsigned short *words) {
    ReadPanelWords(words);
}

int ToolPortInUse() {
    return com;
}

ParamPlace ToolStorageTarget() {
    switch (target) {
    case EEPROM:
        return ParamPlace::Eeprom;
    case DATFILE:
        return ParamPlace::File;
    default:
        return ParamPlace::Ram;
    }
}

const char *ToolProjectFolder() {
    return proj_dir;
}

bool ToolShowsPixels() {
    int unit = 0;
    GetCtrlVal(panelHandle, MAIN_UNIT, &unit);
    return (unit & 0xFFFF) == 1;
}

bool ToolMeasuring() {
    return stop_flag != 1;
}

// As the ring does for the user: a change of value (only when there is one), then the commit.
void ToolPickPort(int port) {
    int shown = 0;
    GetCtrlVal(panelHandle, MAIN_PORT, &shown);
    SetCtrlVal(panelHandle, MAIN_PORT, port);
    if (shown != port)
        QueueCtrlEvent(panelHandle, MAIN_PORT, EVENT_VAL_CHANGED);
    QueueCtrlEvent(panelHandle, MAIN_PORT, EVENT_COMMIT);
}

void ToolTypeVideoThreshold(int level) {
    SetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, level);
    QueueCtrlEvent(panelHandle, MAIN_VIDEOTHRESHOLD, EVENT_VAL_CHANGED);
    QueueCtrlEvent(panelHandle, MAIN_VIDEOTHRESHOLD, EVENT_COMMIT);
}

ToolReopen ToolReopenPort(int port) {
    if (!ReopenRS232(port))
        return ToolReopen::GaveWay;
    return ret >= 0 ? ToolReopen::LineChecked : ToolReopen::OpenFailed;
}

void ToolClickSend() {
    QueueCtrlEvent(panelHandle, MAIN_SEND, EVENT_LEFT_CLICK);
}

void ToolClickGet() {
    QueueCtrlEvent(panelHandle, MAIN_GET, EVENT_COMMIT);
}

// As a click does: the button is on at once, its callback runs when its turn comes.
void ToolChooseTarget(ParamPlace place) {
    const int control = place == ParamPlace::Eeprom ? MAIN_EEPROM
                        : place == ParamPlace::File ? MAIN_FILE
                                                    : MAIN_RAM;
    SetCtrlVal(panelHandle, control, 1);
    QueueCtrlEvent(panelHandle, control, EVENT_VAL_CHANGED);
    QueueCtrlEvent(panelHandle, control, EVENT_COMMIT);
}

void ToolShowOnPanels(const unsigned short *words) {
    for (int w = 0; w < PNUM; ++w) {
        const BoundControl bound = BoundControlOf(w);
        if (bound.panel == panelPopUp && bound.control == POP_SCALEFACTOR)
            SetCtrlVal(bound.panel, bound.control, words[w] / 1000.0);
        else
            SetCtrlVal(bound.panel, bound.control, int(words[w]));
        // The controls' callbacks lock and free the controls that depend on them.
        QueueCtrlEvent(bound.panel, bound.control, EVENT_VAL_CHANGED);
    }
    SetCtrlVal(panelHandle, MAIN_TOLERANCE, int(words[PacketWordOf(&tTol)]));
    SetCtrlVal(panelHandle, MAIN_TEACHVALUE, int(words[PacketWordOf(&tVal)]));
    SetCtrlVal(panelPopUp, POP_LASTPIXEL, int(words[PacketWordOf(&pStart)]) + kWindowLastOffset);
}
