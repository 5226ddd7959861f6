// SPDX-License-Identifier: GPL-3.0-or-later
// Sending a frame and waiting for the sensor's answer, shared by every operation. Where the
// operations differ (which queues they empty, which test comes first, how long they wait) the
// caller says so.
#include "link/COM232.h"

#include "runtime/runtime.h"
#include "state/tick_timer.h"

namespace {

void flushQueues(int port, Flush flush) {
    if (flush == Flush::InThenOut) {
        FlushInQ(port);
        FlushOutQ(port);
    } else if (flush == Flush::OutThenIn) {
        FlushOutQ(port);
        FlushInQ(port);
    }
}

bool frameArrived() {
    return rx_flag == 1;
}

} // namespace

bool SendFrame(int port, int code, const unsigned short *data, Flush flush) {
    sync = SYNC_WORD;
    order = code;
    flushQueues(port, flush);
    FillTxBuf(static_cast<unsigned short>(order), data);
    nBytesW = ComWrt(port, szWriteBuf, kFrameBytes);
    return nBytesW == kFrameBytes;
}

bool AwaitReply(bool (*arrived)(), unsigned short limit, FirstTest first) {
    bool replied = false;
    StartTickTimer();
    for (;;) {
        ProcessSystemEvents();
        if (first == FirstTest::Reply && arrived()) {
            replied = true;
            break;
        }
        if (ttick > limit)
            break;
        if (first == FirstTest::Timeout && arrived()) {
            replied = true;
            break;
        }
    }
    StopTickTimer();
    return replied;
}

// rx_flag is cleared with no event processed since the request went out, so only a frame
// that arrives from now on can end the wait.
bool AwaitFrame(unsigned short limit, FirstTest first) {
    rx_flag = 0;
    return AwaitReply(frameArrived, limit, first);
}
