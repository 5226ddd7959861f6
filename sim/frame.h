// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's side of the 36-byte frame: sync word 0x0055, order word, 16 data words, every
// word high byte first. Kept apart from the tool's protocol on purpose, to catch its faults.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace sim {

inline constexpr std::size_t kDataWords = 16;
inline constexpr std::size_t kFrameBytes = 4 + 2 * kDataWords;
inline constexpr std::uint8_t kSyncHigh = 0x00;
inline constexpr std::uint8_t kSyncLow = 0x55;

using Words = std::array<std::uint16_t, kDataWords>;

enum Order : std::uint16_t {
    kWriteRam = 1,
    kReadRam = 2,
    kWriteEeprom = 3,
    kReadEeprom = 4,
    kTeachSetPoint = 5,
    kTeachBackground = 6,
    kEcho = 7,
    kLiveValues = 8,
    kVideoBlock = 9,
};
inline constexpr std::uint16_t kHighestOrder = kVideoBlock;

struct Frame {
    std::uint16_t order = 0;
    Words data{};
};

// Appends `words` high byte first, as frames and video blocks carry them.
void appendBigEndian(std::vector<std::uint8_t> &out, std::span<const std::uint16_t> words);

std::vector<std::uint8_t> encodeFrame(const Frame &frame);
Frame decodeFrame(std::span<const std::uint8_t, kFrameBytes> bytes);

} // namespace sim
