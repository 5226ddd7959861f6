// SPDX-License-Identifier: GPL-3.0-or-later
// Every process-wide variable of the tool, grouped by subsystem. All of them live for the
// whole run in fixed-size storage and are used without locks: every callback runs on the one
// thread, and only while events are processed.
#pragma once

#include "state/sizes.h"

// ---- Shell ------------------------------------------------------------------------------

constexpr int kPathSize = 260;
constexpr int kStatusSize = 64;

extern int panelHandle;            // main panel
extern int panelPopUp;             // CCD settings pop-up
extern char proj_dir[kPathSize];   // the program's directory, start of the file dialogs
extern unsigned short ttick;       // 50 ms ticks since the current wait began or the last frame
extern unsigned short hidePopUp;   // 1 while the pop-up is hidden
extern int stop_flag;              // 0 while a Run or Data loop runs
extern char szStatus[kStatusSize]; // a status text built before it is shown

// ---- Parameters -------------------------------------------------------------------------

extern unsigned short power;    // word 0: power setting, 0-1000
extern unsigned short pwrMode;  // word 1: power mode, 0/1
extern unsigned short vThd;     // word 2: video threshold, 0-1023
extern unsigned short bVal;     // word 3: background value, 0-1023
extern unsigned short polarity; // word 4: polarity, 0/1
extern unsigned short eMode;    // word 5: evaluation mode, 0-3
extern unsigned short eBeg;     // word 6: left edge of the evaluation window, 0-1024
extern unsigned short eEnd;     // word 7: right edge of the evaluation window, 0-1024
extern unsigned short tVal;     // word 8: teach value (set point), 0-1024
extern unsigned short tTol;     // word 9: tolerance, 0-512
extern unsigned short iGain;    // word 10: gain, 0/1
extern unsigned short ePoti;    // word 11: tolerance-enable switch, 0/1
extern unsigned short ccdMode;  // word 12: CCD mode, 0-2
extern unsigned short pStart;   // word 13: first pixel of the window in CCD mode 1, 0-1023
extern unsigned short bMode;    // word 14: background mode, 0-2
extern unsigned short para15;   // word 15: scale factor in thousandths, 800-1200

// The packet: payload of parameter frames and parameter files, and where received frames land.
extern unsigned short pp[PNUM];

// The tool's own copy of the scale factor, for the micrometre display.
extern float scaleF;

// ---- Sensor link ------------------------------------------------------------------------

constexpr int kBufferBytes = 1024;
constexpr int eventMask = 0x8006; // receive count, event character, transmit empty

// The sync word that frames carry; start-up and every sender set it to 0x55. It lives in a
// namespace because a global of that name would clash with the C library's sync(); where
// <unistd.h> is included, write COM232::sync.
namespace COM232 {
extern int sync;
}
using namespace COM232;

extern int order;        // order code of the current operation
extern int com;          // serial port in use
extern int ret;          // result of the last port set-up
extern int nBytesW;      // count of the last ComWrt
extern int nBytesR;      // count of the last block read
extern int rx_flag;      // a frame was received and unpacked
extern int graphrefresh; // a received frame awaits drawing
extern char szWriteBuf[kBufferBytes];
extern char szReadBuf[kBufferBytes];
extern unsigned short adcbuf[kVideoSamples]; // the video signal, 256 samples

// ---- Operations -------------------------------------------------------------------------

enum { RAM = 1, EEPROM = 2, DATFILE = 3 };
extern int target;                // storage target of Send and Get
extern int ref_flag;              // flag of the video block being requested
extern char file_name[kPathSize]; // path chosen in the last parameter-file dialog

// ---- Signal display ---------------------------------------------------------------------

constexpr int PPITCH = 7800; // pixel pitch in nanometres: 7.8 µm per pixel

extern unsigned short pix1;    // first pixel of the video window, from the live frame
extern unsigned short edcnt;   // edge count of the live frame
extern unsigned short mvstart; // comparison values of the live frame
extern unsigned short mvend;

// Video curve: x position and threshold of each of the 256 samples.
extern unsigned short xArray[kVideoSamples];
extern unsigned short thdArray[kVideoSamples];
