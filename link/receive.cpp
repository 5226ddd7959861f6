// SPDX-License-Identifier: GPL-3.0-or-later
// The serial receive callback: takes one frame into pp and tells the waiting operation.
#include "link/COM232.h"

#include "runtime/runtime.h"

// Runs once at least one frame's bytes wait. Anything behind the first frame is dropped, so a
// late or doubled reply cannot be taken for the answer to a later request.
void RX_Receive_Function(int, int events, void *) {
    if ((events & LWRS_RECEIVE) == 0)
        return;
    ComRd(com, szReadBuf, kFrameBytes);
    GetRxBuf(PNUM);
    ttick = 0;
    rx_flag = 1;
    graphrefresh = 1;
    FlushInQ(com);
}

void ReceiveCallbackOn() {
    InstallComCallback(com, eventMask, kFrameBytes, sync, RX_Receive_Function, nullptr);
}

void ReceiveCallbackOff() {
    InstallComCallback(com, 0, kFrameBytes, sync, nullptr, nullptr);
}
