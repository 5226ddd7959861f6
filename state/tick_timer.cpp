// SPDX-License-Identifier: GPL-3.0-or-later
#include "state/tick_timer.h"

#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"

namespace {

constexpr unsigned short kTickLimit = 60000;

int waitDepth = 0; // waits running, the outermost first

} // namespace

void StartTickTimer() {
    ++waitDepth;
    SetCtrlAttribute(panelHandle, MAIN_TIMER, ATTR_ENABLED, 1);
    ttick = 0;
}

void StopTickTimer() {
    if (waitDepth > 0)
        --waitDepth;
    if (waitDepth == 0)
        SetCtrlAttribute(panelHandle, MAIN_TIMER, ATTR_ENABLED, 0);
    ttick = 0;
}

// The counter stops at 60000 rather than wrapping, so a forgotten timer never looks fresh.
int CC_Timer50ms(int, int, int event, void *, int, int) {
    if (event != EVENT_TIMER_TICK)
        return 0;
    ttick = static_cast<unsigned short>(ttick + 1);
    if (ttick > kTickLimit)
        ttick = kTickLimit;
    return 0;
}
