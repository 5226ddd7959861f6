// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the video signal one block of 64 samples at a time.
#include "link/COM232.h"

#include "link/order_codes.h"
#include "runtime/runtime.h"
#include "state/status_line.h"
#include "state/tick_timer.h"

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
    const unsigned short request[PNUM] = {static_cast<unsigned short>(start),
                                          static_cast<unsigned short>(refFlag)};
    SendFrame(com, ORDER_VIDEO_BLOCK, request, Flush::OutThenIn);
    ShowStatus("Waiting for Data[64] ...");
    waiting = 0;
    if (!AwaitReply(blockWaiting, kTimeoutTicks, FirstTest::Timeout))
        SetStatusText("Timeout-RS-232 while reading 64 data-words!");
    nBytesR = readWaiting();
    if (nBytesR == kVideoBlockBytes)
        SetStatusText("Data[64] block received!");
    storeBlock(start);
    ShowStatus(szStatus);
    return 1;
}
