// Video capture: each pass of the Data loop reads the 256-sample video signal in four blocks,
// draws it, then makes one live-data exchange and draws that frame. Block reads take their
// bytes straight from the input queue, so the frame receive callback is on only around the
// live-data exchange.
#include "ops/video_capture.h"

#include "app/VidaREZezad11.h"
#include "app/panel_controls.h"
#include "app/tick_timer.h"
#include "display/live_plot.h"
#include "display/video_curve.h"
#include "link/COM232.h"
#include "params/params.h"
#include "runtime/runtime.h"

int ref_flag;

namespace {

constexpr int kLiveOrder = 8;
constexpr int kBlocks = kVideoSamples / kVideoBlockSamples;
constexpr int kWindowStartWord = 5;

void setDimmed(int control, int dimmed) {
    SetCtrlAttribute(panelHandle, control, ATTR_DIMMED, dimmed);
}

void receiveCallbackOn() {
    InstallComCallback(com, eventMask, kFrameBytes, sync, RX_Receive_Function, nullptr);
}

void receiveCallbackOff() {
    InstallComCallback(com, 0, kFrameBytes, sync, nullptr, nullptr);
}

// The last block of a sweep carries flag 1, the three before it 0.
void readVideoSignal() {
    for (int block = 0; block < kBlocks; ++block) {
        ref_flag = block == kBlocks - 1 ? 1 : 0;
        ReadData64(block * kVideoBlockSamples, ref_flag);
    }
}

// Sends the order-8 request with pp as it stands and waits for the reply; a silent sensor
// ends the loop. Returns whether the reply came.
bool exchangeLiveFrame() {
    receiveCallbackOn();
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    order = kLiveOrder;
    FillTxBuf(static_cast<unsigned short>(order), pp);
    nBytesW = ComWrt(com, szWriteBuf, kFrameBytes);
    StartTickTimer();
    while (rx_flag != 1) {
        ProcessSystemEvents();
        if (ttick > kTimeoutTicks) {
            ShowStatus("Timeout RS232-Line!");
            stop_flag = 1;
            break;
        }
    }
    receiveCallbackOff();
    StopTickTimer();
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
    if (exchangeLiveFrame()) {
        pix1 = pp[kWindowStartWord];
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
    setDimmed(MAIN_QUIT, 1);
    HidePanel(panelPopUp);
    hidePopUp = 1;
    StartTickTimer();
    stop_flag = 0;
    receiveCallbackOff();
    while (stop_flag == 0)
        capturePass();
    FlushInQ(com);
    StopTickTimer();
    setDimmed(MAIN_RUN, 0);
    setDimmed(MAIN_DATA, 0);
    receiveCallbackOn();
    FlushOutQ(com);
    FlushInQ(com);
    return 0;
}
