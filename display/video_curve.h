// The video graph: the 256-sample video signal and the threshold line.
#pragma once

void PlotDATACurve(const unsigned short *y);
int CC_NEDITVideoThreshold(int panel, int control, int event, void *callbackData, int eventData1,
                           int eventData2);
