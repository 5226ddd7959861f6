// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/frame.h"

namespace sim {

void appendBigEndian(std::vector<std::uint8_t> &out, std::span<const std::uint16_t> words) {
    for (std::uint16_t w : words) {
        out.push_back(static_cast<std::uint8_t>(w >> 8));
        out.push_back(static_cast<std::uint8_t>(w & 0xFF));
    }
}

std::vector<std::uint8_t> encodeFrame(const Frame &frame) {
    std::vector<std::uint8_t> out;
    out.reserve(kFrameBytes);
    out.push_back(kSyncHigh);
    out.push_back(kSyncLow);
    const std::uint16_t order[] = {frame.order};
    appendBigEndian(out, order);
    appendBigEndian(out, frame.data);
    return out;
}

Frame decodeFrame(std::span<const std::uint8_t, kFrameBytes> bytes) {
    auto word = [&](std::size_t offset) {
        return static_cast<std::uint16_t>(bytes[offset] << 8 | bytes[offset + 1]);
    };
    Frame frame;
    frame.order = word(2);
    for (std::size_t i = 0; i < kDataWords; ++i) {
        frame.data[i] = word(4 + 2 * i);
    }
    return frame;
}

} // namespace sim
