// SPDX-License-Identifier: GPL-3.0-or-later
// Main-graph markers outside live plotting, and the unit switch and scale factor that decide
// how the live indicators read.
#include "display/markers.h"

#include "display/graph_geometry.h"
#include "params/units.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"

namespace {

void placeCursor(int cursor, double x) {
    SetGraphCursor(panelHandle, MAIN_MAINGRAPH, cursor, x, kMarkerY);
}

// An edge field moves its cursor only; the window edges take the field's value when the panel
// values are next taken.
void followEdgeField(int field, int cursor) {
    unsigned short edge = 0;
    GetCtrlVal(panelHandle, field, &edge);
    placeCursor(cursor, edge);
}

} // namespace

// The tolerance band is drawn as computed, also where it reaches below 0.
void DrawStartupPicture() {
    DeleteGraphPlot(panelHandle, MAIN_MAINGRAPH, -1, VAL_DELAYED_DRAW);
    placeCursor(1, tVal);
    PlaceWindowCursors();
    const int left = tVal - tTol;
    const int right = tVal + tTol;
    PlotRectangle(panelHandle, MAIN_MAINGRAPH, left, 0.0, right, kBandTop, VAL_GREEN, VAL_GREEN);
    for (int i = 0; i < kVideoSamples; ++i) {
        xArray[i] = static_cast<unsigned short>(4 * i);
        thdArray[i] = vThd;
    }
}

void PlaceWindowCursors() {
    placeCursor(2, eBeg);
    placeCursor(3, eEnd);
}

// Joins the plots already there; the next live frame clears it with them.
void DrawCCDWindowBand() {
    double from = 0.0;
    double to = kLineEnd - 1;
    if (ccdMode != 0) {
        from = pStart;
        to = pStart + kWindowLastOffset;
    }
    PlotRectangle(panelHandle, MAIN_MAINGRAPH, from, 0.0, to, 1.0, VAL_GRAY, VAL_GRAY);
}

int CC_NEDITEdgeLeft(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT)
        followEdgeField(MAIN_LEFTEDGE, 2);
    return 0;
}

int CC_NEDITEdgeRight(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT)
        followEdgeField(MAIN_RIGHTEDGE, 3);
    return 0;
}

// Only the teach value and tolerance follow the switch at once; the other live indicators
// follow it with the next live frame.
int CC_BINSWITCH_UM(int, int, int event, void *, int, int) {
    if (event != EVENT_VAL_CHANGED)
        return 0;
    int unit = 1;
    GetCtrlVal(panelHandle, MAIN_UNIT, &unit);
    if (unit == 0) {
        SetCtrlVal(panelHandle, MAIN_TEACHVALUE, ScaledMicrometresOf(tVal));
        SetCtrlVal(panelHandle, MAIN_TOLERANCE, MicrometresOf(tTol));
    } else {
        SetCtrlVal(panelHandle, MAIN_TEACHVALUE, tVal);
        SetCtrlVal(panelHandle, MAIN_TOLERANCE, tTol);
    }
    return 0;
}

int CC_NUM_ScalFact(int, int, int event, void *, int, int) {
    if (event != EVENT_VAL_CHANGED)
        return 0;
    float factor = 1.0f;
    GetCtrlVal(panelPopUp, POP_SCALEFACTOR, &factor);
    scaleF = factor;
    para15 = ThousandthsOf(factor);
    return 0;
}

int CC_GraphData(int, int, int, void *, int, int) {
    return 0;
}

int CC_NEDITTolLeff(int, int, int, void *, int, int) {
    return 0;
}
