// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's answers when it plays a recorded session back.
#include "sim/sensor.h"

#include <algorithm>
#include <cstdio>

namespace sim {

namespace {

using Clock = PtyLine::Clock;

Clock::duration secondsOf(double s) {
    return std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(s));
}

Clock::duration lineTimeOf(std::size_t bytes) {
    return secondsOf(static_cast<double>(bytes) / kLineBytesPerSecond);
}

} // namespace

// Each piece reaches the tool as one, when it did in the session counted from the request's
// write (the request's own line time is already behind when it is found): the recorded times
// hold the line's timing and the way the adapter handed the bytes over.
void Sensor::replayAnswer(const FrameFinder::Found &found) {
    const std::vector<std::uint8_t> request = encodeFrame(found.frame);
    const Replay::Answer answer = replay_->answer(request);
    const unsigned order = found.frame.order;
    if (answer.how == Replay::How::Recorded) {
        log("order %u: recorded request of line %zu%s", order, answer.exchange->line,
            answer.skipped ? " (recorded requests passed over before it)" : "");
    } else if (answer.how == Replay::How::LastKnown) {
        std::fprintf(stderr,
                     "rmox-sensor-sim: a request of order %u the session does not have from here "
                     "on: answered with the reply recorded after line %zu\n",
                     order, answer.exchange->line);
    } else {
        std::fprintf(stderr,
                     "rmox-sensor-sim: a request of order %u the session does not have, and no "
                     "reply to order %u in it: left silent\n",
                     order, order);
    }
    if (!answer.exchange) {
        return;
    }
    const Clock::time_point written = found.complete - lineTimeOf(kFrameBytes);
    for (const ReplayPiece &piece : answer.exchange->reply) {
        Clock::time_point due = found.complete;
        if (options_.pacing) {
            due = std::max(due, written + secondsOf(piece.afterRequest / options_.speed));
        }
        line_.sendAsOne(piece.bytes, due);
    }
    if (!answer.exchange->reply.empty()) {
        ++counters_.replies;
    }
}

} // namespace sim
