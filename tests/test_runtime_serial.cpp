// SPDX-License-Identifier: GPL-3.0-or-later
// Serial ports over a pseudo-terminal: the test plays the device on the master side, the port
// under test opens the slave through RMOX_COM<n>.
#include "runtime/runtime.h"
#include "runtime/serial_device.h"
#include "runtime/serial_tap.h"
#include "runtime/testing.h"
#include "support/cpu_time.h"
#include "support/pty_pair.h"
#include "support/tool_fixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryFile>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <memory>
#include <termios.h>
#include <thread>

namespace {

constexpr int kPort = 1;
constexpr int kFrame = 36;
constexpr int kMask = 0x8006;

QByteArray bytesFrom(int first, int count) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes.append(char(first + i));
    return bytes;
}

void setDevice(int port, const QString &path) {
    qputenv(qPrintable(QStringLiteral("RMOX_COM%1").arg(port)), path.toLocal8Bit());
}

void clearDevice(int port) {
    qunsetenv(qPrintable(QStringLiteral("RMOX_COM%1").arg(port)));
}

int openPort(int port) {
    return OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
}

// What the receive callback saw. It behaves like the tool's own: it reads one frame and drops
// the rest; with `nest` it first runs event passes of its own, as a waiting loop would.
struct CallbackLog {
    int calls = 0;
    int port = 0;
    int events = 0;
    int waiting = 0;
    int depth = 0;
    int deepest = 0;
    bool nest = false;
    QByteArray frame;
};

void recordFrame(int port, int events, void *data) {
    auto &log = *static_cast<CallbackLog *>(data);
    ++log.calls;
    log.deepest = std::max(log.deepest, ++log.depth);
    log.port = port;
    log.events = events;
    log.waiting = GetInQLen(port);
    if (log.nest)
        PumpEvents(50);
    log.frame.resize(kFrame);
    log.frame.resize(std::max(ComRd(port, log.frame.data(), kFrame), 0));
    FlushInQ(port);
    --log.depth;
}

} // namespace

class TestRuntimeSerial : public QObject {
    Q_OBJECT

    std::unique_ptr<PtyPair> pty;

  private slots:
    void init() {
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->isOpen());
        setDevice(kPort, pty->slavePath());
        QCOMPARE(openPort(kPort), 0);
    }

    void cleanup() {
        CloseCom(kPort);
        pty.reset();
        clearDevice(kPort);
    }

    void framesTravelBothWays() {
        const QByteArray in = bytesFrom(1, kFrame);
        QVERIFY(pty->send(in));
        QByteArray got(kFrame, '\0');
        QCOMPARE(ComRd(kPort, got.data(), kFrame), kFrame);
        QCOMPARE(got, in);

        const QByteArray out = bytesFrom(100, kFrame);
        QCOMPARE(ComWrt(kPort, out.constData(), kFrame), kFrame);
        QCOMPARE(pty->receive(kFrame, 1000), out);
    }

    // The tap sees every step with its bytes, in order and with rising times: the write, the
    // arrival, the read, the flush with the bytes it dropped (those not fetched from the
    // system's queue yet too), the close, a failed open; a mapped port opens its device.
    void tapReportsWhatThePortsDo() {
        QList<SerialTapEvent> events;
        rtSetSerialTap([&events](const SerialTapEvent &e) { events << e; });
        const auto kinds = [&events] {
            QList<int> k;
            for (const SerialTapEvent &e : events)
                k << e.kind;
            return k;
        };
        const QByteArray out = bytesFrom(1, kFrame);
        QCOMPARE(ComWrt(kPort, out.constData(), kFrame), kFrame);
        QVERIFY(pty->send(bytesFrom(50, 40)));
        QVERIFY(PumpUntil(
            [&] {
                return GetInQLen(kPort) == 40 && !events.isEmpty() &&
                       events.last().kind == SerialTapEvent::Received;
            },
            2000));
        QByteArray frame(kFrame, '\0');
        QCOMPARE(ComRd(kPort, frame.data(), kFrame), kFrame);
        QVERIFY(pty->send(bytesFrom(120, 3)));
        // No event pass: the three bytes stay in the system's queue until the flush.
        QElapsedTimer waited;
        waited.start();
        while (GetInQLen(kPort) < 7 && waited.elapsed() < 2000)
            QThread::msleep(1);
        QCOMPARE(FlushInQ(kPort), 0);
        QCOMPARE(CloseCom(kPort), 0);
        clearDevice(7);
        rtSetComDevice(7, "/dev/no-such-device");
        QVERIFY(openPort(7) < 0);
        rtSetComDevice(7, pty->slavePath());
        QCOMPARE(openPort(7), 0);
        CloseCom(7);
        rtSetComDevice(7, {});
        rtSetSerialTap({});

        QByteArray received;
        for (const SerialTapEvent &e : events)
            if (e.kind == SerialTapEvent::Received)
                received += e.bytes;
        QCOMPARE(received.left(40), bytesFrom(50, 40));
        events.removeIf([](const SerialTapEvent &e) { return e.kind == SerialTapEvent::Received; });
        QCOMPARE(kinds(),
                 (QList<int>{SerialTapEvent::Written, SerialTapEvent::Read, SerialTapEvent::Flushed,
                             SerialTapEvent::Closed, SerialTapEvent::OpenFailed,
                             SerialTapEvent::Opened, SerialTapEvent::Closed}));
        QCOMPARE(events[0].bytes, out);
        QCOMPARE(events[1].bytes, bytesFrom(50, kFrame));
        QCOMPARE(events[2].bytes, bytesFrom(50 + kFrame, 4) + bytesFrom(120, 3));
        QVERIFY(events[2].input);
        QCOMPARE(events[4].device, QString("/dev/no-such-device"));
        QVERIFY(!events[4].errorText.isEmpty());
        QCOMPARE(events[5].device, pty->slavePath());
        for (qsizetype i = 1; i < events.size(); ++i)
            QVERIFY(events[i].nanoseconds >= events[i - 1].nanoseconds);
    }

    void callbackRunsOnceNotifyCountWaits() {
        CallbackLog log;
        QCOMPARE(InstallComCallback(kPort, kMask, kFrame, 0x55, recordFrame, &log), 0);
        const QByteArray frame = bytesFrom(7, kFrame);
        QVERIFY(pty->send(frame.left(kFrame - 1)));
        PumpEvents(200);
        QCOMPARE(log.calls, 0);

        QVERIFY(pty->send(frame.right(1)));
        QVERIFY(PumpUntil([&] { return log.calls > 0; }, 1000));
        PumpEvents(100);
        QCOMPARE(log.calls, 1);
        QCOMPARE(log.port, kPort);
        QCOMPARE(log.events, int(LWRS_RECEIVE));
        QCOMPARE(log.waiting, kFrame);
        QCOMPARE(log.frame, frame);
    }

    void callbackSeesTwoFramesArrivingTogether() {
        CallbackLog log;
        QCOMPARE(InstallComCallback(kPort, kMask, kFrame, 0x55, recordFrame, &log), 0);
        const QByteArray frames = bytesFrom(1, 2 * kFrame);
        QVERIFY(pty->send(frames));
        QVERIFY(PumpUntil([&] { return log.calls > 0; }, 1000));
        PumpEvents(100);
        QCOMPARE(log.calls, 1);
        QVERIFY(log.waiting >= kFrame);
        QCOMPARE(log.frame, frames.left(kFrame));
    }

    void callbackIsNotReentered() {
        CallbackLog log;
        log.nest = true;
        QCOMPARE(InstallComCallback(kPort, kMask, kFrame, 0x55, recordFrame, &log), 0);
        QVERIFY(pty->send(bytesFrom(1, kFrame)));
        QVERIFY(PumpUntil([&] { return log.calls > 0; }, 1000));
        QCOMPARE(log.deepest, 1);
        QCOMPARE(log.calls, 1);
    }

    void callbackStaysOffWithoutReceiveCountEvent_data() {
        QTest::addColumn<int>("laterMask");
        QTest::newRow("switched off") << 0;
        QTest::newRow("other events only") << (LWRS_RXCHAR | LWRS_RXFLAG | LWRS_TXEMPTY);
    }

    void callbackStaysOffWithoutReceiveCountEvent() {
        QFETCH(int, laterMask);
        CallbackLog log;
        QCOMPARE(InstallComCallback(kPort, kMask, kFrame, 0x55, recordFrame, &log), 0);
        QCOMPARE(InstallComCallback(kPort, laterMask, kFrame, 0x55, recordFrame, &log), 0);
        QVERIFY(pty->send(bytesFrom(1, kFrame)));
        QVERIFY(PumpUntil([] { return GetInQLen(kPort) == kFrame; }, 1000));
        PumpEvents(100);
        QCOMPARE(log.calls, 0);
    }

    void waitingCountIncludesBytesNotYetFetched() {
        QVERIFY(pty->send(bytesFrom(1, 5)));
        QElapsedTimer clock;
        clock.start();
        while (GetInQLen(kPort) < 5 && clock.elapsed() < 1000)
            QTest::qSleep(5);
        QCOMPARE(GetInQLen(kPort), 5);
    }

    void flushInputDropsEverythingWaiting() {
        QVERIFY(pty->send(bytesFrom(1, 20)));
        QVERIFY(PumpUntil([] { return GetInQLen(kPort) == 20; }, 1000));
        QVERIFY(pty->send(bytesFrom(30, 10)));
        QTest::qSleep(50);
        QCOMPARE(FlushInQ(kPort), 0);
        QCOMPARE(GetInQLen(kPort), 0);
        PumpEvents(100);
        QCOMPARE(GetInQLen(kPort), 0);

        QVERIFY(pty->send(bytesFrom(50, 3)));
        QByteArray got(3, '\0');
        QCOMPARE(ComRd(kPort, got.data(), 3), 3);
        QCOMPARE(got, bytesFrom(50, 3));
    }

    void flushOutputDropsUnsentBytes() {
        // Far more than the pseudo-terminal holds while nobody reads the device side.
        const QByteArray bulk(256 * 1024, 'x');
        const int taken = ComWrt(kPort, bulk.constData(), int(bulk.size()));
        QVERIFY2(taken > 0 && taken < bulk.size(), qPrintable(QString::number(taken)));
        QCOMPARE(FlushOutQ(kPort), 0);
        QCOMPARE(ComWrt(kPort, "END!", 4), 4);
        QByteArray arrived;
        for (QByteArray chunk; !(chunk = pty->receive(1, 300)).isEmpty();) {
            arrived += chunk;
            ProcessSystemEvents();
        }
        QVERIFY(arrived.endsWith("END!"));
        QVERIFY2(arrived.size() < taken, qPrintable(QString::number(arrived.size())));
    }

    // A device that takes no more bytes (a stalled adapter, a pseudo-terminal nobody reads)
    // makes writes short, not failed: the port stays open and works once the device reads.
    void stalledDeviceGivesShortWritesAndKeepsThePort() {
        const QByteArray chunk = bytesFrom(0, 1000);
        qint64 sent = 0;
        int taken = int(chunk.size());
        for (int i = 0; i < 10000 && taken == chunk.size(); ++i) {
            taken = ComWrt(kPort, chunk.constData(), int(chunk.size()));
            sent += std::max(taken, 0);
        }
        QVERIFY2(taken >= 0 && taken < chunk.size(), qPrintable(QString::number(taken)));
        QCOMPARE(ComWrt(kPort, chunk.constData(), kFrame), 0);
        PumpEvents(100);
        QVERIFY(GetInQLen(kPort) >= 0);

        QCOMPARE(pty->receive(int(sent), 5000).size(), sent);
        const QByteArray frame = bytesFrom(40, kFrame);
        QCOMPARE(ComWrt(kPort, frame.constData(), kFrame), kFrame);
        QCOMPARE(pty->receive(kFrame, 1000), frame);
        QVERIFY(pty->send(frame));
        QByteArray got(kFrame, '\0');
        QCOMPARE(ComRd(kPort, got.data(), kFrame), kFrame);
        QCOMPARE(got, frame);
    }

    void readStopsAtCount() {
        const QByteArray in = bytesFrom(1, 10);
        QVERIFY(pty->send(in));
        QVERIFY(PumpUntil([] { return GetInQLen(kPort) == 10; }, 1000));
        QByteArray buffer(16, char(0xA5));
        QCOMPARE(ComRd(kPort, buffer.data(), 4), 4);
        QCOMPARE(buffer.left(4), in.left(4));
        QCOMPARE(buffer.mid(4), QByteArray(12, char(0xA5)));
        QCOMPARE(GetInQLen(kPort), 6);
        QCOMPARE(ComRd(kPort, buffer.data(), 16), 6);
        QCOMPARE(buffer.left(6), in.mid(4));
    }

    void shortReadEndsOnTimeoutWithoutRunningEvents() {
        QCOMPARE(SetComTime(kPort, 0.3), 0);
        QVERIFY(pty->send(bytesFrom(1, 5)));
        bool timerRan = false;
        QTimer::singleShot(10, [&] { timerRan = true; });
        QElapsedTimer clock;
        clock.start();
        QByteArray buffer(kFrame, '\0');
        QCOMPARE(ComRd(kPort, buffer.data(), kFrame), 5);
        const qint64 waited = clock.elapsed();
        QVERIFY2(waited >= 280 && waited < 1000, qPrintable(QString::number(waited)));
        QCOMPARE(buffer.left(5), bytesFrom(1, 5));
        QVERIFY(!timerRan);
        QVERIFY(PumpUntil([&] { return timerRan; }, 1000));
    }

    // A pseudo-terminal forces 8 data bits and clears the parity-enable flag, but keeps the
    // speed, the stop bits and which parity was asked for (odd, mark, space flags).
    void lineSettingsReachTheDevice_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopBits");
        QTest::addColumn<uint>("speed");
        QTest::addColumn<uint>("flags");
        QTest::newRow("none") << 19200 << 0 << 1 << uint(B19200) << 0u;
        QTest::newRow("odd") << 9600 << 1 << 2 << uint(B9600) << uint(PARODD | CSTOPB);
        QTest::newRow("even") << 115200 << 2 << 1 << uint(B115200) << 0u;
        QTest::newRow("mark") << 19200 << 3 << 1 << uint(B19200) << uint(PARODD | CMSPAR);
        QTest::newRow("space") << 19200 << 4 << 2 << uint(B19200) << uint(CMSPAR | CSTOPB);
    }

    void lineSettingsReachTheDevice() {
        QFETCH(int, baud);
        QFETCH(int, parity);
        QFETCH(int, stopBits);
        QFETCH(uint, speed);
        QFETCH(uint, flags);
        QCOMPARE(OpenComConfig(kPort, "", baud, parity, 8, stopBits, 4096, 4096), 0);
        termios line{};
        QCOMPARE(tcgetattr(pty->slaveFd(), &line), 0);
        QCOMPARE(uint(cfgetospeed(&line)), speed);
        QCOMPARE(uint(line.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS)), flags);
    }

    void handshakeAndRefusedSettings() {
        termios line{};
        QCOMPARE(SetCTSMode(kPort, 1), 0);
        QCOMPARE(tcgetattr(pty->slaveFd(), &line), 0);
        QVERIFY(line.c_cflag & CRTSCTS);
        QCOMPARE(SetCTSMode(kPort, 0), 0);
        QCOMPARE(tcgetattr(pty->slaveFd(), &line), 0);
        QVERIFY(!(line.c_cflag & CRTSCTS));

        QCOMPARE(OpenComConfig(kPort, "", 19200, 5, 8, 1, 4096, 4096), int(kComCannotOpen));
        QCOMPARE(OpenComConfig(kPort, "", 19200, 0, 9, 1, 4096, 4096), int(kComCannotOpen));
        QCOMPARE(OpenComConfig(kPort, "", 0, 0, 8, 1, 4096, 4096), int(kComCannotOpen));
    }

    void openErrors() {
        clearDevice(11);
        QCOMPARE(openPort(11), int(kComInvalidPort));
        QCOMPARE(openPort(0), int(kComInvalidPort));

        setDevice(2, QStringLiteral("/nonexistent/ttyX"));
        QCOMPARE(openPort(2), int(kComDeviceNotFound));
        QTemporaryFile plain;
        QVERIFY(plain.open());
        setDevice(2, plain.fileName());
        QCOMPARE(openPort(2), int(kComCannotOpen));
        setDevice(2, pty->slavePath());
        QCOMPARE(openPort(2), int(kComCannotOpen));
        clearDevice(2);

        // A failed open leaves nothing open; the override reaches past the fixed table.
        QCOMPARE(GetInQLen(2), int(kComPortNotOpen));
        QCOMPARE(CloseCom(kPort), 0);
        setDevice(11, pty->slavePath());
        QCOMPARE(openPort(11), 0);
        QCOMPARE(CloseCom(11), 0);
        clearDevice(11);
    }

    void devicePaths_data() {
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("path");
        QTest::newRow("first") << 1 << "/dev/ttyS0";
        QTest::newRow("last ttyS") << 4 << "/dev/ttyS3";
        QTest::newRow("first USB") << 5 << "/dev/ttyUSB0";
        QTest::newRow("last USB") << 8 << "/dev/ttyUSB3";
        QTest::newRow("first ACM") << 9 << "/dev/ttyACM0";
        QTest::newRow("last ACM") << 10 << "/dev/ttyACM1";
        QTest::newRow("beyond") << 11 << "";
        QTest::newRow("zero") << 0 << "";
    }

    void devicePaths() {
        QFETCH(int, port);
        QFETCH(QString, path);
        clearDevice(port);
        QCOMPARE(QString::fromLocal8Bit(ComDevicePath(port)), path);
        setDevice(port, QStringLiteral("relative-tty"));
        const QString overridden = QString::fromLocal8Bit(ComDevicePath(port));
        clearDevice(port);
        const QString expected = QDir::current().absoluteFilePath(QStringLiteral("relative-tty"));
        QCOMPARE(overridden, port > 0 ? expected : QString());
    }

    void reopeningAnOpenPortClosesItFirst() {
        CallbackLog log;
        QCOMPARE(InstallComCallback(kPort, kMask, kFrame, 0x55, recordFrame, &log), 0);
        QCOMPARE(openPort(kPort), 0);
        QVERIFY(pty->send(bytesFrom(1, kFrame)));
        QVERIFY(PumpUntil([] { return GetInQLen(kPort) == kFrame; }, 1000));
        PumpEvents(50);
        QCOMPARE(log.calls, 0);
    }

    void closedPortRefusesEveryCall() {
        QCOMPARE(CloseCom(kPort), 0);
        QCOMPARE(CloseCom(kPort), int(kComPortNotOpen));
        char byte = 0;
        QCOMPARE(ComWrt(kPort, &byte, 1), int(kComPortNotOpen));
        QCOMPARE(ComRd(kPort, &byte, 1), int(kComPortNotOpen));
        QCOMPARE(GetInQLen(kPort), int(kComPortNotOpen));
        QCOMPARE(FlushInQ(kPort), int(kComPortNotOpen));
        QCOMPARE(FlushOutQ(kPort), int(kComPortNotOpen));
        QCOMPARE(SetComTime(kPort, 1.0), int(kComPortNotOpen));
        QCOMPARE(SetCTSMode(kPort, 0), int(kComPortNotOpen));
        QCOMPARE(InstallComCallback(kPort, kMask, 1, 0, recordFrame, nullptr),
                 int(kComPortNotOpen));
    }

    // Qt reports a hung-up line as a resource error or a read error, depending on what the last
    // failed system call left behind; a port that only reads sees the latter, on every pass.
    void hangUpClosesThePortWithoutSpinning_data() {
        QTest::addColumn<bool>("withCallback");
        QTest::newRow("callback installed") << true;
        QTest::newRow("no callback") << false;
    }

    void hangUpClosesThePortWithoutSpinning() {
        QFETCH(bool, withCallback);
        CallbackLog log;
        if (withCallback)
            QCOMPARE(InstallComCallback(kPort, kMask, kFrame, 0x55, recordFrame, &log), 0);
        pty->closeMaster();
        const double cpuBefore = CpuSeconds();
        PumpEvents(500);
        const double cpuUsed = CpuSeconds() - cpuBefore;
        QVERIFY2(cpuUsed < 0.25, qPrintable(QString::number(cpuUsed)));
        QCOMPARE(log.calls, 0);
        QVERIFY(ComWrt(kPort, "x", 1) < 0);
        QCOMPARE(CloseCom(kPort), int(kComPortNotOpen));
    }

    void hangUpEndsAWaitingRead() {
        QCOMPARE(SetComTime(kPort, 5.0), 0);
        QVERIFY(pty->send(bytesFrom(1, 5)));
        std::thread device([this] {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            pty->closeMaster();
        });
        QElapsedTimer clock;
        clock.start();
        QByteArray buffer(kFrame, '\0');
        const int got = ComRd(kPort, buffer.data(), kFrame);
        device.join();
        QCOMPARE(got, 5);
        QVERIFY(clock.elapsed() < 2000);
        QVERIFY(PumpUntil([] { return GetInQLen(kPort) == kComPortNotOpen; }, 1000));
    }
};

QTEST_MAIN(TestRuntimeSerial)
#include "test_runtime_serial.moc"
