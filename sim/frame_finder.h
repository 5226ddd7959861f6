// SPDX-License-Identifier: GPL-3.0-or-later
// Cuts requests out of the received byte stream. A frame starts with the sync bytes 0x00 0x55
// and an order word 0x0001 to 0x0009; bytes that cannot start a frame are skipped. A partial
// frame whose next byte is more than the stall limit late is dropped, so that a torn request
// cannot swallow the start of the next one.
#pragma once

#include "sim/frame.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

namespace sim {

class FrameFinder {
  public:
    using Clock = std::chrono::steady_clock;

    struct Found {
        Frame frame;
        Clock::time_point complete; // arrival of the frame's last byte
    };

    explicit FrameFinder(Clock::duration stallLimit = std::chrono::milliseconds(200));

    // Takes one byte that arrived at `at`; returns the frame it completes, if any.
    std::optional<Found> push(std::uint8_t byte, Clock::time_point at);

    // Drops a partial frame whose last byte is older than the stall limit. True if it did.
    bool dropStalled(Clock::time_point now);

    // When the partial frame held now will count as stalled; empty when none is held.
    std::optional<Clock::time_point> stallDeadline() const;

    bool holdsPartial() const { return !pending_.empty(); }
    std::uint64_t skippedBytes() const { return skipped_; }

  private:
    bool pendingIsFrameStart() const;
    void resync();

    Clock::duration stallLimit_;
    std::vector<std::uint8_t> pending_;
    Clock::time_point lastByte_{};
    std::uint64_t skipped_ = 0;
};

} // namespace sim
