// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the video signal one block of 64 samples at a time.
#include "link/COM232.h"

#include "link/protocol.h"
#include "runtime/runtime.h"
#include "state/status_line.h"

#include <algorithm>

namespace {

int waiting = 0; // bytes queued at the last pass of the block wait

bool blockWaiting() {
    waiting = GetInQLen(com);
    return waiting >= kVideoBlockBytes;
}

// Reads everything that waits, up to the buffer's size. What does not fit is dropped, so it
// cannot be taken for the start of the next block.
int readWaiting() {
    const int got = ComRd(com, szReadBuf, std::clamp(waiting, 0, kBufferBytes));
    if (waiting > kBufferBytes)
        FlushInQ(com);
    return got;
}

// Copies the block into adcbuf whether or not it came whole: after a short reply the tail comes
// from the bytes the buffer held before. Samples outside adcbuf are not stored.
void storeBlock(int start) {
    for (int i = 0; i < kVideoBlockSamples; ++i) {
        const int index = start + i;
        if (index >= 0 && index < kVideoSamples)
            adcbuf[index] = WordAt(szReadBuf + 2 * i);
    }
}

} // namespace

// The receive callback must be off (event mask 0) for the whole read, or it would take the
// block's first 36 bytes for a frame. More than a block waiting leaves szStatus as it was.
int ReadData64(int start, int refFlag) {
    unsigned short request[PNUM] = {};
    request[BLOCK_FIRST_SAMPLE] = static_cast<unsigned short>(start);
    request[BLOCK_REF_FLAG] = static_cast<unsigned short>(refFlag);
    SendFrame(com, ORDER_VIDEO_BLOCK, request, Flush::OutThenIn);
    ShowStatus("Waiting for Data[64] ...");
    waiting = 0;
    if (!AwaitReply(blockWaiting, kOrders[ORDER_VIDEO_BLOCK].waitTicks, FirstTest::Timeout))
        SetStatusText("Timeout-RS-232 while reading 64 data-words!");
    nBytesR = readWaiting();
    if (nBytesR == kVideoBlockBytes)
        SetStatusText("Data[64] block received!");
    storeBlock(start);
    ShowStatus(szStatus);
    return 1;
}
