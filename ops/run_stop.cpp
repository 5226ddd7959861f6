// SPDX-License-Identifier: GPL-3.0-or-later
// Live monitoring: Run keeps one live-data request (order 8) outstanding, draws every reply
// and answers it with the next request; Stop ends the Run or Data loop and frees the controls
// that the loops lock.
#include "ops/run_stop.h"

#include "display/live_plot.h"
#include "link/COM232.h"
#include "link/protocol.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/panel_controls.h"
#include "state/status_line.h"
#include "state/tick_timer.h"

namespace {

void setDimmed(int panel, int control, int dimmed) {
    SetCtrlAttribute(panel, control, ATTR_DIMMED, dimmed);
}

void lockForRun() {
    SetCtrlAttribute(panelHandle, MAIN_MAINGRAPH, ATTR_VISIBLE, 1);
    setDimmed(panelHandle, MAIN_VIDEOGRAPH, 1);
    setDimmed(panelHandle, MAIN_RUN, 1);
    setDimmed(panelHandle, MAIN_DATA, 1);
    setDimmed(panelHandle, MAIN_GET, 1);
    setDimmed(panelPopUp, POP_TEACHBACKGROUND, 1);
    setDimmed(panelPopUp, POP_BACKGROUNDTEACHLED, 1);
}

// Sends the next live-data request carrying the parameter variables. rx_flag is cleared with
// no event processed since the write, so only a reply to this request can raise it again.
bool requestLiveFrame() {
    CopyVarsToPP();
    const bool sent = SendFrame(com, ORDER_LIVE_VALUES, pp, Flush::InThenOut);
    rx_flag = 0;
    return sent;
}

// One pass per event-processing round until stop_flag is raised by Stop, the evaluation-mode
// ring or the time-out. Plotting comes first: the resend overwrites the reply in pp.
void runLoop() {
    while (stop_flag == 0) {
        if (graphrefresh == 1) {
            PlotRAWValues();
            graphrefresh = 0;
        }
        if (rx_flag == 1)
            requestLiveFrame();
        if (ttick > kOrders[ORDER_LIVE_VALUES].waitTicks) {
            ShowStatus("Timeout RS232-Line!");
            stop_flag = 1;
            break;
        }
        ProcessSystemEvents();
    }
}

} // namespace

int CC_BTNRun(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT)
        return 0;
    lockForRun();
    if (requestLiveFrame())
        ShowStatus("Line Ok!");
    StartTickTimer();
    stop_flag = 0;
    graphrefresh = 0;
    runLoop();
    rx_flag = 0;
    FlushInQ(com);
    FlushOutQ(com);
    graphrefresh = 0;
    setDimmed(panelHandle, MAIN_RUN, 0);
    StopTickTimer();
    return 0;
}

int CC_BTNStop(int, int, int event, void *, int, int) {
    if (event != EVENT_LEFT_CLICK)
        return 0;
    stop_flag = 1;
    setDimmed(panelHandle, MAIN_DATA, 0);
    setDimmed(panelHandle, MAIN_RUN, 0);
    setDimmed(panelHandle, MAIN_GET, 0);
    if (bMode == 2) {
        setDimmed(panelPopUp, POP_TEACHBACKGROUND, 0);
        setDimmed(panelPopUp, POP_BACKGROUNDTEACHLED, 0);
    }
    return 0;
}
