// SPDX-License-Identifier: GPL-3.0-or-later
// The video graph: the 256 samples of the last video read and the threshold line over them.
#include "display/video_curve.h"

#include "display/graph_geometry.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"

namespace {

void placeSamples() {
    if (ccdMode == 0)
        SetAxisScalingMode(panelHandle, MAIN_VIDEOGRAPH, VAL_XAXIS, VAL_MANUAL, 1.0, kLineEnd);
    else
        SetAxisScalingMode(panelHandle, MAIN_VIDEOGRAPH, VAL_XAXIS, VAL_MANUAL, pix1,
                           pix1 + kVideoSamples);
    for (int i = 0; i < kVideoSamples; ++i)
        xArray[i] = VideoSamplePosition(ccdMode, pix1, i);
}

void plotAgainstSamples(const unsigned short *y, int color) {
    PlotXY(panelHandle, MAIN_VIDEOGRAPH, xArray, y, kVideoSamples, VAL_UNSIGNED_SHORT_INTEGER,
           VAL_UNSIGNED_SHORT_INTEGER, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, color);
}

} // namespace

// On the whole line the samples lie every 4 pixels; in a window they are consecutive pixels
// from the window start the sensor last reported.
unsigned short VideoSamplePosition(unsigned short mode, unsigned short windowStart, int i) {
    return static_cast<unsigned short>(mode == 0 ? 4 * i : windowStart + i);
}

void PlotDATACurve(const unsigned short *y) {
    placeSamples();
    SetAxisScalingMode(panelHandle, MAIN_VIDEOGRAPH, VAL_LEFT_YAXIS, VAL_MANUAL, 0.0,
                       kVideoLevelMax);
    DeleteGraphPlot(panelHandle, MAIN_VIDEOGRAPH, -1, VAL_IMMEDIATE_DRAW);
    plotAgainstSamples(y, VAL_RED);
    plotAgainstSamples(thdArray, VAL_DK_GREEN);
}

// The line follows the field at once; vThd takes the field's value only when the panel
// values are gathered.
int CC_NEDITVideoThreshold(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT && event != EVENT_LEFT_CLICK)
        return 0;
    unsigned short threshold = 0;
    GetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, &threshold);
    for (unsigned short &level : thdArray)
        level = threshold;
    PlotDATACurve(adcbuf);
    return 0;
}
