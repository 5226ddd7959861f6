// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/panel_binding.h"

#include "params/params.h"
#include "params/units.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"

namespace {

struct Binding {
    unsigned short *var;
    const int *panel;
    int control;
};

// Read by GetPanelValues in this order; the scale factor follows separately.
const Binding kBindings[] = {
    {&power, &panelHandle, MAIN_POWER},
    {&pwrMode, &panelHandle, MAIN_POWERMODE},
    {&vThd, &panelHandle, MAIN_VIDEOTHRESHOLD},
    {&polarity, &panelHandle, MAIN_POLARITY},
    {&eMode, &panelHandle, MAIN_EVALMODE},
    {&eBeg, &panelHandle, MAIN_LEFTEDGE},
    {&eEnd, &panelHandle, MAIN_RIGHTEDGE},
    {&tVal, &panelPopUp, POP_TEACHVALUE},
    {&tTol, &panelPopUp, POP_TOLERANCE},
    {&bVal, &panelPopUp, POP_BACKGROUNDVALUE},
    {&iGain, &panelPopUp, POP_GAIN},
    {&ePoti, &panelPopUp, POP_TOLERANCEENABLE},
    {&pStart, &panelPopUp, POP_PIXELSTART},
    {&ccdMode, &panelPopUp, POP_CCDMODE},
    {&bMode, &panelPopUp, POP_BACKGROUNDMODE},
};

void dim(int panel, int control, bool dimmed) {
    SetCtrlAttribute(panel, control, ATTR_DIMMED, dimmed ? 1 : 0);
}

int readInt(int panel, int control) {
    int value = 0;
    GetCtrlVal(panel, control, &value);
    return value;
}

void writeMainPanel() {
    for (int i = 0; i < 7; ++i)
        SetCtrlVal(*kBindings[i].panel, kBindings[i].control, *kBindings[i].var);
    SetCtrlVal(panelHandle, MAIN_TOLERANCE, tTol);
    SetCtrlVal(panelHandle, MAIN_TEACHVALUE, tVal);
}

void writePopUp() {
    SetCtrlVal(panelPopUp, POP_TEACHVALUE, tVal);
    SetCtrlVal(panelPopUp, POP_TOLERANCE, tTol);
    SetCtrlVal(panelPopUp, POP_BACKGROUNDVALUE, bVal);
    SetCtrlVal(panelPopUp, POP_GAIN, iGain);
    SetCtrlVal(panelPopUp, POP_TOLERANCEENABLE, ePoti);
    SetCtrlVal(panelPopUp, POP_PIXELSTART, pStart);
    SetCtrlVal(panelPopUp, POP_LASTPIXEL, pStart + kWindowLastOffset);
    SetCtrlVal(panelPopUp, POP_CCDMODE, ccdMode);
    SetCtrlVal(panelPopUp, POP_BACKGROUNDMODE, bMode);
    SetCtrlVal(panelPopUp, POP_SCALEFACTOR, para15 / 1000.0);
}

} // namespace

void FreeDependentControls() {
    if (ePoti == 1)
        dim(panelPopUp, POP_TOLERANCE, true);
    if (bMode == 1)
        dim(panelPopUp, POP_BACKGROUNDVALUE, false);
    if (bMode == 2) {
        dim(panelPopUp, POP_TEACHBACKGROUND, false);
        dim(panelPopUp, POP_BACKGROUNDTEACHLED, false);
    }
    if (eMode == 2)
        dim(panelPopUp, POP_SCALEFACTOR, false);
}

void GetPanelValues() {
    for (const Binding &b : kBindings)
        GetCtrlVal(*b.panel, b.control, b.var);
    float factor = 0;
    GetCtrlVal(panelPopUp, POP_SCALEFACTOR, &factor);
    para15 = ThousandthsOf(factor);
}

BoundControl BoundControlOf(int word) {
    for (const Binding &b : kBindings) {
        if (PacketWordOf(b.var) == word)
            return {*b.panel, b.control};
    }
    if (word == PacketWordOf(&para15))
        return {panelPopUp, POP_SCALEFACTOR};
    return {0, 0};
}

void ReadPanelWords(unsigned short *words) {
    for (const Binding &b : kBindings) {
        unsigned short value = 0;
        GetCtrlVal(*b.panel, b.control, &value);
        words[PacketWordOf(b.var)] = value;
    }
    float factor = 0;
    GetCtrlVal(panelPopUp, POP_SCALEFACTOR, &factor);
    words[PacketWordOf(&para15)] = ThousandthsOf(factor);
}

void WriteParameterControls() {
    writeMainPanel();
    writePopUp();
}

int CC_DropDEvalmode(int panel, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED) {
        dim(panelPopUp, POP_SCALEFACTOR, readInt(panel, control) != 2);
    } else if (event == EVENT_LEFT_CLICK) {
        stop_flag = 1;
        dim(panelHandle, MAIN_DATA, false);
        dim(panelHandle, MAIN_RUN, false);
        dim(panelHandle, MAIN_GET, false);
        dim(panelPopUp, POP_TEACHBACKGROUND, false);
    }
    return 0;
}

int CC_NSLIDE_PixelStart(int panel, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED)
        SetCtrlVal(panelPopUp, POP_LASTPIXEL, readInt(panel, control) + kWindowLastOffset);
    return 0;
}

int CC_RING_CCDMode(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_COMMIT)
        return 0;
    bool window = readInt(panel, control) == 1;
    dim(panelPopUp, POP_PIXELSTART, !window);
    dim(panelPopUp, POP_LASTPIXEL, !window);
    return 0;
}

int CC_RING_CCDBGMode(int panel, int control, int event, void *, int, int) {
    if (event != EVENT_VAL_CHANGED)
        return 0;
    int mode = readInt(panel, control);
    bool teachAllowed = mode == 2 && stop_flag == 1;
    dim(panelPopUp, POP_BACKGROUNDVALUE, mode != 1);
    dim(panelPopUp, POP_TEACHBACKGROUND, !teachAllowed);
    dim(panelPopUp, POP_BACKGROUNDTEACHLED, !teachAllowed);
    return 0;
}

int CC_BIN_Sw_EnableTol(int panel, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED)
        dim(panelPopUp, POP_TOLERANCE, readInt(panel, control) == 1);
    return 0;
}

int CC_Slide_Reference(int, int, int, void *, int, int) {
    return 0;
}
int CC_Slide_Tolerance(int, int, int, void *, int, int) {
    return 0;
}
int CC_Slide_Power(int, int, int, void *, int, int) {
    return 0;
}
int CC_RingPowerMode(int, int, int, void *, int, int) {
    return 0;
}
int CC_RingPolarity(int, int, int, void *, int, int) {
    return 0;
}
int CC_BIN_Switch_VGain(int, int, int, void *, int, int) {
    return 0;
}
