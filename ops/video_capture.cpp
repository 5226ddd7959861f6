// SPDX-License-Identifier: GPL-3.0-or-later
// Video capture: each pass of the Data loop reads the 256-sample video signal in four blocks,
// draws it, then makes one live-data exchange and draws that frame. Block reads take their
// bytes straight from the input queue, so the frame receive callback is on only around the
// live-data exchange.
#include "ops/video_capture.h"

#include "display/live_plot.h"
#include "display/video_curve.h"
#include "link/COM232.h"
#include "link/protocol.h"
#include "runtime/runtime.h"
#include "state/notify.h"
#include "state/panel_controls.h"
#include "state/status_line.h"
#include "state/tick_timer.h"

namespace {

constexpr int kBlocks = kVideoSamples / kVideoBlockSamples;

void setDimmed(int control, int dimmed) {
    SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, dimmed);
}

// The last block of a sweep carries flag 1, the three before it 0.
void readVideoSignal() {
    for (int block = 0; block < kBlocks; ++block) {
        ref_flag = block == kBlocks - 1 ? 1 : 0;
        ReadData64(block * kVideoBlockSamples, ref_flag);
    }
}

// Sends the order-8 request with pp as it stands and waits for the reply; a silent sensor
// ends the loop. Returns whether the reply came, also in the pass in which time ran out.
bool exchangeLiveFrame() {
    ReceiveCallbackOn();
    SendFrame(com, ORDER_LIVE_VALUES, pp, Flush::InThenOut);
    if (!AwaitFrame(kOrders[ORDER_LIVE_VALUES].waitTicks, FirstTest::Timeout)) {
        ShowStatus("Timeout RS232-Line!");
        stop_flag = 1;
    }
    ReceiveCallbackOff();
    return rx_flag == 1;
}

// A pass runs to its end even when Stop came during it. Without a reply pp still holds the
// request, on the first pass the parameter set: drawn as a live frame it would show the
// background value as teach value and take it into tVal, so nothing is drawn then.
void capturePass() {
    FlushInQ(com);
    FlushOutQ(com);
    readVideoSignal();
    PlotDATACurve(adcbuf);
    NotifyVideoSignalShown({adcbuf, xArray, thdArray});
    if (exchangeLiveFrame()) {
        pix1 = pp[LIVE_PIX1];
        PlotRAWValues();
    }
    ProcessSystemEvents();
}

} // namespace

int CC_BTNData(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT)
        return 0;
    setDimmed(MAIN_VIDEOGRAPH, 0);
    setDimmed(MAIN_RUN, 1);
    setDimmed(MAIN_DATA, 1);
    setDimmed(MAIN_GET, 1);
    HidePanel(panelPopUp);
    hidePopUp = 1;
    StartTickTimer();
    stop_flag = 0;
    ReceiveCallbackOff();
    while (stop_flag == 0)
        capturePass();
    FlushInQ(com);
    StopTickTimer();
    setDimmed(MAIN_RUN, 0);
    setDimmed(MAIN_DATA, 0);
    ReceiveCallbackOn();
    FlushOutQ(com);
    FlushInQ(com);
    return 0;
}
