// The tick timer around every wait for the sensor: each wait starts and ends with ttick at 0,
// and gives up once ttick exceeds kTimeoutTicks.
#pragma once

#include "app/VidaREZezad11.h"
#include "app/panel_controls.h"
#include "runtime/runtime.h"

inline void StartTickTimer() {
    SetCtrlAttribute(panelHandle, MAIN_TIMER, ATTR_ENABLED, 1);
    ttick = 0;
}

inline void StopTickTimer() {
    SetCtrlAttribute(panelHandle, MAIN_TIMER, ATTR_ENABLED, 0);
    ttick = 0;
}
