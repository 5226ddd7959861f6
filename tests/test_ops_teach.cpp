// SPDX-License-Identifier: GPL-3.0-or-later
// Teach operations against the simulated sensor and against a line on which nothing answers,
// and the main-panel displays of the teach value and tolerance.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/teach.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/pty_pair.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QElapsedTimer>
#include <QTest>
#include <array>

using namespace toolprobe;

namespace {

void teach() {
    CC_ButtonTeach(panelHandle, MAIN_TEACH, EVENT_COMMIT, nullptr, 0, 0);
}

void teachBackground(int event) {
    CC_BTNTeachBackGround(panelPopUp, POP_TEACHBACKGROUND, event, nullptr, 0, 0);
}

} // namespace

class TeachTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(StartToolPanels()); }
    void cleanupTestCase() { StopToolPanels(); }
    void cleanup() { CloseCom(com); }

    void teachesAgainstSensor() {
        SimProcess sim({"--no-pacing"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        attach(sim.devicePath());
        const Words sensorSet = variables();

        std::fill(pp, pp + PNUM, 0);
        CopyPPtoVars();
        teach();
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
        Words taught = variables();
        QCOMPARE(valueOf(panelPopUp, POP_TEACHVALUE), taught[8]);
        taught[8] = sensorSet[8];
        QCOMPARE(taught, sensorSet);

        SetCtrlVal(panelPopUp, POP_BACKGROUNDVALUE, 444);
        teachBackground(EVENT_LEFT_CLICK);
        QCOMPARE(StatusText(), QString("Teach order echo received! - Line Ok!"));
        QCOMPARE(pp[3], 444);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 1);
        QCOMPARE(valueOf(panelPopUp, POP_BACKGROUNDTEACHLED), 1);
        teachBackground(EVENT_COMMIT);
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
        QCOMPARE(bVal, sensorSet[3]);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 0);
        QCOMPARE(valueOf(panelPopUp, POP_BACKGROUNDTEACHLED), 0);
    }

    // A pseudo-terminal on which nothing answers; the test reads what the tool writes.
    void silentLine() {
        PtyPair line;
        QVERIFY(line.isOpen());
        attach(line.slavePath());
        line.receive(kFrameBytes, 100);

        // The set-point teach sends the packet as it stands, not the variables.
        Words packet;
        packet.fill(0x1234);
        std::copy(packet.begin(), packet.end(), pp);
        QElapsedTimer clock;
        clock.start();
        teach();
        QVERIFY2(clock.elapsed() > 650 && clock.elapsed() < 1300,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(StatusText(), QString("New setpoint value teached!"));
        const QByteArray order5 = line.receive(kFrameBytes, 100);
        QCOMPARE(order5.left(4), QByteArray("\x00\x55\x00\x05", 4));
        QCOMPARE(wordsOf(order5), packet);
        QCOMPARE(line.receive(1, 100), QByteArray());

        SetCtrlVal(panelPopUp, POP_BACKGROUNDVALUE, 333);
        clock.restart();
        teachBackground(EVENT_LEFT_CLICK);
        QVERIFY2(clock.elapsed() > 1400 && clock.elapsed() < 2500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(StatusText(), QString("Timeout-RS-232..."));
        const QByteArray order6 = line.receive(kFrameBytes, 100);
        QCOMPARE(order6.left(4), QByteArray("\x00\x55\x00\x06", 4));
        QCOMPARE(wordsOf(order6)[3], 333);
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 1);
        QCOMPARE(valueOf(panelPopUp, POP_BACKGROUNDTEACHLED), 1);
        teachBackground(EVENT_COMMIT);
        QCOMPARE(line.receive(1, 100), QByteArray());
        QCOMPARE(dimmed(panelPopUp, POP_TEACHBACKGROUND), 0);
        QCOMPARE(valueOf(panelPopUp, POP_BACKGROUNDTEACHLED), 0);
    }

    void displaysFollowEditsInPixelsOrMicrometres_data() {
        QTest::addColumn<int>("unit");
        QTest::addColumn<int>("edit");
        QTest::addColumn<int>("shown");
        QTest::newRow("100 um") << 0 << 100 << 780;
        QTest::newRow("512 um") << 0 << 512 << 3993;
        QTest::newRow("100 px") << 1 << 100 << 100;
        QTest::newRow("512 px") << 1 << 512 << 512;
    }
    void displaysFollowEditsInPixelsOrMicrometres() {
        QFETCH(int, unit);
        QFETCH(int, edit);
        QFETCH(int, shown);
        SetCtrlVal(panelHandle, MAIN_UNIT, unit);
        SetCtrlVal(panelHandle, MAIN_TEACHVALUE, 0);
        SetCtrlVal(panelHandle, MAIN_TOLERANCE, 0);
        SetCtrlVal(panelPopUp, POP_TEACHVALUE, edit);
        SetCtrlVal(panelPopUp, POP_TOLERANCE, edit / 2);
        CC_NEDITTeach(panelPopUp, POP_TEACHVALUE, EVENT_VAL_CHANGED, nullptr, 0, 0);
        QCOMPARE(valueOf(panelHandle, MAIN_TEACHVALUE), 0);
        CC_NEDITTeach(panelPopUp, POP_TEACHVALUE, EVENT_COMMIT, nullptr, 0, 0);
        QCOMPARE(valueOf(panelHandle, MAIN_TEACHVALUE), shown);
        CC_NEDITTolerance(panelPopUp, POP_TOLERANCE, EVENT_VAL_CHANGED, nullptr, 0, 0);
        QCOMPARE(valueOf(panelHandle, MAIN_TOLERANCE), unit == 0 ? shown / 2 : edit / 2);
    }
};

QTEST_MAIN(TeachTest)
#include "test_ops_teach.moc"
