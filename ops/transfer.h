// Parameter transfer: the storage target, Send, Get and the read-back of a parameter set.
#pragma once

enum { RAM = 1, EEPROM = 2, DATFILE = 3 };
extern int target;

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
