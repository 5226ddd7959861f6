// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter transfer: the storage target, Send, Get and the read-back of a parameter set.
#pragma once

#include "state/globals.h"

// Reads the parameter set of target t (RAM or EEPROM from the sensor; DATFILE: the set the
// file load left in the variables) and shows it on the panels.
void PushGET(int t);

int CC_RBTRam(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);
int CC_RBTEeprom(int panel, int control, int event, void *callbackData, int eventData1,
                 int eventData2);
int CC_RBTFile(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
int CC_BTNSend(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);
int CC_BTNGet(int panel, int control, int event, void *callbackData, int eventData1,
              int eventData2);
