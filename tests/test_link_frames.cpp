// SPDX-License-Identifier: GPL-3.0-or-later
// The 36-byte frame and the video block on the wire, byte for byte. The test plays the sensor
// on the master side of a pseudo-terminal that port 1 opens.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/port_setup.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/status_line.h"
#include "support/pty_pair.h"
#include "support/tool_fixture.h"

#include <QElapsedTimer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <array>
#include <memory>

namespace {

using Words = std::array<unsigned short, PNUM>;

void appendWord(QByteArray &out, unsigned value) {
    out.append(char(value >> 8));
    out.append(char(value & 0xFF));
}

// A frame as the sensor sends it: the two header words, then the data words.
QByteArray frameOf(unsigned syncWord, unsigned orderWord, const Words &words) {
    QByteArray out;
    appendWord(out, syncWord);
    appendWord(out, orderWord);
    for (unsigned short w : words)
        appendWord(out, w);
    return out;
}

QByteArray sentFrame() {
    return QByteArray(szWriteBuf, kFrameBytes);
}

Words packetWords() {
    Words w{};
    std::copy(pp, pp + PNUM, w.begin());
    return w;
}

// Sample i of a test block: every byte value differs, and many have the top bit set.
unsigned short blockSample(int i) {
    return static_cast<unsigned short>(0x8101 + 0x0203 * i);
}

QByteArray blockReply() {
    QByteArray out;
    for (int i = 0; i < kVideoBlockSamples; ++i)
        appendWord(out, blockSample(i));
    return out;
}

// From inside the tool's next wait: takes its request, sends `reply` and holds on until all of
// it is queued on the tool's port, so the wait sees the whole reply at once.
void answerNextRequest(PtyPair &pty, const QByteArray &reply, QByteArray *request) {
    QTimer::singleShot(5, [&pty, reply, request] {
        *request = pty.receive(kFrameBytes, 1000);
        pty.send(reply);
        QElapsedTimer clock;
        clock.start();
        while (GetInQLen(com) < reply.size() && clock.elapsed() < 1000)
            QThread::msleep(1);
    });
}

void installReceiveCallback() {
    InstallComCallback(com, eventMask, kFrameBytes, 0x55, RX_Receive_Function, nullptr);
}

} // namespace

class TestLinkFrames : public QObject {
    Q_OBJECT
    std::unique_ptr<PtyPair> pty;

  private slots:
    void initTestCase() {
        pty = std::make_unique<PtyPair>();
        QVERIFY(pty->isOpen());
        qputenv("RMOX_COM1", pty->slavePath().toLocal8Bit());
        QVERIFY(StartToolPanels());
        QCOMPARE(OpenComConfig(com, "", 19200, 0, 8, 1, 4096, 4096), 0);
        installReceiveCallback();
    }
    void cleanupTestCase() { StopToolPanels(); }
    void init() {
        pty->receive(1 << 16, 20);
        FlushInQ(com);
        rx_flag = 0;
        graphrefresh = 0;
    }

    void encodesReadRequestHighByteFirst() {
        Words words{};
        words[15] = 1000;
        FillTxBuf(2, words.data());
        const QByteArray expected =
            QByteArray::fromHex("00550002") + QByteArray(30, '\0') + QByteArray::fromHex("03e8");
        QCOMPARE(sentFrame(), expected);
    }

    void wordsSurviveEncodeAndDecode_data() {
        QTest::addColumn<unsigned>("first");
        QTest::addColumn<unsigned>("step");
        QTest::newRow("all 0x0000") << 0u << 0u;
        QTest::newRow("all 0xFFFF") << 0xFFFFu << 0u;
        QTest::newRow("mixed bytes") << 0x00FFu << 0x7F81u;
    }
    void wordsSurviveEncodeAndDecode() {
        QFETCH(unsigned, first);
        QFETCH(unsigned, step);
        Words words{};
        for (int i = 0; i < PNUM; ++i)
            words[i] = static_cast<unsigned short>(first + step * unsigned(i));
        FillTxBuf(8, words.data());
        QCOMPARE(sentFrame(), frameOf(0x0055, 8, words));
        std::copy(szWriteBuf, szWriteBuf + kFrameBytes, szReadBuf);
        std::fill(pp, pp + PNUM, 0x5A5A);
        GetRxBuf(PNUM);
        QCOMPARE(packetWords(), words);
        GetRxBuf(PNUM + 8); // held to the packet's 16 words
        QCOMPARE(packetWords(), words);
    }

    void callbackAcceptsAnyHeader() {
        Words words{};
        for (int i = 0; i < PNUM; ++i)
            words[i] = static_cast<unsigned short>(0xFF00 - 0x0101 * i);
        ttick = 25;
        QVERIFY(pty->send(frameOf(0xFFFF, 0xFFFF, words)));
        QVERIFY(PumpUntil([] { return rx_flag == 1; }, 1000));
        QCOMPARE(packetWords(), words);
        QCOMPARE(graphrefresh, 1);
        QCOMPARE(ttick, 0);
    }

    void callbackTakesFirstOfTwoFrames() {
        Words first{}, second{};
        first.fill(0x1111);
        second.fill(0x2222);
        QVERIFY(pty->send(frameOf(0x55, 2, first) + frameOf(0x55, 2, second)));
        QVERIFY(PumpUntil([] { return rx_flag == 1; }, 1000));
        QCOMPARE(packetWords(), first);
        rx_flag = 0;
        PumpEvents(100);
        QCOMPARE(rx_flag, 0);
        QCOMPARE(GetInQLen(com), 0);
        QCOMPARE(packetWords(), first);
    }

    void partialFrameStaysQueued() {
        QVERIFY(pty->send(QByteArray(kFrameBytes - 1, '\x55')));
        PumpEvents(100);
        QCOMPARE(rx_flag, 0);
        QCOMPARE(GetInQLen(com), kFrameBytes - 1);
    }

    // The echo check times out, its late reply lands while nothing waits, and the next check
    // must not take that stale frame for its own answer.
    void staleFrameDoesNotSatisfyNextWait() {
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(CheckComLine(com), 0);
        QVERIFY2(clock.elapsed() >= 1400 && clock.elapsed() < 2500,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(StatusText(), QString("Timeout-RS-232..."));
        const Words variables{power, pwrMode, vThd,  bVal,  polarity, eMode,  eBeg,  eEnd,
                              tVal,  tTol,    iGain, ePoti, ccdMode,  pStart, bMode, para15};
        QCOMPARE(pty->receive(kFrameBytes, 500), frameOf(0x0055, 7, variables));

        Words echo{};
        echo[0] = 0x00AA;
        QVERIFY(pty->send(frameOf(0x55, 7, echo)));
        QVERIFY(PumpUntil([] { return rx_flag == 1; }, 1000));
        QCOMPARE(pp[0], 0x00AA);
        QCOMPARE(CheckComLine(com), 0);
        QCOMPARE(StatusText(), QString("Timeout-RS-232..."));
    }

    void blockRequestAndReplyByteForByte() {
        InstallComCallback(com, 0, 0, 0, nullptr, nullptr);
        std::fill(adcbuf, adcbuf + kVideoSamples, 0x7777);
        QByteArray request;
        answerNextRequest(*pty, QByteArray::fromHex("1234") + QByteArray(126, '\0'), &request);
        QCOMPARE(ReadData64(64, 0), 1);
        QCOMPARE(request.toHex(), QByteArray("0055000900400000") + QByteArray(56, '0'));
        QCOMPARE(adcbuf[64], 0x1234);
        QVERIFY(std::all_of(adcbuf + 65, adcbuf + 128, [](unsigned short v) { return v == 0; }));
        QCOMPARE(adcbuf[63], 0x7777);
        QCOMPARE(adcbuf[128], 0x7777);
        QCOMPARE(StatusText(), QString("Data[64] block received!"));

        answerNextRequest(*pty, blockReply(), &request);
        ReadData64(128, 0);
        QCOMPARE(request, QByteArray::fromHex("0055000900800000") + QByteArray(28, '\0'));
        for (int i = 0; i < kVideoBlockSamples; ++i)
            QCOMPARE(adcbuf[128 + i], blockSample(i));
        installReceiveCallback();
    }

    // More than the buffer holds: the first block is used, the rest never reaches a later
    // read, and the status line keeps its previous message.
    void oversizedBlockReplyIsCut() {
        InstallComCallback(com, 0, 0, 0, nullptr, nullptr);
        SetStatusText("previous message");
        QByteArray request;
        answerNextRequest(*pty, blockReply() + QByteArray(1500, '\x33'), &request);
        ReadData64(0, 1);
        QCOMPARE(request.mid(4, 4), QByteArray::fromHex("00000001"));
        QCOMPARE(nBytesR, kBufferBytes);
        QCOMPARE(GetInQLen(com), 0);
        QCOMPARE(StatusText(), QString("previous message"));
        for (int i = 0; i < kVideoBlockSamples; ++i)
            QCOMPARE(adcbuf[i], blockSample(i));
        installReceiveCallback();
    }

    // A block start outside 0-192 stores only the samples that fall inside adcbuf.
    void blockOutsideBufferIsClipped() {
        InstallComCallback(com, 0, 0, 0, nullptr, nullptr);
        QByteArray request;
        answerNextRequest(*pty, blockReply(), &request);
        ReadData64(-32, 0);
        for (int i = 0; i < 32; ++i)
            QCOMPARE(adcbuf[i], blockSample(32 + i));
        answerNextRequest(*pty, blockReply(), &request);
        ReadData64(224, 0);
        for (int i = 0; i < 32; ++i)
            QCOMPARE(adcbuf[224 + i], blockSample(i));
        installReceiveCallback();
    }

    // Bytes that waited on the line before the port was set up must not shift the echo.
    void setUpDropsBytesQueuedBeforeOpen() {
        QTimer sensor;
        connect(&sensor, &QTimer::timeout, this, [this] {
            const QByteArray request = pty->receive(kFrameBytes, 0);
            Words reply{};
            reply[0] = 0x00AA;
            if (request.size() == kFrameBytes)
                pty->send(frameOf(0x55, quint8(request[3]), reply));
        });
        CloseCom(com);
        QVERIFY(pty->send(QByteArray(10, '\x5A')));
        sensor.start(5);
        InitRS232(com);
        QCOMPARE(ret, 1);
        QCOMPARE(pp[0], 0x00AA);
    }
};

QTEST_MAIN(TestLinkFrames)
#include "test_link_frames.moc"
