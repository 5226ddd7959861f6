// SPDX-License-Identifier: GPL-3.0-or-later
// Binding of the parameter variables to the controls of both panels, and the callbacks of
// the parameter controls that lock and free their dependent controls.
#pragma once

// Takes every bound control's value into its variable.
void GetPanelValues();

// The control that edits packet word `word`; {0, 0} for a word outside the packet.
struct BoundControl {
    int panel;
    int control;
};
BoundControl BoundControlOf(int word);
// Reads the bound controls into `words` (PNUM of them, in packet order) as GetPanelValues
// takes them, for a listener that must leave the variables alone.
void ReadPanelWords(unsigned short *words);
// Shows the variables on the bound controls and displays of both panels, as they stand.
void WriteParameterControls();
// Brings the dependent controls up to date in one direction only: frees what the variables'
// modes allow, and dims the tolerance edit when ePoti is 1. The reverse changes are made only
// by the controls' callbacks.
void FreeDependentControls();

#define RMOX_CTRL_CALLBACK(name)                                                                   \
    int name(int panel, int control, int event, void *callbackData, int eventData1, int eventData2)

RMOX_CTRL_CALLBACK(CC_DropDEvalmode);
RMOX_CTRL_CALLBACK(CC_NSLIDE_PixelStart);
RMOX_CTRL_CALLBACK(CC_RING_CCDMode);
RMOX_CTRL_CALLBACK(CC_RING_CCDBGMode);
RMOX_CTRL_CALLBACK(CC_BIN_Sw_EnableTol);
// Callbacks of parameter controls that do nothing.
RMOX_CTRL_CALLBACK(CC_Slide_Reference);
RMOX_CTRL_CALLBACK(CC_Slide_Tolerance);
RMOX_CTRL_CALLBACK(CC_Slide_Power);
RMOX_CTRL_CALLBACK(CC_RingPowerMode);
RMOX_CTRL_CALLBACK(CC_RingPolarity);
RMOX_CTRL_CALLBACK(CC_BIN_Switch_VGain);
