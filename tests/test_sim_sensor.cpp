// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated sensor used in-process, as benchmarks use it: run on a thread, stopped on
// request, with counters of what it received and sent; and the pieces in which its paced line
// hands replies to the host.

#include "sim/sensor.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <stdexcept>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Sends one request and collects up to `count` reply bytes within a second.
int exchange(int fd, quint16 order, int count) {
    const unsigned char request[36] = {0x00, 0x55, 0x00, static_cast<unsigned char>(order)};
    if (::write(fd, request, sizeof request) != sizeof request) {
        return -1;
    }
    int got = 0;
    QDeadlineTimer deadline(1000);
    char buffer[256];
    pollfd p{fd, POLLIN, 0};
    while (got < count && poll(&p, 1, int(deadline.remainingTime())) > 0) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        got += n > 0 ? int(n) : 0;
    }
    return got;
}

// Runs the sensor on a thread for the life of the object; stops and joins it on the way out,
// also when a check fails early.
class Running {
  public:
    explicit Running(sim::Sensor &sensor) : sensor_(sensor), thread_([&] { sensor_.run(); }) {}
    ~Running() { stop(); }
    void stop() {
        sensor_.requestStop();
        if (thread_.joinable()) {
            thread_.join();
        }
    }

  private:
    sim::Sensor &sensor_;
    std::thread thread_;
};

} // namespace

class TestSimSensor : public QObject {
    Q_OBJECT

  private slots:
    void countsWhatItServes();
    void refusesABrokenEepromFile();
    void pacedLineHandsOverInPieces_data();
    void pacedLineHandsOverInPieces();
};

void TestSimSensor::countsWhatItServes() {
    sim::Options options;
    options.pacing = false;
    options.liveLimit = 2;
    sim::Sensor sensor(options);
    Running running(sensor);

    const int fd = ::open(sensor.devicePath().c_str(), O_RDWR | O_NOCTTY);
    QVERIFY(fd >= 0);
    termios raw{};
    tcgetattr(fd, &raw);
    cfmakeraw(&raw);
    tcsetattr(fd, TCSANOW, &raw);
    QCOMPARE(exchange(fd, 7, 36), 36);
    QCOMPARE(exchange(fd, 9, 128), 128);
    for (int i = 0; i < 3; ++i) {
        exchange(fd, 8, i < 2 ? 36 : 0);
    }
    const unsigned char junk[] = {0x12, 0x34, 0x56};
    QCOMPARE(::write(fd, junk, sizeof junk), ssize_t(sizeof junk));
    QCOMPARE(exchange(fd, 2, 36), 36);
    ::close(fd);

    QElapsedTimer stopping;
    stopping.start();
    running.stop();
    QVERIFY(stopping.elapsed() < 500);

    const sim::Counters &c = sensor.counters();
    QCOMPARE(c.requestsOf(sim::kEcho), 1u);
    QCOMPARE(c.requestsOf(sim::kVideoBlock), 1u);
    QCOMPARE(c.requestsOf(sim::kLiveValues), 3u);
    QCOMPARE(c.requestsOf(sim::kReadRam), 1u);
    QCOMPARE(c.totalRequests(), 6u);
    QCOMPARE(c.replies.load(), 5u);
    QCOMPARE(c.bytesSent.load(), 4u * 36 + 128);
    QCOMPARE(c.bytesIgnored.load(), 3u);
}

void TestSimSensor::refusesABrokenEepromFile() {
    QTemporaryDir dir;
    const std::string file = dir.filePath("eeprom.dat").toStdString();
    std::ofstream(file) << "1\n2\n70000\n";
    sim::Options options;
    options.eepromFile = file;
    QVERIFY_THROWS_EXCEPTION(std::runtime_error, sim::Sensor{options});
}

void TestSimSensor::pacedLineHandsOverInPieces_data() {
    QTest::addColumn<int>("chunk");
    QTest::addColumn<int>("usbMs");
    QTest::addColumn<int>("bytes");
    QTest::addColumn<int>("minPieces");
    QTest::newRow("UART, 8-byte chunks, a frame") << 8 << 0 << 36 << 5;
    QTest::newRow("UART, 4-byte chunks, a video block") << 4 << 0 << 128 << 32;
    QTest::newRow("USB, 1 ms ticks, a frame") << 8 << 1 << 36 << 18;
    QTest::newRow("USB, 16 ms ticks, a frame") << 8 << 16 << 36 << 2;
    QTest::newRow("USB, 255 ms ticks, packets full") << 8 << 255 << 300 << 5;
}

// Writes the pieces as they fall due, without waiting for them: what matters is when each is
// due and how many bytes it holds.
void TestSimSensor::pacedLineHandsOverInPieces() {
    using Clock = sim::PtyLine::Clock;
    QFETCH(int, chunk);
    QFETCH(int, usbMs);
    QFETCH(int, bytes);
    QFETCH(int, minPieces);
    sim::PtyLine line(true, {chunk, usbMs});
    const Clock::time_point sent = Clock::now();
    line.send(std::vector<std::uint8_t>(std::size_t(bytes), 0x5A), sent, false);
    std::vector<std::pair<std::size_t, Clock::time_point>> pieces;
    while (!line.idle() && pieces.size() < std::size_t(bytes)) {
        const Clock::time_point due = line.nextDue();
        pieces.emplace_back(line.writeDue(due), due);
    }

    QVERIFY2(int(pieces.size()) >= minPieces, qPrintable(QString::number(pieces.size())));
    const auto largest = std::size_t(usbMs > 0 ? sim::kUsbPacketBytes : chunk);
    std::size_t total = 0;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        total += pieces[i].first;
        QVERIFY(pieces[i].first > 0 && pieces[i].first <= largest);
        if (usbMs == 0 && i + 1 < pieces.size())
            QCOMPARE(pieces[i].first, std::size_t(chunk));
        if (usbMs > 0 && i > 0)
            QCOMPARE((pieces[i].second - pieces[0].second) % std::chrono::milliseconds(usbMs),
                     Clock::duration::zero());
    }
    QCOMPARE(total, std::size_t(bytes));
    // No byte leaves before it has crossed the line, and the last one no later than the ticks
    // that the packets need after it has.
    const auto onLine = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(bytes / sim::kLineBytesPerSecond));
    const int packets = (bytes + sim::kUsbPacketBytes - 1) / sim::kUsbPacketBytes;
    const auto last = pieces.back().second - sent;
    const auto slack = std::chrono::microseconds(1);
    QVERIFY(last >= onLine - slack);
    QVERIFY(last <= onLine + std::chrono::milliseconds(usbMs) * packets + slack);
}

QTEST_GUILESS_MAIN(TestSimSensor)
#include "test_sim_sensor.moc"
