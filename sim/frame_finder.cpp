// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/frame_finder.h"

#include <span>

namespace sim {

FrameFinder::FrameFinder(Clock::duration stallLimit) : stallLimit_(stallLimit) {
    pending_.reserve(kFrameBytes);
}

// Checks the bytes held so far against the fixed frame start: 0x00 0x55 0x00 <order>.
bool FrameFinder::pendingIsFrameStart() const {
    const std::size_t n = pending_.size();
    if (n >= 1 && pending_[0] != kSyncHigh) {
        return false;
    }
    if (n >= 2 && pending_[1] != kSyncLow) {
        return false;
    }
    if (n >= 3 && pending_[2] != 0x00) {
        return false;
    }
    return n < 4 || (pending_[3] >= 1 && pending_[3] <= kHighestOrder);
}

// Drops leading bytes until what is left could still start a frame.
void FrameFinder::resync() {
    while (!pending_.empty() && !pendingIsFrameStart()) {
        pending_.erase(pending_.begin());
        ++skipped_;
    }
}

std::optional<FrameFinder::Found> FrameFinder::push(std::uint8_t byte, Clock::time_point at) {
    pending_.push_back(byte);
    lastByte_ = at;
    resync();
    if (pending_.size() < kFrameBytes) {
        return std::nullopt;
    }
    Found found{
        decodeFrame(std::span<const std::uint8_t, kFrameBytes>(pending_.data(), kFrameBytes)), at};
    pending_.clear();
    return found;
}

bool FrameFinder::dropStalled(Clock::time_point now) {
    if (pending_.empty() || now - lastByte_ <= stallLimit_) {
        return false;
    }
    skipped_ += pending_.size();
    pending_.clear();
    return true;
}

std::optional<FrameFinder::Clock::time_point> FrameFinder::stallDeadline() const {
    if (pending_.empty()) {
        return std::nullopt;
    }
    return lastByte_ + stallLimit_ + std::chrono::milliseconds(1);
}

} // namespace sim
