// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated sensor used in-process, as benchmarks use it: run on a thread, stopped on
// request, with counters of what it received and sent.

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

QTEST_GUILESS_MAIN(TestSimSensor)
#include "test_sim_sensor.moc"
