// SPDX-License-Identifier: GPL-3.0-or-later
// Every callback name that the panel file uses, resolved to its function.
#include "app/VidaREZezad11.h"
#include "display/markers.h"
#include "display/video_curve.h"
#include "ops/port_setup.h"
#include "ops/run_stop.h"
#include "ops/teach.h"
#include "ops/transfer.h"
#include "ops/video_capture.h"
#include "params/panel_binding.h"
#include "runtime/runtime.h"
#include "state/tick_timer.h"

namespace {

struct NamedCallback {
    const char *name;
    CtrlCallbackPtr fn;
};

#define RMOX_ENTRY(fn)                                                                             \
    { #fn, fn }
const NamedCallback kCtrlCallbacks[] = {
    RMOX_ENTRY(CC_Timer50ms),        RMOX_ENTRY(CC_BTN_CCDSettings),
    RMOX_ENTRY(CC_BTNQuit),          RMOX_ENTRY(CC_DropDCom),
    RMOX_ENTRY(CC_BTNRun),           RMOX_ENTRY(CC_BTNStop),
    RMOX_ENTRY(CC_BTNData),          RMOX_ENTRY(CC_BTNSend),
    RMOX_ENTRY(CC_BTNGet),           RMOX_ENTRY(CC_RBTRam),
    RMOX_ENTRY(CC_RBTEeprom),        RMOX_ENTRY(CC_RBTFile),
    RMOX_ENTRY(CC_ButtonTeach),      RMOX_ENTRY(CC_BTNTeachBackGround),
    RMOX_ENTRY(CC_NEDITTeach),       RMOX_ENTRY(CC_NEDITTolerance),
    RMOX_ENTRY(CC_DropDEvalmode),    RMOX_ENTRY(CC_NSLIDE_PixelStart),
    RMOX_ENTRY(CC_RING_CCDMode),     RMOX_ENTRY(CC_RING_CCDBGMode),
    RMOX_ENTRY(CC_BIN_Sw_EnableTol), RMOX_ENTRY(CC_Slide_Reference),
    RMOX_ENTRY(CC_Slide_Tolerance),  RMOX_ENTRY(CC_Slide_Power),
    RMOX_ENTRY(CC_RingPowerMode),    RMOX_ENTRY(CC_RingPolarity),
    RMOX_ENTRY(CC_BIN_Switch_VGain), RMOX_ENTRY(CC_NEDITVideoThreshold),
    RMOX_ENTRY(CC_NEDITEdgeLeft),    RMOX_ENTRY(CC_NEDITEdgeRight),
    RMOX_ENTRY(CC_BINSWITCH_UM),     RMOX_ENTRY(CC_NUM_ScalFact),
    RMOX_ENTRY(CC_GraphData),        RMOX_ENTRY(CC_NEDITTolLeff),
};
#undef RMOX_ENTRY

} // namespace

void RegisterCallbacks() {
    for (const NamedCallback &c : kCtrlCallbacks)
        RegisterCtrlCallback(c.name, c.fn);
    RegisterPanelCallback("CC_PANEL", CC_PANEL);
}
