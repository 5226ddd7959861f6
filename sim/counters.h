// SPDX-License-Identifier: GPL-3.0-or-later
// What the sensor has done so far; safe to read from another thread while it runs.
#pragma once

#include "sim/frame.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace sim {

struct Counters {
    // Requests received, indexed by order code (index 0 unused).
    std::array<std::atomic<std::uint64_t>, kHighestOrder + 1> requests{};
    std::atomic<std::uint64_t> replies{};       // replies sent (frames and video blocks)
    std::atomic<std::uint64_t> bytesSent{};     // every byte written, garbage included
    std::atomic<std::uint64_t> bytesIgnored{};  // bytes that were not part of a frame
    std::atomic<std::uint64_t> stalledFrames{}; // partial frames dropped

    std::uint64_t requestsOf(std::uint16_t order) const {
        return order <= kHighestOrder ? requests[order].load() : 0;
    }
    std::uint64_t totalRequests() const {
        std::uint64_t sum = 0;
        for (const auto &r : requests) {
            sum += r.load();
        }
        return sum;
    }
};

} // namespace sim
