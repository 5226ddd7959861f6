// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/line_check_watch.h"

#include "link/protocol.h"
#include "workbench/adapters/comm_decode.h"
#include "workbench/adapters/core_events.h"
#include "workbench/adapters/serial_events.h"

LineCheckWatch::LineCheckWatch(CoreEvents &core, SerialEvents &serial) {
    connect(&serial, &SerialEvents::happened, this, &LineCheckWatch::noteSerial);
    connect(&core, &CoreEvents::status, this, &LineCheckWatch::noteStatus);
}

void LineCheckWatch::noteSerial(const SerialTapEvent &e) {
    switch (e.kind) {
    case SerialTapEvent::Written:
        check_ = OrderWordOf(e.bytes) == ORDER_ECHO ? Check{e.port, e.bytes, {}, e.nanoseconds}
                                                    : Check{};
        break;
    case SerialTapEvent::Received:
        if (e.port != check_.port)
            break;
        check_.received += e.bytes;
        if (check_.frameNs < 0 && check_.received.size() >= kFrameBytes)
            check_.frameNs = e.nanoseconds;
        break;
    case SerialTapEvent::Opened:
        open_ = e.port;
        device_ = e.device;
        check_ = {};
        last_ = {};
        break;
    case SerialTapEvent::Failed:
    case SerialTapEvent::Closed:
        open_ = 0;
        device_.clear();
        check_ = {};
        last_ = {};
        break;
    default:
        break;
    }
}

// The first text the status line shows after the echo went out is the check's verdict: what
// came back until then is what the check saw.
void LineCheckWatch::noteStatus() {
    if (!check_.port)
        return;
    last_ = {check_.port, device_, DiagnoseLineCheck(check_.sent, check_.received),
             check_.frameNs < 0 ? -1 : check_.frameNs - check_.sentNs};
    check_ = {};
    emit judged(last_);
}
