// SPDX-License-Identifier: GPL-3.0-or-later
#include "ops/port_setup.h"

#include "link/COM232.h"
#include "ops/transfer.h"
#include "runtime/runtime.h"
#include "state/panel_controls.h"
#include "state/status_line.h"

void InitRS232(int port) {
    ret = OpenSensorPort(port);
    if (ret >= 0) {
        ret = CheckComLine(port);
        if (ret == 1) {
            target = RAM;
            PushGET(RAM);
        }
    }
    ShowStatus(szStatus);
}

bool ReopenRS232(int port) {
    ret = OpenSensorPort(port);
    if (ret < 0) {
        ShowStatus(szStatus);
        return true;
    }
    const int checked = RecheckComLine(port);
    ret = checked < 0 ? 0 : checked;
    if (checked >= 0)
        ShowStatus(szStatus);
    return checked >= 0;
}

// The ring raises both value-changed and commit for one choice; each sets the port up anew.
int CC_DropDCom(int, int, int event, void *, int, int) {
    if (event != EVENT_COMMIT && event != EVENT_VAL_CHANGED)
        return 0;
    CloseCom(com);
    GetCtrlVal(panelHandle, MAIN_PORT, &com);
    ShowStatus("Init COM-Port ...");
    InitRS232(com);
    return 0;
}
