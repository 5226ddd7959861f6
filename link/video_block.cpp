// Reading the video signal one block of 64 samples at a time.
#include "app/VidaREZezad11.h"
#include "app/tick_timer.h"
#include "link/COM232.h"
#include "runtime/runtime.h"

#include <algorithm>

unsigned short adcbuf[kVideoSamples];

namespace {

constexpr unsigned short kOrderVideoBlock = 9;

// Waits until a whole block is queued or the time is up; returns the count waiting then.
int waitForBlock() {
    int waiting = 0;
    StartTickTimer();
    for (;;) {
        ProcessSystemEvents();
        waiting = GetInQLen(com);
        if (ttick > kTimeoutTicks) {
            SetStatusText("Timeout-RS-232 while reading 64 data-words!");
            break;
        }
        if (waiting >= kVideoBlockBytes)
            break;
    }
    StopTickTimer();
    return waiting;
}

// Reads everything that waits, up to the buffer's size. What does not fit is dropped, so it
// cannot be taken for the start of the next block.
int readWaiting(int waiting) {
    const int got = ComRd(com, szReadBuf, std::clamp(waiting, 0, kBufferBytes));
    if (waiting > kBufferBytes)
        FlushInQ(com);
    return got;
}

// Copies the block into adcbuf whether or not it came whole: after a short reply the tail comes
// from the bytes the buffer held before. Samples outside adcbuf are not stored.
void storeBlock(int start) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(szReadBuf);
    for (int i = 0; i < kVideoBlockSamples; ++i) {
        const int index = start + i;
        if (index >= 0 && index < kVideoSamples)
            adcbuf[index] = static_cast<unsigned short>(bytes[2 * i] << 8 | bytes[2 * i + 1]);
    }
}

} // namespace

// The receive callback must be off (event mask 0) for the whole read, or it would take the
// block's first 36 bytes for a frame. More than a block waiting leaves szStatus as it was.
int ReadData64(int start, int refFlag) {
    sync = 0x55;
    order = kOrderVideoBlock;
    FlushOutQ(com);
    const unsigned short request[PNUM] = {static_cast<unsigned short>(start),
                                          static_cast<unsigned short>(refFlag)};
    FillTxBuf(kOrderVideoBlock, request);
    FlushInQ(com);
    nBytesW = ComWrt(com, szWriteBuf, kFrameBytes);
    ShowStatus("Waiting for Data[64] ...");
    nBytesR = readWaiting(waitForBlock());
    if (nBytesR == kVideoBlockBytes)
        SetStatusText("Data[64] block received!");
    storeBlock(start);
    ShowStatus(szStatus);
    return 1;
}
