// SPDX-License-Identifier: GPL-3.0-or-later
// The panel binding: the refresh that shows the variables and frees what their modes allow,
// and the mode controls that lock and free their dependent controls while the user edits.
#include "ops/panel_refresh.h"
#include "ops/run_stop.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QTest>
#include <algorithm>

using toolprobe::dimmed;
using toolprobe::valueOf;

namespace {

// Sets a control as the user would and raises the event its callback acts on.
void choose(int panel, int control, int value, CtrlCallbackPtr callback, int event) {
    SetCtrlVal(panel, control, value);
    callback(panel, control, event, nullptr, 0, 0);
}

void dimAll(std::initializer_list<int> popUpControls) {
    for (int c : popUpControls)
        SetCtrlAttribute(panelPopUp, c, ATTR_DIMMED, 1);
}

} // namespace

class PanelBindingTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(StartToolPanels()); }
    void cleanupTestCase() { StopToolPanels(); }
    void init() { stop_flag = 1; }

    // The refresh corrects and shows the values, and frees in one direction only.
    void refreshShowsAndFreesByMode() {
        AssignParameterDefaults();
        power = 1001;
        pStart = 300;
        ePoti = 1;
        bMode = 2;
        eMode = 2;
        SetCtrlAttribute(panelPopUp, POP_TOLERANCE, ATTR_DIMMED, 0);
        dimAll({POP_TEACHBACKGROUND, POP_BACKGROUNDTEACHLED, POP_SCALEFACTOR});
        SetPanelValues();
        QCOMPARE(power, 500);
        QCOMPARE(valueOf(panelHandle, MAIN_POWER), 500);
        QCOMPARE(valueOf(panelPopUp, POP_LASTPIXEL), 555);
        QCOMPARE(dimmed(panelPopUp, POP_TOLERANCE), 1);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 0);
        QCOMPARE(dimmed(panelPopUp, POP_BACKGROUNDTEACHLED), 0);
        QCOMPARE(dimmed(panelPopUp, POP_SCALEFACTOR), 0);

        ePoti = 0;
        bMode = 0;
        SetPanelValues();
        QCOMPARE(dimmed(panelPopUp, POP_TOLERANCE), 1);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 0);
    }

    // The background teach is allowed only in background mode 2 while no loop runs.
    void backgroundModeRingFollowsTheLoop() {
        stop_flag = 0;
        choose(panelPopUp, POP_BACKGROUNDMODE, 2, CC_RING_CCDBGMode, EVENT_VAL_CHANGED);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 1);
        QCOMPARE(dimmed(panelPopUp, POP_BACKGROUNDVALUE), 1);
        stop_flag = 1;
        choose(panelPopUp, POP_BACKGROUNDMODE, 2, CC_RING_CCDBGMode, EVENT_VAL_CHANGED);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 0);
        QCOMPARE(dimmed(panelPopUp, POP_BACKGROUNDTEACHLED), 0);
        choose(panelPopUp, POP_BACKGROUNDMODE, 1, CC_RING_CCDBGMode, EVENT_VAL_CHANGED);
        QCOMPARE(dimmed(panelPopUp, POP_BACKGROUNDVALUE), 0);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 1);
    }

    // A left click on the evaluation-mode ring ends a loop like Stop and frees the buttons,
    // the teach-background button even outside background mode 2; Stop frees that button only
    // in background mode 2.
    void evaluationRingAndStopFreeTheLockedButtons() {
        for (int c : {MAIN_RUN, MAIN_DATA, MAIN_GET})
            SetCtrlAttribute(panelHandle, c, ATTR_DIMMED, 1);
        dimAll({POP_TEACHBACKGROUND});
        bMode = 0;
        stop_flag = 0;
        CC_DropDEvalmode(panelHandle, MAIN_EVALMODE, EVENT_LEFT_CLICK, nullptr, 0, 0);
        QCOMPARE(stop_flag, 1);
        for (int c : {MAIN_RUN, MAIN_DATA, MAIN_GET})
            QCOMPARE(dimmed(panelHandle, c), 0);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 0);

        dimAll({POP_TEACHBACKGROUND, POP_BACKGROUNDTEACHLED});
        CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 1);
        bMode = 2;
        CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 0);
        QCOMPARE(dimmed(panelPopUp, POP_BACKGROUNDTEACHLED), 0);
    }

    void editsLockAndFreeTheirDependents() {
        choose(panelHandle, MAIN_EVALMODE, 2, CC_DropDEvalmode, EVENT_VAL_CHANGED);
        QCOMPARE(dimmed(panelPopUp, POP_SCALEFACTOR), 0);
        choose(panelHandle, MAIN_EVALMODE, 1, CC_DropDEvalmode, EVENT_VAL_CHANGED);
        QCOMPARE(dimmed(panelPopUp, POP_SCALEFACTOR), 1);
        choose(panelPopUp, POP_CCDMODE, 1, CC_RING_CCDMode, EVENT_COMMIT);
        QCOMPARE(dimmed(panelPopUp, POP_PIXELSTART), 0);
        choose(panelPopUp, POP_PIXELSTART, 300, CC_NSLIDE_PixelStart, EVENT_VAL_CHANGED);
        QCOMPARE(valueOf(panelPopUp, POP_LASTPIXEL), 555);
        choose(panelPopUp, POP_CCDMODE, 2, CC_RING_CCDMode, EVENT_COMMIT);
        QCOMPARE(dimmed(panelPopUp, POP_LASTPIXEL), 1);
        choose(panelPopUp, POP_TOLERANCEENABLE, 0, CC_BIN_Sw_EnableTol, EVENT_VAL_CHANGED);
        QCOMPARE(dimmed(panelPopUp, POP_TOLERANCE), 0);
        choose(panelPopUp, POP_TOLERANCEENABLE, 1, CC_BIN_Sw_EnableTol, EVENT_VAL_CHANGED);
        QCOMPARE(dimmed(panelPopUp, POP_TOLERANCE), 1);
    }

    // A listener reads the set a Send would carry without touching the variables or pp.
    void panelWordsReadWithoutTheVariables() {
        const toolprobe::Words set = {650, 1,  333, 70, 0, 3,  120, 880,
                                      410, 60, 1,   0,  2, 17, 1,   950};
        for (int w = 0; w < PNUM - 1; ++w)
            SetCtrlVal(BoundControlOf(w).panel, BoundControlOf(w).control, set[w]);
        SetCtrlVal(BoundControlOf(15).panel, BoundControlOf(15).control, 0.95f);
        AssignParameterDefaults();
        CopyVarsToPP();
        const toolprobe::Words before = toolprobe::variables();
        toolprobe::Words read{};
        ReadPanelWords(read.data());
        QCOMPARE(read, set);
        QCOMPARE(read, toolprobe::panelWords());
        QCOMPARE(toolprobe::variables(), before);
        QVERIFY(std::equal(before.begin(), before.end(), pp));
        QCOMPARE(BoundControlOf(PNUM).control, 0);
    }
};

QTEST_MAIN(PanelBindingTest)
#include "test_params_panel_binding.moc"
