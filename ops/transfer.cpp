// SPDX-License-Identifier: GPL-3.0-or-later
// Parameter transfer: the storage target chosen by the three radio buttons, Send to that
// target, and Get from it, whose read-back PushGET also serves the line check and the teaches.
#include "ops/transfer.h"

#include "link/COM232.h"
#include "link/protocol.h"
#include "ops/panel_refresh.h"
#include "ops/param_file.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/notify.h"
#include "state/panel_controls.h"
#include "state/status_line.h"

namespace {

struct TargetButton {
    int control;
    int target;
};
const TargetButton kTargetButtons[] = {
    {MAIN_RAM, RAM}, {MAIN_EEPROM, EEPROM}, {MAIN_FILE, DATFILE}};

ParamPlace placeOf(int t) {
    return t == EEPROM ? ParamPlace::Eeprom : ParamPlace::Ram;
}

// Switching a button on makes it the only one on; switching the chosen button off falls back
// to RAM, so that exactly one target is always chosen.
void chooseTarget(int control, int t) {
    int value = 0;
    GetCtrlVal(panelHandle, control, &value);
    if (value != 0) {
        for (const TargetButton &b : kTargetButtons)
            SetCtrlVal(panelHandle, b.control, b.control == control ? 1 : 0);
        target = t;
    } else {
        target = RAM;
        SetCtrlVal(panelHandle, MAIN_RAM, 1);
    }
}

// Asks the sensor for its RAM or EEPROM set; the request carries the variables as they stand.
// The outcome is left in szStatus.
void readFromSensor(int t) {
    const int code = t == EEPROM ? ORDER_READ_EEPROM : ORDER_READ_RAM;
    CopyVarsToPP();
    if (SendFrame(com, code, pp, Flush::InThenOut))
        ShowStatus("Waiting for parameter-frame ...");
    if (!AwaitFrame(kOrders[code].waitTicks, FirstTest::Reply)) {
        SetStatusText("Timeout-RS-232...");
        return;
    }
    GetRxBuf(PNUM);
    CopyPPtoVars();
    NotifyParameterSetRead(placeOf(t), pp, nullptr);
    SetStatusText("Parameter-frame received! - Line Ok!");
}

// No reply is awaited: a frame the sensor may send back is taken by the receive callback.
void sendToSensor() {
    GetPanelValues();
    CopyVarsToPP();
    if (!SendFrame(com, target == EEPROM ? ORDER_WRITE_EEPROM : ORDER_WRITE_RAM, pp, Flush::None))
        return;
    NotifyParameterSetWritten(placeOf(target), pp, nullptr);
    ShowStatus("Line Ok!");
}

} // namespace

void PushGET(int t) {
    if (t != DATFILE)
        readFromSensor(t);
    SetCtrlVal(panelHandle, MAIN_UNIT, 1);
    SetPanelValues();
    ShowStatus(szStatus);
}

int CC_RBTRam(int, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED)
        chooseTarget(control, RAM);
    return 0;
}

int CC_RBTEeprom(int, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED)
        chooseTarget(control, EEPROM);
    return 0;
}

int CC_RBTFile(int, int control, int event, void *, int, int) {
    if (event == EVENT_VAL_CHANGED)
        chooseTarget(control, DATFILE);
    return 0;
}

int CC_BTNSend(int, int, int event, void *, int, int) {
    if (event != EVENT_LEFT_CLICK)
        return 0;
    ShowStatus("Transmit...");
    if (target != DATFILE)
        sendToSensor();
    else if (ChooseSaveFile())
        SendParaToFile();
    return 0;
}

int CC_BTNGet(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT)
        return 0;
    if (target == DATFILE)
        ReadParaFromFile();
    PushGET(target);
    return 0;
}
