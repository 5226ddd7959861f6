// SPDX-License-Identifier: GPL-3.0-or-later
// Live monitoring and video capture: Run, Stop and Data against the simulated sensor and
// against a sensor that the test plays itself, request by request.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/run_stop.h"
#include "ops/teach.h"
#include "ops/transfer.h"
#include "ops/video_capture.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "runtime/serial_tap.h"
#include "runtime/widgets/graph_widget.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/pty_pair.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

using namespace toolprobe;

namespace {

constexpr char kBlockOrder = 9;
constexpr char kLiveOrder = 8;

unsigned short word(const QByteArray &frame, int i) {
    return static_cast<unsigned short>(quint8(frame[4 + 2 * i]) << 8 | quint8(frame[5 + 2 * i]));
}

// A request as "order first-word flag" for a block request, the order alone otherwise.
QString summary(const QByteArray &request) {
    if (request[3] != kBlockOrder)
        return QString::number(request[3]);
    return QString("%1 %2 %3").arg(int(kBlockOrder)).arg(word(request, 0)).arg(word(request, 1));
}

// The test's sensor on a pseudo-terminal, served from the tool's own event processing. It
// logs every request; it answers a block request with 64 samples counting up from the block's
// first index, and any other request with the request itself, data word 0 set to the echo
// mark 0x00AA, unless live requests are muted.
struct ScriptedSensor {
    PtyPair line;
    QByteArray pending;
    QList<QByteArray> requests;
    bool muteLive = false;
    std::function<void()> onRequest;
    std::function<void(QByteArray &)> onReply; // may change a reply before it goes out
    QTimer poll;

    ScriptedSensor() {
        poll.callOnTimeout([this] { serve(); });
        poll.start(1);
    }
    static QByteArray reply(const QByteArray &request) {
        QByteArray bytes = request;
        if (request[3] == kBlockOrder) {
            bytes.clear();
            for (int i = 0; i < kVideoBlockSamples; ++i)
                bytes += char(0) + QByteArray(1, char(word(request, 0) + i));
        } else {
            bytes[4] = 0;
            bytes[5] = char(0xAA);
        }
        return bytes;
    }
    void serve() {
        pending += line.receive(4096, 0);
        while (pending.size() >= kFrameBytes) {
            const QByteArray request = pending.left(kFrameBytes);
            pending.remove(0, kFrameBytes);
            requests << request;
            QByteArray answer = reply(request);
            if (onReply)
                onReply(answer);
            if (!(muteLive && request[3] == kLiveOrder))
                line.send(answer);
            if (onRequest)
                onRequest();
        }
    }
    QStringList log() const {
        QStringList lines;
        for (const QByteArray &r : requests)
            lines << summary(r);
        return lines;
    }
};

void run() {
    CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
}
void data() {
    CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
}

} // namespace

class LiveTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(StartToolPanels()); }
    void cleanupTestCase() { StopToolPanels(); }
    void cleanup() { CloseCom(com); }

    void runFollowsSensorUntilStopClicked() {
        SimProcess sim({"--no-pacing"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        attach(sim.devicePath());
        const unsigned short sensorTeach = tVal, sensorTolerance = tTol;
        tVal = tTol = 1;
        SetCtrlVal(panelHandle, MAIN_TEACHVALUE, 0);
        int runningAfterKey = -1;
        // Precise timers: a coarse one may fire up to 5 % early.
        QTimer::singleShot(200, Qt::PreciseTimer, [] {
            QTest::keyClick(rtControlWidget(panelHandle, MAIN_STOP), Qt::Key_Space);
        });
        QTimer::singleShot(500, Qt::PreciseTimer, [&] { runningAfterKey = stop_flag == 0; });
        QTimer::singleShot(600, Qt::PreciseTimer, [] {
            QTest::mouseClick(rtControlWidget(panelHandle, MAIN_STOP), Qt::LeftButton);
        });
        QElapsedTimer clock;
        clock.start();
        run();
        QVERIFY(clock.elapsed() >= 600);
        QCOMPARE(runningAfterKey, 1);
        QCOMPARE(StatusText(), QString("Line Ok!"));
        QCOMPARE(tVal, sensorTeach);
        QCOMPARE(tTol, sensorTolerance);
        unsigned short shown = 0;
        GetCtrlVal(panelHandle, MAIN_TEACHVALUE, &shown);
        QCOMPARE(shown, sensorTeach);
        QCOMPARE(dimmed(panelHandle, MAIN_RUN), 0);
        QCOMPARE(dimmed(panelHandle, MAIN_DATA), 0);
        QCOMPARE(dimmed(panelHandle, MAIN_VIDEOGRAPH), 1);
    }

    // Stop comes during the second pass; that pass still runs to its end.
    void dataSweepsBlocksThenOneLiveFrame() {
        ScriptedSensor sensor;
        attach(sensor.line.slavePath());
        sensor.requests.clear();
        sensor.onRequest = [&] {
            if (sensor.requests.size() == 7)
                ClickStop();
        };
        DisplayPanel(panelPopUp);
        hidePopUp = 0;
        data();
        const QStringList pass = {"9 0 0", "9 64 0", "9 128 0", "9 192 1", "8"};
        QCOMPARE(sensor.log(), pass + pass);
        QCOMPARE(word(sensor.requests[9], 3), word(ScriptedSensor::reply(sensor.requests[4]), 3));
        QCOMPARE(word(sensor.requests[9], 0), 0xAA);
        for (int i = 0; i < kVideoSamples; ++i)
            QCOMPARE(adcbuf[i], i);
        QCOMPARE(hidePopUp, 1);
        QVERIFY(!rtPanelWidget(panelPopUp)->isVisible());
        QCOMPARE(dimmed(panelHandle, MAIN_DATA), 0);
        getFromRam();
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
    }

    // The main graph shows each live frame while the sensor answers the next request, not
    // before that request goes out, and the last frame is shown once Data has ended.
    void dataRepaintsTheGraphAfterTheNextRequest() {
        ScriptedSensor sensor;
        attach(sensor.line.slavePath());
        sensor.requests.clear();
        DisplayPanel(panelHandle);
        auto *graph = qobject_cast<RtGraph *>(rtControlWidget(panelHandle, MAIN_MAINGRAPH));
        QVERIFY(QTest::qWaitForWindowExposed(graph->window()));
        QList<QPair<QString, int>> writes; // each request with the graph's paints when it left
        rtSetSerialTap([&](const SerialTapEvent &e) {
            if (e.kind == SerialTapEvent::Written)
                writes.append({summary(e.bytes), graph->paintCount()});
        });
        sensor.onRequest = [&] {
            if (sensor.requests.size() == 12)
                ClickStop();
        };
        // Each live frame moves the second edge, so each one changes the picture.
        int frames = 0;
        sensor.onReply = [&](QByteArray &reply) {
            if (reply[3] == kLiveOrder)
                reply[7] = char(100 + 40 * ++frames);
        };
        data();
        rtSetSerialTap({});
        QCOMPARE(writes.size(), 15);
        for (int live = 4; live + 1 < writes.size(); live += 5) {
            QCOMPARE(writes[live].first, QString("8"));
            QCOMPARE(writes[live + 1].first, QString("9 0 0"));
            QCOMPARE(writes[live + 1].second, writes[live].second);
        }
        QTRY_VERIFY(graph->paintCount() > writes.last().second);
        HidePanel(panelHandle);
    }

    // A reply that came in after the last loop must not count for the next Run.
    void silentSensorEndsRunAndStaleReplyIsIgnored() {
        ScriptedSensor sensor;
        attach(sensor.line.slavePath());
        sensor.muteLive = true;
        rx_flag = graphrefresh = 0;
        FillTxBuf(2, pp);
        ComWrt(com, szWriteBuf, kFrameBytes);
        QVERIFY(PumpUntil([] { return rx_flag == 1 && graphrefresh == 1; }, 1000));
        tVal = tTol = 7;
        sensor.requests.clear();
        QElapsedTimer clock;
        clock.start();
        run();
        QVERIFY2(clock.elapsed() > 1400 && clock.elapsed() < 2500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(StatusText(), QString("Timeout RS232-Line!"));
        QCOMPARE(sensor.log(), QStringList{"8"});
        QCOMPARE(tVal, 7);
        QCOMPARE(tTol, 7);
        QCOMPARE(dimmed(panelHandle, MAIN_RUN), 0);
        QCOMPARE(dimmed(panelHandle, MAIN_DATA), 1);
        QCOMPARE(dimmed(panelHandle, MAIN_GET), 1);
        QCOMPARE(dimmed(panelHandle, MAIN_QUIT), 0);
        ClickStop();
        PumpEvents(20);
        QCOMPARE(dimmed(panelHandle, MAIN_DATA), 0);
        QCOMPARE(dimmed(panelHandle, MAIN_GET), 0);
    }

    // A wait that a callback starts inside another one (Teach during Run, Get during Data's
    // live-frame wait) must leave the outer wait its time-out. A watchdog ends a hung loop.
    void nestedWaitKeepsTheOuterTimeout() {
        bool hung = false;
        QTimer watchdog;
        watchdog.setSingleShot(true);
        watchdog.callOnTimeout([&hung] { hung = true, stop_flag = 1; });

        PtyPair silent;
        attach(silent.slavePath());
        QTimer::singleShot(
            100, [] { CC_ButtonTeach(panelHandle, MAIN_TEACH, EVENT_COMMIT, nullptr, 0, 0); });
        watchdog.start(8000);
        run();
        QVERIFY(!hung);
        QCOMPARE(StatusText(), QString("Timeout RS232-Line!"));
        ClickStop();

        SimProcess sim({"--no-pacing", "--live-limit", "0"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        attach(sim.devicePath());
        QTimer::singleShot(300, [] { getFromRam(); });
        watchdog.start(8000);
        data();
        QVERIFY(!hung);
        QCOMPARE(StatusText(), QString("Timeout RS232-Line!"));
        ClickStop();
    }

    void dataEndsAfterOneCurveWithoutLiveFrames() {
        SimProcess sim({"--no-pacing", "--live-limit", "0"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        attach(sim.devicePath());
        std::fill(adcbuf, adcbuf + kVideoSamples, 0);
        QElapsedTimer clock;
        clock.start();
        data();
        QVERIFY2(clock.elapsed() > 1400 && clock.elapsed() < 2500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(StatusText(), QString("Timeout RS232-Line!"));
        QVERIFY(std::any_of(adcbuf, adcbuf + kVideoSamples, [](auto s) { return s != 0; }));
        QCOMPARE(dimmed(panelHandle, MAIN_RUN), 0);
        getFromRam();
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
    }
};

QTEST_MAIN(LiveTest)
#include "test_ops_live.moc"
