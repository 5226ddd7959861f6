// SPDX-License-Identifier: GPL-3.0-or-later
// Lines without a sensor of the series on them, for trying how the tool tells them apart: a
// loop-back plug (every byte written comes back) and another device that talks on its own, at
// another baud rate or in another format, as a 19200-baud receiver hears it. Neither answers
// the protocol.
#pragma once

#include "sim/options.h"
#include "sim/pty_line.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace sim {

// The bytes a 19200-baud 8N1 receiver makes of `text` sent at `baud`, 8N1: sampled bit by bit
// in the middle of each of its own bit times. A frame whose stop bit reads 0 is still
// delivered, as a receiver in raw mode does.
std::vector<std::uint8_t> HeardAt19200(std::string_view text, int baud);

class OtherDevice {
  public:
    static constexpr int kTalkIntervalMs = 100;

    explicit OtherDevice(const Options &options) : options_(options) {}

    // Whether it takes the sensor's place.
    bool active() const { return options_.loopback || options_.talkerBaud > 0; }
    // A byte arrived from the host.
    void received(const PtyLine::Arrival &arrival, PtyLine &line) const;
    // Talks when it is time to; returns when it talks next (max() when it never does).
    PtyLine::Clock::time_point talk(PtyLine::Clock::time_point now, PtyLine &line);

  private:
    const Options &options_;
    PtyLine::Clock::time_point next_{};
};

} // namespace sim
