// SPDX-License-Identifier: GPL-3.0-or-later
// The video graph: the 256-sample video signal and the threshold line.
#pragma once

// Where the video graph puts sample i for a CCD mode and a window start.
unsigned short VideoSamplePosition(unsigned short mode, unsigned short windowStart, int i);
void PlotDATACurve(const unsigned short *y);
int CC_NEDITVideoThreshold(int panel, int control, int event, void *callbackData, int eventData1,
                           int eventData2);
