// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/status_line.h"

#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/notify.h"
#include "state/panel_controls.h"

#include <cstdio>

void ShowStatus(const char *text) {
    SetCtrlVal(panelHandle, MAIN_STATUS, text);
    NotifyStatusShown(text);
}

void SetStatusText(const char *text) {
    std::snprintf(szStatus, sizeof szStatus, "%s", text);
}
