// Teach operations: order the sensor to teach a new set point (order 5) or a new background
// (order 6), wait for its answer and read its parameter set back; and the mirror of the
// pop-up's teach value and tolerance on the main panel's displays.
#include "ops/teach.h"

#include "app/VidaREZezad11.h"
#include "app/panel_controls.h"
#include "app/tick_timer.h"
#include "display/live_plot.h"
#include "link/COM232.h"
#include "ops/transfer.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"

namespace {

enum { kTeachSetPoint = 5, kTeachBackground = 6 };
// The set-point teach waits half as long as the other waits.
constexpr unsigned short kSetPointTicks = 15;

void sendOrder(int code) {
    order = code;
    FillTxBuf(static_cast<unsigned short>(order), pp);
    nBytesW = ComWrt(com, szWriteBuf, kFrameBytes);
}

// Any frame counts as the answer; the set point is then read back from RAM.
void teachSetPoint() {
    FlushInQ(com);
    FlushOutQ(com);
    rx_flag = 0;
    sendOrder(kTeachSetPoint);
    ShowStatus("New setpoint value teached!");
    StartTickTimer();
    do {
        if (rx_flag == 1) {
            PushGET(RAM);
            break;
        }
        ProcessSystemEvents();
    } while (ttick < kSetPointTicks);
    StopTickTimer();
}

void awaitTeachEcho() {
    while (true) {
        ProcessSystemEvents();
        if (rx_flag == 1) {
            GetRxBuf(PNUM);
            SetStatusText("Teach order echo received! - Line Ok!");
            ShowStatus(szStatus);
            break;
        }
        if (ttick > kTimeoutTicks) {
            SetStatusText("Timeout-RS-232...");
            ShowStatus(szStatus);
            break;
        }
    }
}

// The button stays locked and the indicator lit until the commit that follows this press.
void teachBackground() {
    SetCtrlAttribute(panelPopUp, POP_TEACHBACKGROUND, ATTR_DIMMED, 1);
    SetCtrlVal(panelPopUp, POP_BACKGROUNDTEACHLED, 1);
    GetPanelValues();
    CopyVarsToPP();
    FlushOutQ(com);
    FlushInQ(com);
    sendOrder(kTeachBackground);
    if (nBytesW == kFrameBytes)
        ShowStatus("Line Ok!");
    StartTickTimer();
    rx_flag = 0;
    awaitTeachEcho();
    StopTickTimer();
}

void finishTeachBackground() {
    if (rx_flag != 0)
        PushGET(RAM);
    SetCtrlVal(panelPopUp, POP_BACKGROUNDTEACHLED, 0);
    SetCtrlAttribute(panelPopUp, POP_TEACHBACKGROUND, ATTR_DIMMED, 0);
}

// Shows an edit's value on a main-panel display, in micrometres when the unit switch is 0.
void mirrorOnMainPanel(int panel, int control, int display) {
    unsigned short v = 0;
    unsigned short unit = 1;
    GetCtrlVal(panel, control, &v);
    GetCtrlVal(panelHandle, MAIN_UNIT, &unit);
    SetCtrlVal(panelHandle, display, unit == 0 ? MicrometresOf(v) : v);
}

} // namespace

int CC_ButtonTeach(int, int, int event, void *, int, int) {
    if (event == EVENT_COMMIT)
        teachSetPoint();
    return 0;
}

int CC_BTNTeachBackGround(int, int, int event, void *, int, int) {
    if (event == EVENT_LEFT_CLICK)
        teachBackground();
    else if (event == EVENT_COMMIT)
        finishTeachBackground();
    return 0;
}

int CC_NEDITTeach(int panel, int control, int event, void *, int, int) {
    if (event == EVENT_COMMIT)
        mirrorOnMainPanel(panel, control, MAIN_TEACHVALUE);
    return 0;
}

int CC_NEDITTolerance(int panel, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED)
        mirrorOnMainPanel(panel, control, MAIN_TOLERANCE);
    return 0;
}
