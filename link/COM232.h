// The serial module: line set-up and check, the 36-byte frame, the receive callback and the
// video block read.
#pragma once

#include "params/params.h"

constexpr int kFrameBytes = 4 + 2 * PNUM; // sync word, order word, 16 data words
constexpr int kBufferBytes = 1024;
constexpr int kVideoBlockSamples = 64;
constexpr int kVideoBlockBytes = 2 * kVideoBlockSamples;
constexpr int eventMask = 0x8006;

// The sync word of every frame, 0x55. It lives in the module's namespace because a global of
// that name would clash with the C library's sync(); where <unistd.h> is included, write
// COM232::sync.
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

void FillTxBuf(unsigned short order, const unsigned short *data);
void GetRxBuf(int count);
void RX_Receive_Function(int port, int events, void *callbackData);

void InitRS232(int port);
int CheckComLine(int port);
int CC_DropDCom(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);

int ReadData64(int start, int refFlag);
