// SPDX-License-Identifier: GPL-3.0-or-later
// Every fault mode of the simulated sensor during every operation that talks to it: each ends
// with its own message, is back to idle within its time-out and a small margin, and shows as
// parameter values only the words the sensor sent.
//
// A frame carries no check that the tool tests, and the receive callback takes the first 36
// bytes waiting. Bytes that are still on the line when an operation flushes the input queue
// and sends its request land in front of the reply: the tail of a reply that is longer than a
// frame, when the next request follows at once, and a burst of line noise just before a
// reply. The frame taken then straddles two replies. In rows marked TailAhead (and with line
// noise) such shifted frames are counted and reported; a frame that begins with the sync word
// and the expected order must show the sensor's set exactly.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/panel_refresh.h"
#include "ops/port_setup.h"
#include "ops/run_stop.h"
#include "ops/teach.h"
#include "ops/transfer.h"
#include "ops/video_capture.h"
#include "params/panel_binding.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "state/tick_timer.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>

using toolprobe::attributeOf;
using toolprobe::getFromRam;
using toolprobe::valueOf;

namespace {

using Words = QList<int>;

constexpr int kTickMs = 50;
constexpr int kTimeoutMs = (kTimeoutTicks + 1) * kTickMs;
constexpr int kSetPointTeachMs = 15 * kTickMs;
constexpr int kMarginMs = 450;
// Bytes the sensor appends to every reply in the rows with a tail: 31 ms on the line.
constexpr const char *kTailBytes = "60";

// The sensor's EEPROM set, which its RAM starts as a copy of. Every word is in range and
// differs from the tool's start-up value.
const Words kSensorSet = {640, 1, 470, 130, 0, 0, 140, 880, 333, 27, 0, 0, 0, 64, 1, 1100};
// A set that Send writes; it differs from both.
const Words kSentSet = {720, 0, 300, 200, 1, 3, 50, 950, 600, 40, 1, 1, 0, 128, 0, 900};
constexpr int kTeachValueWord = 8;
constexpr int kToleranceWord = 9;

enum Order { kReadRam = 2, kEcho = 7, kLive = 8 };

// What the panel must show after the operation.
enum Shows {
    Unchanged,        // no reply: the set the panel showed before
    SensorSet,        // exactly the sensor's set
    SensorSetAligned, // the sensor's set whenever the frame taken began with sync and order
    TailAhead,        // the previous reply's tail may be taken into the frame
};

Words listOf(const toolprobe::Words &w) {
    return Words(w.begin(), w.end());
}

Words panelSet() {
    return listOf(toolprobe::panelWords());
}

void showSet(const Words &w) {
    std::copy(w.begin(), w.end(), pp);
    CopyPPtoVars();
    SetPanelValues();
}

// The frame the receive callback took last begins with the sync word and `order`.
bool frameAligned(int order) {
    const auto *b = reinterpret_cast<const unsigned char *>(szReadBuf);
    return b[0] == 0x00 && b[1] == 0x55 && b[2] == 0x00 && b[3] == order;
}

// The port set up as start-up does, without the line check and its read-back, so that a
// silent sensor costs no time-out before the operation under test.
bool openPort(const QString &device) {
    CloseCom(com);
    com = 1;
    qputenv("RMOX_COM1", device.toLocal8Bit());
    if (OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096) != 0)
        return false;
    FlushInQ(com);
    InstallComCallback(com, eventMask, kFrameBytes, COM232::sync, RX_Receive_Function, nullptr);
    return true;
}

} // namespace

class FaultInjectionTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    QStringList shown; // every text the status line showed, in order
    Words before;      // the set, or for Run and Data the live values, shown before
    int shiftedFrames = 0;
    QElapsedTimer clock;

    QStringList sensorOptions(const QStringList &faults) const {
        return QStringList{"--eeprom", dir.filePath("eeprom.dat")} + faults;
    }

    // Checks the operation's length against its row, and the state a finished operation
    // leaves: tick timer off, tick counter 0, no loop running.
    void expectBackToIdle(int minMs, int maxMs) {
        const qint64 ms = clock.elapsed();
        qInfo("%s: %lld ms (expected %d-%d)", QTest::currentDataTag(), ms, minMs, maxMs);
        QVERIFY2(ms >= minMs && ms <= maxMs, qPrintable(QString::number(ms)));
        QCOMPARE(attributeOf(panelHandle, MAIN_TIMER, ATTR_ENABLED), 0);
        QCOMPARE(ttick, 0);
        QCOMPARE(stop_flag, 1);
    }

    void expectMessage(const QStringList &allowed) {
        QVERIFY2(allowed.contains(StatusText()),
                 qPrintable(StatusText() + " after " + shown.join(" | ")));
    }

    void expectShown(const Words &actual, const Words &expected, Shows shows, int order) {
        switch (shows) {
        case Unchanged:
            QCOMPARE(actual, before);
            break;
        case SensorSet:
            QCOMPARE(actual, expected);
            break;
        case SensorSetAligned:
        case TailAhead:
            // Any 36 bytes count as a frame: bytes still on the line when the request went
            // out (noise, or the tail of the previous reply) shift the frame taken. Whether
            // they arrive before the request's flush depends on timing, so a shifted frame is
            // counted, and the tool must hold that frame's words as taken (a ring cannot show
            // every value a shifted frame brings); a frame that starts with the sync and order
            // words must be exact.
            if (!frameAligned(order)) {
                ++shiftedFrames;
                qInfo("bytes ahead of the reply: the frame taken was shifted");
                if (order == kLive)
                    QCOMPARE(actual, liveValuesTaken());
                else
                    QCOMPARE(listOf(toolprobe::variables()), setTaken());
                return;
            }
            QCOMPARE(actual, expected);
            break;
        }
    }

    // The teach value and tolerance that the live frames set, and the main panel's display of
    // the teach value.
    static Words liveValues() { return {tVal, tTol, valueOf(panelHandle, MAIN_TEACHVALUE)}; }
    // Video samples are 10-bit values.
    static bool videoInRange() {
        return std::all_of(adcbuf, adcbuf + kVideoSamples,
                           [](unsigned short v) { return v <= 1023; });
    }
    // What a shifted frame must show: its own words, as the refresh or the live plot shows them.
    static Words setTaken() { return listOf(toolprobe::rangeChecked(toolprobe::frameTaken())); }
    static Words liveValuesTaken() {
        const toolprobe::Words w = toolprobe::frameTaken();
        return {w[3], w[4], w[3]};
    }
    static Words sensorLiveValues() {
        return {kSensorSet[kTeachValueWord], kSensorSet[kToleranceWord],
                kSensorSet[kTeachValueWord]};
    }

    static void columns() {
        QTest::addColumn<QStringList>("faults");
        QTest::addColumn<QStringList>("messages");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        QTest::addColumn<int>("shows");
    }
    // Returns the row, for the columns that a test adds after these.
    static QTestData &row(const char *name, const QStringList &faults, const QStringList &messages,
                          int minMs, int maxMs, Shows shows) {
        return QTest::newRow(name) << faults << messages << minMs << maxMs << int(shows);
    }
    // Rows of an operation that ends with a read-back of the parameter set; only the silent
    // sensor and, after a tail, the frame taken differ from a good sensor.
    static void readBackRows(const QStringList &silentMessages, int silentMs, Shows afterTail) {
        columns();
        const QStringList ok = {"Parameter-frame received! - Line Ok!"};
        const int splitMs = kMarginMs + 2 * kFrameBytes;
        row("silent", {"--silent"}, silentMessages, silentMs - 200, silentMs + kMarginMs,
            Unchanged);
        row("wrong echo", {"--wrong-echo"}, ok, 0, kMarginMs, SensorSet);
        row("live limit", {"--live-limit", "1"}, ok, 0, kMarginMs, SensorSet);
        row("short video", {"--short-video"}, ok, 0, kMarginMs, SensorSet);
        row("split bytes", {"--split-bytes"}, ok, 0, splitMs, SensorSet);
        row("trailing bytes", {"--trailing-bytes", kTailBytes}, ok, 0, kMarginMs, afterTail);
        row("garbage", {"--garbage"}, ok, 0, kMarginMs, SensorSetAligned);
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        QFile eeprom(dir.filePath("eeprom.dat"));
        QVERIFY(eeprom.open(QIODevice::WriteOnly));
        for (int w : kSensorSet)
            eeprom.write(QByteArray::number(w) + '\n');
        eeprom.close();
        QVERIFY(StartToolPanels());
        auto *status = qobject_cast<QLineEdit *>(rtControlWidget(panelHandle, MAIN_STATUS));
        QVERIFY(status);
        connect(status, &QLineEdit::textChanged, this, [this](const QString &t) { shown << t; });
    }
    void cleanupTestCase() {
        qInfo("frames shifted by line noise: %d", shiftedFrames);
        StopToolPanels();
    }
    // Start-up values on the panel, nothing locked, no loop running.
    void init() {
        ClickStop();
        AssignParameterDefaults();
        SetPanelValues();
        before = panelSet();
        QVERIFY(before != kSensorSet);
        target = RAM;
        shown.clear();
    }
    void cleanup() { CloseCom(com); }

    // The line check of start-up, followed by the read-back when the echo is right.
    // An echo shifted by line noise fails the check.
    void lineCheck_data() {
        columns();
        const QStringList ok = {"Parameter-frame received! - Line Ok!"};
        const QString wrongEcho = "read error - not sync byte 0xAA!";
        row("silent", {"--silent"}, {"Timeout-RS-232..."}, kTimeoutMs - 200, kTimeoutMs + kMarginMs,
            Unchanged);
        row("wrong echo", {"--wrong-echo"}, {wrongEcho}, 0, kMarginMs, Unchanged);
        row("live limit", {"--live-limit", "1"}, ok, 0, kMarginMs, SensorSet);
        row("short video", {"--short-video"}, ok, 0, kMarginMs, SensorSet);
        row("split bytes", {"--split-bytes"}, ok, 0, kMarginMs + 4 * kFrameBytes, SensorSet);
        row("trailing bytes", {"--trailing-bytes", kTailBytes}, ok, 0, kMarginMs, TailAhead);
        row("garbage", {"--garbage"}, ok + QStringList{wrongEcho}, 0, kMarginMs, SensorSetAligned);
    }
    void lineCheck() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, messages);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        QFETCH(int, shows);
        SimProcess sim(sensorOptions(faults));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        CloseCom(com);
        qputenv("RMOX_COM1", sim.devicePath().toLocal8Bit());
        clock.start();
        InitRS232(1);
        expectBackToIdle(minMs, maxMs);
        expectMessage(messages);
        if (shows == SensorSetAligned && StatusText() == "read error - not sync byte 0xAA!") {
            QVERIFY(!frameAligned(kEcho));
            ++shiftedFrames;
            qInfo("line noise ahead of the echo: the check failed");
            return;
        }
        QCOMPARE(ret, shows == Unchanged ? 0 : 1);
        QCOMPARE(shown.contains("Waiting for parameter-frame ..."), shows != Unchanged);
        expectShown(panelSet(), kSensorSet, Shows(shows), kReadRam);
    }

    // A Get on a line that has been quiet for a moment: a tail left by an earlier reply has
    // arrived and is flushed before the request.
    void get_data() { readBackRows({"Timeout-RS-232..."}, kTimeoutMs, SensorSet); }
    void get() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, messages);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        QFETCH(int, shows);
        SimProcess sim(sensorOptions(faults));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QVERIFY(openPort(sim.devicePath()));
        PumpEvents(100);
        clock.start();
        getFromRam();
        expectBackToIdle(minMs, maxMs);
        expectMessage(messages);
        expectShown(panelSet(), kSensorSet, Shows(shows), kReadRam);
    }

    // Gets a user might give in a row, a short pause apart, on a noisy line. Every one ends
    // with one of its two messages within its time; a frame that begins with the sync word
    // and order shows exactly the sensor's set.
    void getsOnNoisyLine() {
        SimProcess sim(sensorOptions({"--garbage"}));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QVERIFY(openPort(sim.devicePath()));
        for (int i = 0; i < 40; ++i) {
            PumpEvents(40);
            showSet(before);
            clock.start();
            getFromRam();
            QVERIFY2(clock.elapsed() <= kTimeoutMs + kMarginMs,
                     qPrintable(QString::number(clock.elapsed())));
            expectMessage({"Parameter-frame received! - Line Ok!", "Timeout-RS-232..."});
            if (StatusText() == "Timeout-RS-232...")
                expectShown(panelSet(), kSensorSet, Unchanged, kReadRam);
            else
                expectShown(panelSet(), kSensorSet, SensorSetAligned, kReadRam);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // Send awaits no reply; a Get after it proves that the sensor took the set.
    void send_data() { readBackRows({"Line Ok!"}, 0, SensorSet); }
    void send() {
        QFETCH(QStringList, faults);
        QFETCH(int, shows);
        SimProcess sim(sensorOptions(faults));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QVERIFY(openPort(sim.devicePath()));
        showSet(kSentSet);
        clock.start();
        CC_BTNSend(panelHandle, MAIN_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0);
        expectBackToIdle(0, kMarginMs);
        QCOMPARE(shown, (QStringList{"Transmit...", "Line Ok!"}));
        if (shows == Unchanged)
            return;
        showSet(before);
        PumpEvents(100);
        getFromRam();
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
        expectShown(panelSet(), kSentSet, Shows(shows), kReadRam);
    }

    // The set-point teach waits 15 ticks for any frame, then reads the set back.
    void teachSetPoint_data() {
        readBackRows({"New setpoint value teached!"}, kSetPointTeachMs, TailAhead);
    }
    void teachSetPoint() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, messages);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        QFETCH(int, shows);
        SimProcess sim(sensorOptions(faults));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QVERIFY(openPort(sim.devicePath()));
        PumpEvents(100);
        clock.start();
        CC_ButtonTeach(panelHandle, MAIN_TEACH, EVENT_COMMIT, nullptr, 0, 0);
        expectBackToIdle(minMs, maxMs);
        expectMessage(messages);
        QCOMPARE(shown.contains("Waiting for parameter-frame ..."), shows != Unchanged);
        // The sensor taught a new set point; the rest of its set is as it was.
        const Words shownAfterTeach = panelSet();
        Words taught = shownAfterTeach;
        if (shows != Unchanged && frameAligned(kReadRam))
            taught[kTeachValueWord] = kSensorSet[kTeachValueWord];
        expectShown(taught, kSensorSet, Shows(shows), kReadRam);
        if (shows != SensorSet)
            return;
        // The taught set point is the one the sensor holds now.
        PumpEvents(100);
        getFromRam();
        QCOMPARE(panelSet(), shownAfterTeach);
    }

    // The press waits for the echo of order 6; its commit reads the set back if one came.
    void teachBackground_data() { readBackRows({"Timeout-RS-232..."}, kTimeoutMs, TailAhead); }
    void teachBackground() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, messages);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        QFETCH(int, shows);
        SimProcess sim(sensorOptions(faults));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QVERIFY(openPort(sim.devicePath()));
        PumpEvents(100);
        clock.start();
        CC_BTNTeachBackGround(panelPopUp, POP_TEACHBACKGROUND, EVENT_LEFT_CLICK, nullptr, 0, 0);
        const QString echoed =
            shows == Unchanged ? "Timeout-RS-232..." : "Teach order echo received! - Line Ok!";
        QCOMPARE(StatusText(), echoed);
        QCOMPARE(valueOf(panelPopUp, POP_BACKGROUNDTEACHLED), 1);
        CC_BTNTeachBackGround(panelPopUp, POP_TEACHBACKGROUND, EVENT_COMMIT, nullptr, 0, 0);
        expectBackToIdle(minMs, maxMs);
        expectMessage(messages);
        QCOMPARE(valueOf(panelPopUp, POP_BACKGROUNDTEACHLED), 0);
        QCOMPARE(attributeOf(panelPopUp, POP_TEACHBACKGROUND, ATTR_DIMMED), 0);
        expectShown(panelSet(), kSensorSet, Shows(shows), kReadRam);
    }

    // Run until Stop, clicked after stopMs (0: never), or until its time-out. The live
    // frames carry the sensor's teach value and tolerance, which Run takes over.
    void run_data() {
        columns();
        QTest::addColumn<int>("stopMs");
        const QStringList ok = {"Line Ok!"};
        const QStringList timeout = {"Timeout RS232-Line!"};
        const int stopMs = 300;
        const int minTimeoutMs = kTimeoutMs - 200;
        const int maxTimeoutMs = kTimeoutMs + kMarginMs;
        const int maxStopMs = stopMs + kMarginMs;
        row("silent", {"--silent"}, timeout, minTimeoutMs, maxTimeoutMs, Unchanged) << 0;
        row("live limit", {"--live-limit", "1"}, timeout, minTimeoutMs, maxTimeoutMs, SensorSet)
            << 0;
        row("wrong echo", {"--wrong-echo"}, ok, stopMs, maxStopMs, SensorSet) << stopMs;
        row("short video", {"--short-video"}, ok, stopMs, maxStopMs, SensorSet) << stopMs;
        row("split bytes", {"--split-bytes"}, ok, stopMs, maxStopMs, SensorSet) << stopMs;
        row("trailing bytes", {"--trailing-bytes", kTailBytes}, ok, stopMs, maxStopMs, TailAhead)
            << stopMs;
        row("garbage", {"--garbage"}, ok, stopMs, maxStopMs, SensorSetAligned) << stopMs;
    }
    void run() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, messages);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        QFETCH(int, shows);
        QFETCH(int, stopMs);
        SimProcess sim(sensorOptions(faults));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QVERIFY(openPort(sim.devicePath()));
        PumpEvents(100);
        before = liveValues();
        if (stopMs > 0)
            QTimer::singleShot(stopMs, Qt::PreciseTimer, this, ClickStop);
        clock.start();
        CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
        expectBackToIdle(minMs, maxMs);
        expectMessage(messages);
        QCOMPARE(attributeOf(panelHandle, MAIN_RUN, ATTR_DIMMED), 0);
        QCOMPARE(attributeOf(panelHandle, MAIN_DATA, ATTR_DIMMED), stopMs > 0 ? 0 : 1);
        expectShown(liveValues(), sensorLiveValues(), Shows(shows), kLive);
    }

    // Data until Stop, clicked at block request stopAtBlock (0: never), or until a time-out.
    // Afterwards the receive callback is on again, so a Get sees its reply.
    void data_data() {
        columns();
        QTest::addColumn<int>("stopAtBlock");
        const QStringList ok = {"Data[64] block received!"};
        const int passMs = 600; // four blocks and a frame exchange at line speed
        row("silent", {"--silent"}, {"Timeout RS232-Line!"}, 5 * kTimeoutMs - 200,
            5 * kTimeoutMs + kMarginMs, Unchanged)
            << 0;
        row("live limit", {"--live-limit", "0"}, {"Timeout RS232-Line!"}, kTimeoutMs,
            passMs + kTimeoutMs + kMarginMs, Unchanged)
            << 0;
        row("short video", {"--short-video"}, {"Timeout-RS-232 while reading 64 data-words!"},
            4 * kTimeoutMs - 200, 4 * kTimeoutMs + kMarginMs, SensorSet)
            << 1;
        row("wrong echo", {"--wrong-echo"}, ok, 0, passMs + kMarginMs, SensorSet) << 4;
        row("split bytes", {"--split-bytes"}, ok, 0, 2 * passMs + kMarginMs, SensorSet) << 4;
        row("trailing bytes", {"--trailing-bytes", kTailBytes}, ok, 0, 2 * passMs + kMarginMs,
            TailAhead)
            << 8;
        row("garbage", {"--garbage"}, ok, 0, 2 * passMs + kMarginMs, SensorSetAligned) << 8;
    }
    void data() {
        QFETCH(QStringList, faults);
        QFETCH(QStringList, messages);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        QFETCH(int, shows);
        QFETCH(int, stopAtBlock);
        SimProcess sim(sensorOptions(faults));
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QVERIFY(openPort(sim.devicePath()));
        PumpEvents(100);
        before = liveValues();
        std::fill(adcbuf, adcbuf + kVideoSamples, 0);
        auto *status = qobject_cast<QLineEdit *>(rtControlWidget(panelHandle, MAIN_STATUS));
        int blocks = 0;
        const auto probe = connect(status, &QLineEdit::textChanged, this, [&](const QString &t) {
            if (t == "Waiting for Data[64] ..." && ++blocks == stopAtBlock)
                ClickStop();
        });
        clock.start();
        CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
        disconnect(probe);
        expectBackToIdle(minMs, maxMs);
        expectMessage(messages);
        QCOMPARE(attributeOf(panelHandle, MAIN_DATA, ATTR_DIMMED), 0);
        // Without a live frame nothing new is drawn: the packet then still holds the request,
        // on the first pass the parameter set.
        expectShown(liveValues(), sensorLiveValues(), Shows(shows), kLive);
        // In the second sweep the first block may begin with the tail of the live frame.
        if (shows == TailAhead && !videoInRange())
            ++shiftedFrames;
        if (faults.contains("--silent")) {
            QCOMPARE(shown.count("Timeout-RS-232 while reading 64 data-words!"), 4);
            return;
        }
        if (faults.contains("--short-video"))
            QCOMPARE(nBytesR, 100);
        else if (shows != TailAhead && shows != SensorSetAligned)
            QVERIFY(videoInRange());
        PumpEvents(100);
        getFromRam();
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
    }
};

QTEST_MAIN(FaultInjectionTest)
#include "test_fault_injection.moc"
