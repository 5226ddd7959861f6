// SPDX-License-Identifier: GPL-3.0-or-later
// One live frame drawn on the main graph: the marker, the evaluation window, the edge zones,
// the tolerance band or bands, and the five live indicators.
#include "display/live_plot.h"

#include "display/graph_geometry.h"
#include "link/protocol.h"
#include "params/units.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/notify.h"
#include "state/panel_controls.h"

namespace {

struct Window {
    int start;
    int end;
};

// The marker by evaluation mode; every mode but 2 also drops the scale factor.
int markerPosition() {
    int marker;
    if (eMode == 0)
        marker = pp[LIVE_EDGE1];
    else if (eMode == 1)
        marker = pp[LIVE_EDGE2];
    else if (pp[LIVE_EDGE1] == 0 || pp[LIVE_EDGE2] == 0)
        marker = 1;
    else
        marker = (pp[LIVE_EDGE1] + pp[LIVE_EDGE2]) / 2;
    if (eMode != 2)
        scaleF = 1.0f;
    return marker;
}

// Returns whether the values were shown in pixels.
bool showIndicators() {
    int unit = 0;
    GetCtrlVal(panelHandle, MAIN_UNIT, &unit);
    const bool pixels = (unit & 0xFFFF) == 1;
    const auto plain = [pixels](int word) { return pixels ? pp[word] : MicrometresOf(pp[word]); };
    const auto scaled = [pixels](int word) {
        return pixels ? pp[word] : ScaledMicrometresOf(pp[word]);
    };
    SetCtrlVal(panelHandle, MAIN_FIRSTEDGE, plain(LIVE_EDGE1));
    SetCtrlVal(panelHandle, MAIN_SECONDEDGE, plain(LIVE_EDGE2));
    SetCtrlVal(panelHandle, MAIN_THIRDVALUE, scaled(LIVE_VALUE3));
    SetCtrlVal(panelHandle, MAIN_TEACHVALUE, scaled(LIVE_TVAL));
    SetCtrlVal(panelHandle, MAIN_TOLERANCE, plain(LIVE_TTOL));
    return pixels;
}

void copyFrameWords() {
    tVal = pp[LIVE_TVAL];
    tTol = pp[LIVE_TTOL];
    pix1 = pp[LIVE_PIX1];
    edcnt = pp[LIVE_EDCNT];
    mvstart = pp[LIVE_MVSTART];
    mvend = pp[LIVE_MVEND];
}

// A 256-pixel window never starts beyond the line's last full window.
Window windowStartingAt(int start) {
    if (start > kLastWindowStart)
        start = kLastWindowStart;
    return {start, start + kWindowWidth};
}

// The visible window by CCD mode; on the whole line the window cursors follow eBeg and eEnd.
Window showWindow() {
    Window w{0, kLineEnd};
    if (ccdMode == 1)
        w = windowStartingAt(pStart);
    else if (ccdMode == 2)
        w = windowStartingAt(pix1);
    SetAxisScalingMode(panelHandle, MAIN_MAINGRAPH, VAL_XAXIS, VAL_MANUAL, w.start, w.end);
    if (ccdMode != 1 && ccdMode != 2) {
        SetGraphCursor(panelHandle, MAIN_MAINGRAPH, 2, eBeg, kLiveCursorY);
        SetGraphCursor(panelHandle, MAIN_MAINGRAPH, 3, eEnd, kLiveCursorY);
    }
    return w;
}

int clampedInto(int position, Window w) {
    if (position < w.start)
        return w.start;
    if (position > w.end)
        return w.end;
    return position;
}

void drawZone(int from, int to) {
    PlotRectangle(panelHandle, MAIN_MAINGRAPH, from, kBandTop, to, kZoneTop, VAL_RED, VAL_RED);
}

// Red: the stretches of the window beyond the edges, as received.
void drawEdgeZones(Window w) {
    if (edcnt == 1) {
        if (mvstart < mvend)
            drawZone(pp[LIVE_EDGE1], w.end);
        else
            drawZone(w.start, pp[LIVE_EDGE1]);
        return;
    }
    drawZone(w.start, pp[LIVE_EDGE1]);
    drawZone(pp[LIVE_EDGE2], w.end);
}

void drawBand(int from, int to) {
    PlotRectangle(panelHandle, MAIN_MAINGRAPH, from, 0.0, to, kBandTop, VAL_GREEN, VAL_GREEN);
}

// A band reaching beyond the line is cut to 1 on the left and to 1024 on the right.
void drawClampedBand(int from, int to) {
    drawBand(from < 0 ? 1 : from, to > kLineEnd - 1 ? kLineEnd : to);
}

// Mode 2 measures a distance: two bands, half the teach value either side of the marker,
// each half the tolerance wide either way; only the left one is cut to the line.
void drawToleranceBands(int marker) {
    const int teach = tVal;
    const int tolerance = tTol;
    if (eMode == 2) {
        const int h = teach / 2;
        const int t = tolerance / 2;
        drawClampedBand(marker - h - t, marker - h + t);
        drawBand(marker + h - t, marker + h + t);
        return;
    }
    drawClampedBand(teach - tolerance, teach + tolerance);
}

} // namespace

void PlotRAWValues() {
    int marker = markerPosition();
    const bool pixels = showIndicators();
    copyFrameWords();
    const Window w = showWindow();
    DeleteGraphPlot(panelHandle, MAIN_MAINGRAPH, -1, VAL_DELAYED_DRAW);
    marker = clampedInto(marker, w);
    SetGraphCursor(panelHandle, MAIN_MAINGRAPH, 1, marker, kLiveCursorY);
    drawEdgeZones(w);
    drawToleranceBands(marker);
    NotifyLiveFrameShown({pp, pixels, eMode == 2, scaleF});
}
