// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated sensor, driven through its pseudo-terminal as the tool would drive a real one:
// the frame orders, the parameter sets and their persistence, live frames and video blocks
// that agree with each other, the line timing and the fault modes.

#include "support/sim_process.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Words = std::array<quint16, 16>;

constexpr int kReplyTimeoutMs = 1000;
constexpr int kSilenceMs = 300;

// The tool's end of the line, opened with plain POSIX calls in raw mode.
class Port {
  public:
    explicit Port(const QString &path) {
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        termios raw{};
        if (fd_ >= 0 && tcgetattr(fd_, &raw) == 0) {
            cfmakeraw(&raw);
            tcsetattr(fd_, TCSANOW, &raw);
            tcflush(fd_, TCIOFLUSH);
        }
    }
    ~Port() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool isOpen() const { return fd_ >= 0; }

    bool send(const QByteArray &bytes) {
        return ::write(fd_, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    void flushInput() { tcflush(fd_, TCIFLUSH); }

    // Collects bytes until `count` have come or `timeoutMs` passed. `reads` counts the reads
    // that returned data.
    QByteArray receive(int count, int timeoutMs = kReplyTimeoutMs) {
        QByteArray got;
        reads = 0;
        QDeadlineTimer deadline(timeoutMs);
        while (got.size() < count) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, int(deadline.remainingTime())) <= 0) {
                break;
            }
            char chunk[4096];
            const ssize_t n = ::read(fd_, chunk, size_t(qMin<qsizetype>(4096, count - got.size())));
            if (n > 0) {
                got.append(chunk, n);
                ++reads;
            }
        }
        return got;
    }

    int reads = 0;

  private:
    int fd_ = -1;
};

QByteArray encode(quint16 order, const Words &words = {}) {
    QByteArray out;
    auto put = [&](quint16 w) {
        out.append(char(w >> 8));
        out.append(char(w & 0xFF));
    };
    put(0x0055);
    put(order);
    for (quint16 w : words) {
        put(w);
    }
    return out;
}

quint16 wordAt(const QByteArray &bytes, qsizetype offset) {
    return quint16(quint8(bytes[offset]) << 8 | quint8(bytes[offset + 1]));
}

struct Reply {
    quint16 sync = 0;
    quint16 order = 0;
    Words words{};
};

std::optional<Reply> decode(const QByteArray &bytes) {
    if (bytes.size() < 36) {
        return std::nullopt;
    }
    Reply r;
    r.sync = wordAt(bytes, 0);
    r.order = wordAt(bytes, 2);
    for (int i = 0; i < 16; ++i) {
        r.words[size_t(i)] = wordAt(bytes, 4 + 2 * i);
    }
    return r;
}

// One request and its 36-byte reply; fails the test when no whole frame comes back.
#define EXCHANGE(port, order, words, reply)                                                        \
    QVERIFY(port.send(encode(order, words)));                                                      \
    const auto reply##Raw = port.receive(36);                                                      \
    QCOMPARE(reply##Raw.size(), 36);                                                               \
    const Reply reply = *decode(reply##Raw);                                                       \
    QCOMPARE(reply.sync, quint16(0x0055))

// The tool's own start-up values: the sensor's factory set must differ from them.
const Words kToolDefaults = {500, 0, 512, 64, 1, 1, 200, 800, 512, 100, 1, 1, 0, 1, 0, 1000};

enum Word { kVThd = 2, kEMode = 5, kTVal = 8, kCcdMode = 12, kPStart = 13 };

} // namespace

class TestSimProtocol : public QObject {
    Q_OBJECT

  private slots:
    void echoCarriesTheMark_data();
    void echoCarriesTheMark();
    void parameterSetsReadBack();
    void eepromPersistsAcrossRuns();
    void liveFramesShowTheObject_data();
    void liveFramesShowTheObject();
    void videoAgreesWithLiveEdges_data();
    void videoAgreesWithLiveEdges();
    void teachTakesTheMeasuredValue_data();
    void teachTakesTheMeasuredValue();
    void sameSeedSameAnswers();
    void strayBytesAndTornFramesAreSkipped();
    void pacingModelsTheLine_data();
    void pacingModelsTheLine();
    void faultsWithholdReplies();
    void faultsDistortReplies();
    void garbageNeverLandsInsideAReply();
    void linkIsMadeAndRemoved();
    void badOptionsExitWithTwo_data();
    void badOptionsExitWithTwo();
};

void TestSimProtocol::echoCarriesTheMark_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<quint16>("mark");
    QTest::newRow("sound") << QStringList{} << quint16(0x00AA);
    QTest::newRow("wrong echo") << QStringList{"--wrong-echo"} << quint16(0x0055);
}

void TestSimProtocol::echoCarriesTheMark() {
    QFETCH(QStringList, options);
    QFETCH(quint16, mark);
    SimProcess sim(options);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());
    QVERIFY(port.isOpen());

    Words sent{};
    for (int i = 0; i < 16; ++i) {
        sent[size_t(i)] = quint16(0x1111 * i + 3);
    }
    EXCHANGE(port, 7, sent, echo);
    QCOMPARE(echo.order, quint16(7));
    QCOMPARE(echo.words[0], mark);
    for (int i = 1; i < 16; ++i) {
        QCOMPARE(echo.words[size_t(i)], sent[size_t(i)]);
    }
}

void TestSimProtocol::parameterSetsReadBack() {
    SimProcess sim({"--no-pacing"});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());

    EXCHANGE(port, 2, kToolDefaults, ram);
    EXCHANGE(port, 4, kToolDefaults, eeprom);
    QCOMPARE(ram.order, quint16(2));
    QCOMPARE(eeprom.order, quint16(4));
    QCOMPARE(ram.words, eeprom.words);
    QVERIFY(ram.words != kToolDefaults);

    const Words setA = {1000, 1, 1023, 0, 0, 3, 0, 1024, 1024, 512, 1, 1, 2, 1023, 2, 800};
    const Words setB = {0, 0, 300, 1023, 1, 0, 1024, 0, 0, 0, 0, 0, 1, 0, 0, 1200};
    QVERIFY(port.send(encode(1, setA)));
    EXCHANGE(port, 2, {}, ramA);
    EXCHANGE(port, 4, {}, eepromA);
    QCOMPARE(ramA.words, setA);
    QCOMPARE(eepromA.words, eeprom.words);

    QVERIFY(port.send(encode(3, setB)));
    EXCHANGE(port, 4, {}, eepromB);
    EXCHANGE(port, 2, {}, ramB);
    QCOMPARE(eepromB.words, setB);
    QCOMPARE(ramB.words, setA);
    QVERIFY(port.receive(1, kSilenceMs).isEmpty()); // writes are not answered
}

void TestSimProtocol::eepromPersistsAcrossRuns() {
    QTemporaryDir dir;
    const QString file = dir.filePath("eeprom.dat");
    const Words stored = {700, 0, 400, 10, 0, 1, 100, 900, 300, 50, 1, 0, 1, 512, 2, 1100};
    {
        SimProcess sim({"--no-pacing", "--eeprom", file});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        Port port(sim.devicePath());
        QVERIFY(port.send(encode(3, stored)));
        EXCHANGE(port, 4, {}, check);
        QCOMPARE(check.words, stored);
        QCOMPARE(sim.stop(), 0);
    }
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = saved.readAll().trimmed().split('\n');
    QCOMPARE(lines.size(), 16);
    for (int i = 0; i < 16; ++i) {
        QCOMPARE(lines[i].toUInt(), uint(stored[size_t(i)]));
    }

    SimProcess again({"--no-pacing", "--eeprom", file});
    QVERIFY2(again.isRunning(), qPrintable(again.errorString()));
    Port port(again.devicePath());
    EXCHANGE(port, 4, {}, eeprom);
    EXCHANGE(port, 2, {}, ram);
    QCOMPARE(eeprom.words, stored);
    QCOMPARE(ram.words, stored);
}

void TestSimProtocol::liveFramesShowTheObject_data() {
    QTest::addColumn<int>("ccdMode");
    QTest::newRow("whole line") << 0;
    QTest::newRow("window following the object") << 2;
}

void TestSimProtocol::liveFramesShowTheObject() {
    QFETCH(int, ccdMode);
    SimProcess sim({"--no-pacing", "--seed", "3"});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());
    EXCHANGE(port, 2, {}, ram);
    Words set = ram.words;
    set[kCcdMode] = quint16(ccdMode);
    set[kTVal] = 321;
    QVERIFY(port.send(encode(1, set)));

    for (int i = 0; i < 20; ++i) {
        EXCHANGE(port, 8, set, live);
        const Words &w = live.words;
        QCOMPARE(live.order, quint16(8));
        QCOMPARE(w[6], quint16(2)); // edge count
        QVERIFY2(w[0] > 330 && w[0] < 470, qPrintable(QString::number(w[0])));
        QVERIFY2(w[1] > 530 && w[1] < 670, qPrintable(QString::number(w[1])));
        QCOMPARE(w[3], set[kTVal]);
        QCOMPARE(w[4], set[9]);
        QVERIFY(w[7] > set[kVThd] && w[8] > set[kVThd]); // bright at both ends of the search
        if (ccdMode == 2) {
            QVERIFY(w[5] <= 768);
            QVERIFY(w[5] < w[0] && w[1] < w[5] + 256);
        } else {
            QCOMPARE(w[5], quint16(0));
        }
    }
}

void TestSimProtocol::videoAgreesWithLiveEdges_data() {
    QTest::addColumn<int>("ccdMode");
    QTest::addColumn<int>("pStart");
    QTest::newRow("whole line") << 0 << 0;
    QTest::newRow("fixed window over the first edge") << 1 << 300;
    QTest::newRow("window following the object") << 2 << 0;
}

// Each video sample far enough from the edges that the live frames report must lie on the
// right side of the threshold: below inside the object, above outside.
void TestSimProtocol::videoAgreesWithLiveEdges() {
    QFETCH(int, ccdMode);
    QFETCH(int, pStart);
    SimProcess sim({"--seed", "11"});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());
    EXCHANGE(port, 2, {}, ram);
    Words set = ram.words;
    set[kCcdMode] = quint16(ccdMode);
    set[kPStart] = quint16(pStart);
    QVERIFY(port.send(encode(1, set)));

    EXCHANGE(port, 8, set, before);
    QList<quint16> video;
    for (quint16 first : {0, 64, 128, 192}) {
        QVERIFY(port.send(encode(9, {first, quint16(first == 192 ? 1 : 0)})));
        const QByteArray block = port.receive(128);
        QCOMPARE(block.size(), 128);
        for (int i = 0; i < 64; ++i) {
            video.append(wordAt(block, 2 * i));
        }
    }
    EXCHANGE(port, 8, set, after); // a block longer than 128 bytes would shift this frame
    QVERIFY(port.receive(1, 100).isEmpty());

    const int count = before.words[6];
    QCOMPARE(after.words[6], quint16(count));
    QCOMPARE(count, ccdMode == 1 ? 1 : 2);
    const int margin = 10;
    const int windowStart = ccdMode == 1 ? pStart : before.words[5];
    const int leftLo = qMin(before.words[0], after.words[0]) - margin;
    const int leftHi = qMax(before.words[0], after.words[0]) + margin;
    const int rightLo = count == 2 ? qMin(before.words[1], after.words[1]) - margin : 2000;
    const int rightHi = count == 2 ? qMax(before.words[1], after.words[1]) + margin : 2000;
    const int threshold = set[kVThd];
    int dark = 0;
    int bright = 0;
    for (int i = 0; i < 256; ++i) {
        const int pixel = ccdMode == 0 ? 4 * i : windowStart + i;
        if ((pixel >= leftLo && pixel <= leftHi) || (pixel >= rightLo && pixel <= rightHi)) {
            continue;
        }
        const bool inside = pixel > leftHi && pixel < rightLo;
        const QString where = QString("sample %1 (pixel %2) = %3").arg(i).arg(pixel).arg(video[i]);
        if (inside) {
            QVERIFY2(video[i] < threshold, qPrintable(where));
            ++dark;
        } else {
            QVERIFY2(video[i] > threshold, qPrintable(where));
            ++bright;
        }
    }
    QVERIFY(dark > 20);
    QVERIFY(bright > 20);
}

void TestSimProtocol::teachTakesTheMeasuredValue_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("first edge") << 0;
    QTest::newRow("second edge") << 1;
    QTest::newRow("distance") << 2;
    QTest::newRow("midpoint") << 3;
}

void TestSimProtocol::teachTakesTheMeasuredValue() {
    QFETCH(int, mode);
    SimProcess sim({"--no-pacing"});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());
    EXCHANGE(port, 2, {}, ram);
    Words set = ram.words;
    set[kEMode] = quint16(mode);
    QVERIFY(port.send(encode(1, set)));

    EXCHANGE(port, 8, {}, live);
    const int e0 = live.words[0];
    const int e1 = live.words[1];
    const int expected = mode == 0 ? e0 : mode == 1 ? e1 : mode == 2 ? e1 - e0 : (e0 + e1) / 2;
    QCOMPARE(int(live.words[2]), expected);

    EXCHANGE(port, 5, {}, taught);
    QCOMPARE(taught.order, quint16(5));
    QVERIFY2(qAbs(taught.words[kTVal] - expected) <= 2,
             qPrintable(QString("%1 vs %2").arg(taught.words[kTVal]).arg(expected)));
    Words rest = taught.words;
    rest[kTVal] = set[kTVal];
    QCOMPARE(rest, set);
    EXCHANGE(port, 2, {}, reread);
    QCOMPARE(reread.words, taught.words);

    const Words background = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    EXCHANGE(port, 6, background, echo);
    QCOMPARE(echo.order, quint16(6));
    QCOMPARE(echo.words, background);
}

// The scene runs on the line's clock, so the answers depend only on the seed and the requests.
void TestSimProtocol::sameSeedSameAnswers() {
    auto record = [](const QString &seed) {
        SimProcess sim({"--no-pacing", "--seed", seed});
        Port port(sim.devicePath());
        QByteArray answers;
        for (int sweep = 0; sweep < 3; ++sweep) {
            for (quint16 first : {0, 64, 128, 192}) {
                port.send(encode(9, {first}));
                answers += port.receive(128);
            }
            port.send(encode(8));
            answers += port.receive(36);
        }
        return answers;
    };
    const QByteArray first = record("9");
    QCOMPARE(first.size(), 3 * (4 * 128 + 36));
    QCOMPARE(record("9"), first);
    QVERIFY(record("10") != first);
}

// Bytes that cannot start a frame, a sync with an order code out of range, and a frame cut off
// and left hanging are all passed over; the next whole request is answered, once.
void TestSimProtocol::strayBytesAndTornFramesAreSkipped() {
    SimProcess sim({"--no-pacing"});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());

    const Words first = {0, 0x1111};
    const Words second = {0, 0x2222};
    QVERIFY(port.send(QByteArray("\x12\x00\x00\x34\xFF\x55\x00\x55\x00\x0C", 10)));
    EXCHANGE(port, 7, first, afterJunk);
    QCOMPARE(afterJunk.words[1], quint16(0x1111));

    QVERIFY(port.send(encode(7, first).left(20)));
    QTest::qWait(400);
    EXCHANGE(port, 7, second, afterTorn);
    QCOMPARE(afterTorn.words[0], quint16(0x00AA));
    QCOMPARE(afterTorn.words[1], quint16(0x2222));
    QVERIFY(port.receive(1, kSilenceMs).isEmpty());
}

void TestSimProtocol::pacingModelsTheLine_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    // 10 exchanges of 72 bytes at 1920 bytes/s: 375 ms.
    QTest::newRow("19200 baud") << QStringList{"--reply-delay", "0"} << 340 << 1000;
    QTest::newRow("19200 baud, 20 ms delay") << QStringList{"--reply-delay=20"} << 540 << 1200;
    QTest::newRow("no pacing") << QStringList{"--no-pacing"} << 0 << 150;
}

void TestSimProtocol::pacingModelsTheLine() {
    QFETCH(QStringList, options);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    SimProcess sim(options);
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 10; ++i) {
        EXCHANGE(port, 7, {}, echo);
    }
    const qint64 ms = clock.elapsed();
    QVERIFY2(ms >= minMs && ms <= maxMs, qPrintable(QString::number(ms) + " ms"));
}

void TestSimProtocol::faultsWithholdReplies() {
    {
        SimProcess silent({"--silent", "--no-pacing"});
        QVERIFY2(silent.isRunning(), qPrintable(silent.errorString()));
        Port port(silent.devicePath());
        for (quint16 order : {2, 7, 8}) {
            QVERIFY(port.send(encode(order)));
        }
        QVERIFY(port.receive(1, kSilenceMs).isEmpty());
    }
    SimProcess limited({"--live-limit", "3", "--no-pacing"});
    QVERIFY2(limited.isRunning(), qPrintable(limited.errorString()));
    Port port(limited.devicePath());
    for (int i = 0; i < 3; ++i) {
        EXCHANGE(port, 8, {}, live);
        QCOMPARE(live.order, quint16(8));
    }
    QVERIFY(port.send(encode(8)));
    QVERIFY(port.receive(1, kSilenceMs).isEmpty());
    EXCHANGE(port, 7, {}, echo);
    QCOMPARE(echo.words[0], quint16(0x00AA));
}

void TestSimProtocol::faultsDistortReplies() {
    {
        SimProcess shortVideo({"--short-video", "--no-pacing"});
        QVERIFY2(shortVideo.isRunning(), qPrintable(shortVideo.errorString()));
        Port port(shortVideo.devicePath());
        QVERIFY(port.send(encode(9, {64})));
        QCOMPARE(port.receive(128, kSilenceMs).size(), 100);
    }
    {
        SimProcess trailing({"--trailing-bytes", "5", "--no-pacing"});
        QVERIFY2(trailing.isRunning(), qPrintable(trailing.errorString()));
        Port port(trailing.devicePath());
        QVERIFY(port.send(encode(7)));
        const QByteArray reply = port.receive(64, kSilenceMs);
        QCOMPARE(reply.size(), 41);
        QCOMPARE(decode(reply)->words[0], quint16(0x00AA));
        QVERIFY(port.send(encode(9, {0})));
        QCOMPARE(port.receive(200, kSilenceMs).size(), 128); // a video block is no frame
    }
    SimProcess split({"--split-bytes", "--no-pacing"});
    QVERIFY2(split.isRunning(), qPrintable(split.errorString()));
    Port port(split.devicePath());
    QElapsedTimer clock;
    clock.start();
    QVERIFY(port.send(encode(7)));
    const QByteArray reply = port.receive(36);
    QCOMPARE(reply.size(), 36);
    QCOMPARE(decode(reply)->words[0], quint16(0x00AA));
    QVERIFY2(clock.elapsed() >= 30, qPrintable(QString::number(clock.elapsed())));
    QVERIFY2(port.reads >= 10, qPrintable(QString::number(port.reads)));
}

void TestSimProtocol::garbageNeverLandsInsideAReply() {
    SimProcess sim({"--garbage", "--no-pacing", "--seed", "5"});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    Port port(sim.devicePath());
    QVERIFY(!port.receive(4096, 1500).isEmpty()); // line noise while idle

    for (int i = 0; i < 20; ++i) {
        Words words{};
        words[1] = quint16(i);
        port.flushInput();
        QVERIFY(port.send(encode(7, words)));
        const QByteArray got = port.receive(4096, 40);
        words[0] = 0x00AA;
        QVERIFY2(got.contains(encode(7, words)), qPrintable(got.toHex(' ')));
    }
}

void TestSimProtocol::linkIsMadeAndRemoved() {
    QTemporaryDir dir;
    const QString link = dir.filePath("sensor");
    SimProcess sim({"--link", link});
    QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
    const QFileInfo info(link);
    QVERIFY(info.isSymLink());
    QCOMPARE(info.symLinkTarget(), sim.devicePath());
    {
        Port port(link);
        EXCHANGE(port, 7, {}, echo);
    }
    QCOMPARE(sim.stop(), 0);
    QVERIFY(!QFileInfo::exists(link) && !QFileInfo(link).isSymLink());
}

void TestSimProtocol::badOptionsExitWithTwo_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("named");
    QTest::newRow("unknown") << QStringList{"--bogus"} << "--bogus";
    QTest::newRow("not a number") << QStringList{"--reply-delay", "abc"} << "abc";
    QTest::newRow("out of range") << QStringList{"--trailing-bytes=5000"} << "5000";
    QTest::newRow("missing value") << QStringList{"--no-pacing", "--live-limit"} << "--live-limit";
    QTest::newRow("flag with value") << QStringList{"--silent=1"} << "--silent";
}

void TestSimProtocol::badOptionsExitWithTwo() {
    QFETCH(QStringList, arguments);
    QFETCH(QString, named);
    QProcess process;
    process.start(SimProcess::executable(), arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(process.readAllStandardOutput().isEmpty());
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.contains(named), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestSimProtocol)
#include "test_sim_protocol.moc"
