// SPDX-License-Identifier: GPL-3.0-or-later
// Main-graph markers outside live plotting: the start-up picture, the CCD-window band, the
// edge cursors, the unit switch and the scale factor.
#pragma once

// Cursors at the teach value and the window edges, the tolerance band, the video arrays.
void DrawStartupPicture();
// Cursors 2 and 3 at the evaluation window's edges, eBeg and eEnd.
void PlaceWindowCursors();
// The grey band of the CCD window, added to the plots the main graph holds.
void DrawCCDWindowBand();

int CC_NEDITEdgeLeft(int panel, int control, int event, void *callbackData, int eventData1,
                     int eventData2);
int CC_NEDITEdgeRight(int panel, int control, int event, void *callbackData, int eventData1,
                      int eventData2);
int CC_BINSWITCH_UM(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CC_NUM_ScalFact(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int CC_GraphData(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CC_NEDITTolLeff(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
