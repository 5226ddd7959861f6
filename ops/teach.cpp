// SPDX-License-Identifier: GPL-3.0-or-later
// Teach operations: order the sensor to teach a new set point (order 5) or a new background
// (order 6), wait for its answer and read its parameter set back; and the mirror of the
// pop-up's teach value and tolerance on the main panel's displays.
#include "ops/teach.h"

#include "link/COM232.h"
#include "link/protocol.h"
#include "ops/transfer.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "params/units.h"
#include "runtime/runtime.h"
#include "state/panel_controls.h"
#include "state/status_line.h"

namespace {

// Sends pp as it stands; any frame counts as the answer, and the set point is then read back
// from RAM.
void teachSetPoint() {
    SendFrame(com, ORDER_TEACH_SETPOINT, pp, Flush::InThenOut);
    ShowStatus("New setpoint value teached!");
    if (AwaitFrame(kOrders[ORDER_TEACH_SETPOINT].waitTicks, FirstTest::Timeout))
        PushGET(RAM);
}

// Sends the panel's set; the button stays locked and the indicator lit until the commit that
// follows this press.
void teachBackground() {
    SetCtrlAttribute(panelPopUp, POP_TEACHBACKGROUND, ATTR_DIMMED, 1);
    SetCtrlVal(panelPopUp, POP_BACKGROUNDTEACHLED, 1);
    GetPanelValues();
    CopyVarsToPP();
    if (SendFrame(com, ORDER_TEACH_BACKGROUND, pp, Flush::OutThenIn))
        ShowStatus("Line Ok!");
    if (AwaitFrame(kOrders[ORDER_TEACH_BACKGROUND].waitTicks, FirstTest::Reply)) {
        GetRxBuf(PNUM);
        SetStatusText("Teach order echo received! - Line Ok!");
    } else {
        SetStatusText("Timeout-RS-232...");
    }
    ShowStatus(szStatus);
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
