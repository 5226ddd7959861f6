// SPDX-License-Identifier: GPL-3.0-or-later
// Storage and start values of the process-wide variables; InitVars and the parameter
// defaults set the rest at start-up.
#include "state/globals.h"

int panelHandle;
int panelPopUp;
char proj_dir[kPathSize];
unsigned short ttick = 0;
unsigned short hidePopUp = 1;
int stop_flag;
char szStatus[kStatusSize];

unsigned short power, pwrMode, vThd, bVal, polarity, eMode, eBeg, eEnd;
unsigned short tVal, tTol, iGain, ePoti, ccdMode, pStart, bMode, para15;
unsigned short pp[PNUM];
float scaleF = 1.0f;

int COM232::sync = 0x55;
int order;
int com = 1;
int ret;
int nBytesW;
int nBytesR;
int rx_flag;
int graphrefresh;
char szWriteBuf[kBufferBytes];
char szReadBuf[kBufferBytes];
unsigned short adcbuf[kVideoSamples];

int target = RAM;
int ref_flag;
char file_name[kPathSize];

unsigned short pix1;
unsigned short edcnt;
unsigned short mvstart;
unsigned short mvend;
unsigned short xArray[kVideoSamples];
unsigned short thdArray[kVideoSamples];
