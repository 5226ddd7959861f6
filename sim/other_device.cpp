// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/other_device.h"

#include <array>
#include <chrono>
#include <cmath>

namespace sim {

namespace {

constexpr int kReceiverBaud = 19200;
constexpr int kBitsPerCharacter = 10; // start, 8 data, stop
// What the other device says: a scale's reading, as such devices send it unasked.
constexpr std::string_view kReading = "ST,GS,+  12.34 kg\r\n";

} // namespace

std::vector<std::uint8_t> HeardAt19200(std::string_view text, int baud) {
    // The line's level at time t (in seconds): idle high, each character as start bit 0, data
    // bits least significant first, stop bit 1.
    const double sent = 1.0 / baud;
    const double end = static_cast<double>(text.size()) * kBitsPerCharacter * sent;
    auto level = [&](double t) {
        if (t < 0 || t >= end) {
            return 1;
        }
        const auto bit = static_cast<std::size_t>(t / sent);
        const std::size_t character = bit / kBitsPerCharacter;
        const std::size_t within = bit % kBitsPerCharacter;
        if (within == 0) {
            return 0;
        }
        if (within == kBitsPerCharacter - 1) {
            return 1;
        }
        return (static_cast<unsigned char>(text[character]) >> (within - 1)) & 1;
    };
    const double heard = 1.0 / kReceiverBaud;
    const double step = std::min(sent, heard) / 8; // fine enough to find every falling edge
    std::vector<std::uint8_t> bytes;
    for (double t = 0; t < end;) {
        if (level(t) != 0) {
            t += step;
            continue;
        }
        // A falling edge: the receiver's start bit, checked in its middle.
        if (level(t + heard / 2) != 0) {
            t += step;
            continue;
        }
        std::uint8_t byte = 0;
        for (int i = 0; i < 8; ++i) {
            byte = static_cast<std::uint8_t>(byte | level(t + (1.5 + i) * heard) << i);
        }
        bytes.push_back(byte);
        t += (kBitsPerCharacter - 0.5) * heard; // the middle of its stop bit
        while (t < end && level(t) == 0) {      // a framing error: wait for the line to rise
            t += step;
        }
    }
    return bytes;
}

void OtherDevice::received(const PtyLine::Arrival &arrival, PtyLine &line) const {
    if (options_.loopback) {
        const std::array<std::uint8_t, 1> back{arrival.byte};
        line.send(back, arrival.at, false);
    }
}

PtyLine::Clock::time_point OtherDevice::talk(PtyLine::Clock::time_point now, PtyLine &line) {
    if (options_.talkerBaud <= 0) {
        return PtyLine::Clock::time_point::max();
    }
    // A reading still on its way (or stuck while nobody reads the line) skips this turn.
    if (now >= next_) {
        if (line.idle()) {
            line.send(HeardAt19200(kReading, options_.talkerBaud), now, false);
        }
        next_ = now + std::chrono::milliseconds(kTalkIntervalMs);
    }
    return next_;
}

} // namespace sim
