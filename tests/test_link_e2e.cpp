// SPDX-License-Identifier: GPL-3.0-or-later
// The serial module against the simulated sensor: port set-up and line check, the port ring,
// and video block reads, as the user sees them on the status line.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/port_setup.h"
#include "ops/transfer.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryFile>
#include <QTest>
#include <algorithm>
#include <functional>
#include <memory>
#include <vector>

namespace {

using Samples = std::vector<unsigned short>;

void useDevice(int port, const QString &path) {
    qputenv(qPrintable(QString("RMOX_COM%1").arg(port)), path.toLocal8Bit());
}

Samples samplesOf(int first, int count) {
    return Samples(adcbuf + first, adcbuf + first + count);
}

} // namespace

class TestLinkE2e : public QObject {
    Q_OBJECT
    QStringList shown; // every text the status line showed, in order

    // Starts a sensor with `options` on port 1 and sets the port up; the caller checks how.
    std::unique_ptr<SimProcess> startSensor(const QStringList &options) {
        auto sim = std::make_unique<SimProcess>(options);
        if (sim->isRunning())
            useDevice(1, sim->devicePath());
        return sim;
    }

    // Sets port 1 up on a good sensor and reads the block at 64 with the callback off.
    Samples readBlock64(const QStringList &options) {
        const auto sim = startSensor(options);
        if (!sim->isRunning())
            return {};
        InitRS232(1);
        InstallComCallback(com, 0, 0, 0, nullptr, nullptr);
        ReadData64(64, 0);
        return samplesOf(64, kVideoBlockSamples);
    }

  private slots:
    void initTestCase() {
        QVERIFY(StartToolPanels());
        auto *status = qobject_cast<QLineEdit *>(rtControlWidget(panelHandle, MAIN_STATUS));
        QVERIFY(status);
        connect(status, &QLineEdit::textChanged, this, [this](const QString &t) { shown << t; });
    }
    void cleanupTestCase() { StopToolPanels(); }
    void init() { shown.clear(); }
    void cleanup() {
        CloseCom(com);
        com = 1;
    }

    void startUpWithGoodSensor_data() {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("whole frames") << QStringList{};
        QTest::newRow("one byte at a time") << QStringList{"--split-bytes"};
        QTest::newRow("two frames per reply")
            << QStringList{"--no-pacing", "--trailing-bytes", "36"};
    }
    void startUpWithGoodSensor() {
        QFETCH(QStringList, options);
        const auto sim = startSensor(options);
        QVERIFY2(sim->isRunning(), qPrintable(sim->errorString()));
        target = EEPROM;
        InitRS232(1);
        QCOMPARE(ret, 1);
        QCOMPARE(target, int(RAM));
        const qsizetype echo = shown.indexOf("Echo Check - Line Ok!");
        QVERIFY2(echo >= 0, qPrintable(shown.join(" | ")));
        QVERIFY(shown.indexOf("Waiting for parameter-frame ...", echo) > echo);
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
        QCOMPARE(GetInQLen(com), 0);
    }

    void lineCheckFails_data() {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("message");
        QTest::addColumn<int>("minMs");
        QTest::addColumn<int>("maxMs");
        QTest::newRow("no sensor")
            << QStringList{"--silent"} << "Timeout-RS-232..." << 1400 << 2500;
        QTest::newRow("wrong echo")
            << QStringList{"--wrong-echo"} << "read error - not sync byte 0xAA!" << 0 << 1000;
    }
    void lineCheckFails() {
        QFETCH(QStringList, options);
        QFETCH(QString, message);
        QFETCH(int, minMs);
        QFETCH(int, maxMs);
        const auto sim = startSensor(options);
        QVERIFY2(sim->isRunning(), qPrintable(sim->errorString()));
        QElapsedTimer clock;
        clock.start();
        InitRS232(1);
        const qint64 ms = clock.elapsed();
        QVERIFY2(ms >= minMs && ms < maxMs, qPrintable(QString::number(ms)));
        QCOMPARE(ret, 0);
        QCOMPARE(StatusText(), message);
        QVERIFY(!shown.contains("Waiting for parameter-frame ..."));
    }

    void portThatCannotOpen_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("no device for the number") << 11 << "" << -2 << "Invalid port number";
        QTest::newRow("missing device") << 3 << "/nonexistent/tty" << -6 << "No serial port found";
        QTest::newRow("not a serial device") << 4 << "regular file" << -7 << "Cannot open port";
    }
    void portThatCannotOpen() {
        QFETCH(int, port);
        QFETCH(QString, device);
        QFETCH(int, code);
        QFETCH(QString, message);
        QTemporaryFile file;
        QVERIFY(file.open());
        if (!device.isEmpty())
            useDevice(port, device == "regular file" ? file.fileName() : device);
        QElapsedTimer clock;
        clock.start();
        InitRS232(port);
        QVERIFY(clock.elapsed() < 500);
        QCOMPARE(ret, code);
        QCOMPARE(StatusText(), message);
        QCOMPARE(ComWrt(port, szWriteBuf, kFrameBytes), int(kComPortNotOpen));
    }

    // The ring's callback closes the old port and checks the line on the new one; the wrong
    // echo proves the check went to the second sensor. Chosen by the user, the ring delivers
    // a value change and a commit, and the port is set up once for each.
    void portChangeThroughRing() {
        const auto first = startSensor({});
        SimProcess second({"--wrong-echo"});
        QVERIFY(first->isRunning() && second.isRunning());
        useDevice(2, second.devicePath());
        InitRS232(1);
        QCOMPARE(ret, 1);

        SetCtrlVal(panelHandle, MAIN_PORT, 2);
        shown.clear();
        CC_DropDCom(panelHandle, MAIN_PORT, EVENT_COMMIT, nullptr, 0, 0);
        QCOMPARE(com, 2);
        QCOMPARE(shown.value(0), QString("Init COM-Port ..."));
        QCOMPARE(StatusText(), QString("read error - not sync byte 0xAA!"));
        QCOMPARE(GetInQLen(1), int(kComPortNotOpen));

        auto *ring = qobject_cast<QComboBox *>(rtControlWidget(panelHandle, MAIN_PORT));
        QVERIFY(ring);
        shown.clear();
        QTest::keyClick(ring, Qt::Key_Up);
        QVERIFY(PumpUntil(
            [this] { return shown.count("Parameter-frame received! - Line Ok!") == 2; }, 5000));
        QCOMPARE(com, 1);
        QCOMPARE(shown.count("Init COM-Port ..."), 2);
        QCOMPARE(GetInQLen(2), int(kComPortNotOpen));
    }

    // A whole block, then the same block from a sensor that sends only 100 bytes. The same
    // seed gives the same video line: the 50 samples that came are those of the whole block,
    // and the 14 missing ones come from bytes 100-127 of the previous buffer.
    void wholeAndShortBlock() {
        const Samples whole = readBlock64({"--seed", "7"});
        QCOMPARE(StatusText(), QString("Data[64] block received!"));
        QVERIFY(shown.contains("Waiting for Data[64] ..."));
        QCOMPARE(nBytesR, kVideoBlockBytes);
        QVERIFY(
            std::all_of(whole.begin(), whole.end(), [](unsigned short v) { return v <= 1023; }));
        QVERIFY(std::adjacent_find(whole.begin(), whole.end(), std::not_equal_to<>()) !=
                whole.end());
        CloseCom(com);
        for (int i = 100; i < 128; ++i)
            szReadBuf[i] = char(i);
        QElapsedTimer clock;
        clock.start();
        const Samples got = readBlock64({"--seed", "7", "--short-video"});
        QVERIFY(clock.elapsed() >= 1400);
        QCOMPARE(StatusText(), QString("Timeout-RS-232 while reading 64 data-words!"));
        QCOMPARE(nBytesR, 100);
        QCOMPARE(Samples(got.begin(), got.begin() + 50),
                 Samples(whole.begin(), whole.begin() + 50));
        for (int i = 50; i < kVideoBlockSamples; ++i)
            QCOMPARE(got[i], static_cast<unsigned short>(2 * i << 8 | (2 * i + 1)));
    }
};

QTEST_MAIN(TestLinkE2e)
#include "test_link_e2e.moc"
