// SPDX-License-Identifier: GPL-3.0-or-later
// The receive path: whatever the serial line delivers, in whatever pieces, goes through the
// tool's port into the receive callback and the video block read. The input is a list of
// steps:
//   0 n bytes...            n bytes arrive on the line, then one pass of event processing
//   1                       the receive callback is switched off or back on
//   2 s [start] [ref] len   a video block read, answered by len + 128 bytes (taken from the
//                           input, padded when it ends); start is a block start (0-192)
//                           unless bit 7 of s asks for any 16-bit value
// The test plays the sensor on the master side of a pseudo-terminal and keeps its own account
// of what waits on the line, then checks the tool's flags, packet, video buffer and queue
// against it after every step.
#include "fuzz_harness.h"

#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "sensor_line.h"
#include "state/globals.h"
#include "state/status_line.h"

#include <QElapsedTimer>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstring>

namespace {

using Packet = std::array<unsigned short, PNUM>;
using Video = std::array<unsigned short, kVideoSamples>;

constexpr int kDeliveryTimeoutMs = 2000;
constexpr int kQueueBytes = 4096;
constexpr int kLongestExtraReply = 1200; // beyond a block, so some replies overflow szReadBuf
constexpr unsigned short kIdleTicks = 7;
constexpr const char *kStatusBefore = "status before the read";

SensorLine *line = nullptr;

// What the test expects to wait in the tool's input queue, and whether the callback is on.
struct LineModel {
    QByteArray queued;
    bool callbackOn = true;
};

unsigned short wordAt(const QByteArray &bytes, int offset) {
    return static_cast<unsigned short>(quint8(bytes[offset]) << 8 | quint8(bytes[offset + 1]));
}

Packet packet() {
    Packet p{};
    std::copy(pp, pp + PNUM, p.begin());
    return p;
}

Video video() {
    Video v{};
    std::copy(adcbuf, adcbuf + kVideoSamples, v.begin());
    return v;
}

void setCallback(bool on) {
    if (on)
        InstallComCallback(com, eventMask, kFrameBytes, COM232::sync, RX_Receive_Function, nullptr);
    else
        InstallComCallback(com, 0, kFrameBytes, COM232::sync, nullptr, nullptr);
}

// The pseudo-terminal hands bytes over asynchronously: wait, without processing events,
// until the port has all `count` of them, so one pass of event processing sees them together.
void waitUntilQueued(int count) {
    QElapsedTimer clock;
    clock.start();
    while (GetInQLen(com) < count && clock.elapsed() < kDeliveryTimeoutMs)
        QThread::usleep(20);
    FUZZ_CHECK(GetInQLen(com) == count);
}

// One pass of event processing. The queued no-op keeps the pass from idling for want of
// events, which would only slow the fuzzer down.
void processEventsOnce() {
    QTimer::singleShot(0, [] {});
    ProcessSystemEvents();
}

void arrive(LineModel &model, const QByteArray &chunk) {
    rx_flag = 0;
    graphrefresh = 0;
    ttick = kIdleTicks;
    const Packet before = packet();
    FUZZ_CHECK(line->send(chunk));
    model.queued += chunk;
    waitUntilQueued(int(model.queued.size()));
    processEventsOnce();

    if (model.callbackOn && model.queued.size() >= kFrameBytes) {
        Packet expected{};
        for (int i = 0; i < PNUM; ++i)
            expected[i] = wordAt(model.queued, 4 + 2 * i);
        FUZZ_CHECK(packet() == expected);
        FUZZ_CHECK(rx_flag == 1 && graphrefresh == 1 && ttick == 0);
        FUZZ_CHECK(GetInQLen(com) == 0);
        model.queued.clear();
    } else {
        FUZZ_CHECK(packet() == before);
        FUZZ_CHECK(rx_flag == 0 && graphrefresh == 0 && ttick == kIdleTicks);
        FUZZ_CHECK(GetInQLen(com) == model.queued.size());
    }
}

QByteArray blockRequest(int start, int refFlag) {
    QByteArray request(kFrameBytes, '\0');
    request[1] = 0x55;
    request[3] = 9;
    request[4] = char(start >> 8);
    request[5] = char(start);
    request[6] = char(refFlag >> 8);
    request[7] = char(refFlag);
    return request;
}

// The sensor's side of one block read: take the request, answer, and hold on until the whole
// answer waits at the port, so the tool's wait ends with all of it there.
void answerBlockRequest(const QByteArray &reply, QByteArray *request) {
    QTimer::singleShot(0, [reply, request] {
        *request = line->receive(kFrameBytes, kDeliveryTimeoutMs);
        FUZZ_CHECK(line->send(reply));
        waitUntilQueued(int(reply.size()));
    });
}

void readBlock(LineModel &model, FuzzInput &in) {
    const std::uint8_t select = in.byte();
    const int start = (select & 0x80) ? std::int16_t(in.word()) : kVideoBlockSamples * (select & 3);
    const int refFlag = std::int16_t(in.word());
    const int replySize = kVideoBlockBytes + in.word() % (kLongestExtraReply + 1);
    QByteArray reply = in.bytes(std::size_t(replySize));
    reply.append(replySize - int(reply.size()), '\x5A');

    Video expected = video();
    for (int i = 0; i < kVideoBlockSamples; ++i)
        if (start + i >= 0 && start + i < kVideoSamples)
            expected[std::size_t(start + i)] = wordAt(reply, 2 * i);
    const Packet packetBefore = packet();
    rx_flag = 0;
    SetStatusText(kStatusBefore);

    setCallback(false);
    QByteArray request;
    answerBlockRequest(reply, &request);
    FUZZ_CHECK(ReadData64(start, refFlag) == 1);
    setCallback(model.callbackOn);
    model.queued.clear(); // the read flushes what waited before its request

    FUZZ_CHECK(request == blockRequest(start, refFlag));
    FUZZ_CHECK(line->receive(1, 0).isEmpty());
    FUZZ_CHECK(video() == expected);
    FUZZ_CHECK(nBytesR == std::min(replySize, kBufferBytes));
    FUZZ_CHECK(GetInQLen(com) == 0);
    const bool whole = replySize == kVideoBlockBytes;
    FUZZ_CHECK(std::strcmp(szStatus, whole ? "Data[64] block received!" : kStatusBefore) == 0);
    FUZZ_CHECK(rx_flag == 0 && packet() == packetBefore);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    StartFuzzApp();
    LoadToolPanels();
    line = new SensorLine;
    FUZZ_CHECK(line->isOpen());
    qputenv("RMOX_COM1", line->devicePath().c_str());
    com = 1;
    // Opened and set up as the tool's line set-up does it.
    FUZZ_CHECK(OpenComConfig(com, "", 19200, 0, 8, 1, kQueueBytes, kQueueBytes) == 0);
    SetComTime(com, 2.0);
    SetCTSMode(com, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    LineModel model;
    setCallback(true);
    FlushInQ(com);
    FUZZ_CHECK(GetInQLen(com) == 0);

    FuzzInput in(data, size);
    while (!in.empty()) {
        switch (in.byte() % 3) {
        case 0:
            arrive(model, in.bytes(in.byte()));
            break;
        case 1:
            model.callbackOn = !model.callbackOn;
            setCallback(model.callbackOn);
            break;
        default:
            readBlock(model, in);
            break;
        }
    }
    return 0;
}
