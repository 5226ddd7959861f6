// Parameter transfer: the storage target chosen by the three radio buttons, Send to that
// target, and Get from it, whose read-back PushGET also serves the line check and the teaches.
#include "ops/transfer.h"

#include "app/VidaREZezad11.h"
#include "app/panel_controls.h"
#include "app/tick_timer.h"
#include "link/COM232.h"
#include "ops/param_file.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"

int target = RAM;

namespace {

enum { kWriteRam = 1, kReadRam = 2, kWriteEeprom = 3, kReadEeprom = 4 };

struct TargetButton {
    int control;
    int target;
};
const TargetButton kTargetButtons[] = {
    {MAIN_RAM, RAM}, {MAIN_EEPROM, EEPROM}, {MAIN_FILE, DATFILE}};

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

// Waits for the reply to a read request; leaves its outcome in szStatus.
void awaitParameterFrame() {
    StartTickTimer();
    rx_flag = 0;
    while (true) {
        ProcessSystemEvents();
        if (rx_flag == 1) {
            GetRxBuf(PNUM);
            CopyPPtoVars();
            SetStatusText("Parameter-frame received! - Line Ok!");
            break;
        }
        if (ttick > kTimeoutTicks) {
            SetStatusText("Timeout-RS-232...");
            break;
        }
    }
    StopTickTimer();
}

// Asks the sensor for its RAM or EEPROM set; the request carries the variables as they stand.
void requestParameterFrame(int t) {
    order = t == EEPROM ? kReadEeprom : kReadRam;
    sync = 0x55;
    CopyVarsToPP();
    FlushInQ(com);
    FlushOutQ(com);
    FillTxBuf(static_cast<unsigned short>(order), pp);
    nBytesW = ComWrt(com, szWriteBuf, kFrameBytes);
    if (nBytesW == kFrameBytes)
        ShowStatus("Waiting for parameter-frame ...");
    awaitParameterFrame();
}

// No reply is awaited: a frame the sensor may send back is taken by the receive callback.
void sendToSensor() {
    sync = 0x55;
    order = target == EEPROM ? kWriteEeprom : kWriteRam;
    GetPanelValues();
    CopyVarsToPP();
    FillTxBuf(static_cast<unsigned short>(order), pp);
    nBytesW = ComWrt(com, szWriteBuf, kFrameBytes);
    if (nBytesW == kFrameBytes)
        ShowStatus("Line Ok!");
}

} // namespace

void PushGET(int t) {
    if (t != DATFILE)
        requestParameterFrame(t);
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
