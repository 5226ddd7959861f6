// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's adapter pulled out while Run or Data polls it: the loop ends on its own
// time-out with its message, the tool keeps running, and choosing the port again once a sensor
// is back under the same device name restores the line.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/port_setup.h"
#include "ops/run_stop.h"
#include "ops/video_capture.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "state/tick_timer.h"
#include "support/cpu_time.h"
#include "support/pluggable_sim.h"
#include "support/tool_fixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// The Run and Data loops give up once 31 ticks of 50 ms pass without a frame.
constexpr int kTimeoutMs = (kTimeoutTicks + 1) * 50;
constexpr int kMarginMs = 450;

int timerEnabled() {
    int on = -1;
    GetCtrlAttribute(panelHandle, MAIN_TIMER, ATTR_ENABLED, &on);
    return on;
}

} // namespace

class UnplugTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QStringList shown; // every text the status line showed, in order

    QString device() const { return dir.filePath("ttyRMOX"); }

    // The time since the sensor was pulled out, and the CPU time the tool used since then.
    struct SinceUnplug {
        QElapsedTimer wall;
        double cpuAtUnplug = 0;
        void start() {
            cpuAtUnplug = CpuSeconds();
            wall.start();
        }
        double cpuShare() const { return (CpuSeconds() - cpuAtUnplug) * 1000 / wall.elapsed(); }
    };

    // The loop has ended on its time-out, measured from the unplug, and left the tool idle
    // with the dead port closed.
    void expectEndedByTimeout(const SinceUnplug &since, int waits) {
        const qint64 ms = since.wall.elapsed();
        qInfo("loop ended %lld ms after the unplug (%d waits of %d ms), CPU %.1f %%", ms, waits,
              kTimeoutMs, 100 * since.cpuShare());
        QVERIFY2(ms >= waits * kTimeoutMs - 200 && ms <= waits * kTimeoutMs + kMarginMs,
                 qPrintable(QString::number(ms)));
        QVERIFY2(since.cpuShare() < 0.25, qPrintable(QString::number(since.cpuShare())));
        QCOMPARE(StatusText(), QString("Timeout RS232-Line!"));
        QCOMPARE(stop_flag, 1);
        QCOMPARE(timerEnabled(), 0);
        QCOMPARE(ttick, 0);
        QCOMPARE(GetInQLen(com), int(kComPortNotOpen));
    }

    // A sensor is back under the same name; the user chooses the same port on the ring again.
    void expectLineRestoredOnReplug() {
        PluggableSim again(device());
        QVERIFY2(again.isRunning(), qPrintable(again.errorString()));
        auto *ring = qobject_cast<QComboBox *>(rtControlWidget(panelHandle, MAIN_PORT));
        QVERIFY(ring);
        SetCtrlVal(panelHandle, MAIN_PORT, 1);
        shown.clear();
        emit ring->activated(ring->currentIndex());
        QVERIFY2(
            PumpUntil([] { return StatusText() == "Parameter-frame received! - Line Ok!"; }, 3000),
            qPrintable(shown.join(" | ")));
        const QStringList expected = {"Init COM-Port ...", "Echo Check - Line Ok!",
                                      "Waiting for parameter-frame ...",
                                      "Parameter-frame received! - Line Ok!"};
        QCOMPARE(shown, expected);
        QCOMPARE(com, 1);
        QCOMPARE(ret, 1);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QVERIFY(StartToolPanels());
        qputenv("RMOX_COM1", device().toLocal8Bit());
        auto *status = qobject_cast<QLineEdit *>(rtControlWidget(panelHandle, MAIN_STATUS));
        QVERIFY(status);
        connect(status, &QLineEdit::textChanged, this, [this](const QString &t) { shown << t; });
    }
    void cleanupTestCase() { StopToolPanels(); }
    void init() { shown.clear(); }
    void cleanup() { CloseCom(com); }

    // Live frames are drawn until the unplug; then no frame comes and the time-out ends Run.
    void unplugDuringRun() {
        PluggableSim sensor(device());
        QVERIFY2(sensor.isRunning(), qPrintable(sensor.errorString()));
        InitRS232(1);
        QCOMPARE(ret, 1);
        const unsigned short sensorTeach = tVal;
        tVal = 0;
        SinceUnplug since;
        bool pulled = false;
        QTimer::singleShot(300, [&] {
            pulled = sensor.pullOut();
            since.start();
        });
        CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
        QVERIFY(pulled);
        QCOMPARE(tVal, sensorTeach);
        expectEndedByTimeout(since, 1);
        expectLineRestoredOnReplug();
    }

    // Pulled out right after the last block request of a pass: that block read times out,
    // then the live-data exchange does, and Data ends.
    void unplugDuringData() {
        PluggableSim sensor(device());
        QVERIFY2(sensor.isRunning(), qPrintable(sensor.errorString()));
        InitRS232(1);
        QCOMPARE(ret, 1);
        auto *status = qobject_cast<QLineEdit *>(rtControlWidget(panelHandle, MAIN_STATUS));
        SinceUnplug since;
        int blockRequests = 0;
        bool pulled = false;
        const auto probe = connect(status, &QLineEdit::textChanged, this, [&](const QString &t) {
            if (t == "Waiting for Data[64] ..." && ++blockRequests == 4) {
                pulled = sensor.pullOut();
                since.start();
            }
        });
        shown.clear();
        CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
        disconnect(probe);
        QVERIFY(pulled);
        QCOMPARE(blockRequests, 4);
        QCOMPARE(shown.filter("Data[64] block received!").size(), 3);
        QVERIFY(shown.contains("Timeout-RS-232 while reading 64 data-words!"));
        expectEndedByTimeout(since, 2);
        int dimmed = -1;
        GetCtrlAttribute(panelHandle, MAIN_DATA, ATTR_DIMMED, &dimmed);
        QCOMPARE(dimmed, 0);
        expectLineRestoredOnReplug();
    }
};

QTEST_MAIN(UnplugTest)
#include "test_unplug.moc"
