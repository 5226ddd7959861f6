// SPDX-License-Identifier: GPL-3.0-or-later
// What the sensor measures on the scene with a given RAM parameter set: the edges where the
// light level crosses the video threshold, the CCD window, and the 256-sample video signal.
#pragma once

#include "sim/frame.h"
#include "sim/random.h"
#include "sim/scene.h"

#include <array>
#include <cstdint>

namespace sim {

inline constexpr int kVideoSamples = 256;
inline constexpr int kWindowPixels = 256;
inline constexpr int kLastWindowStart = kLinePixels - kWindowPixels;

using VideoLine = std::array<std::uint16_t, kVideoSamples>;

struct Measurement {
    std::uint16_t firstEdge = 0;  // 0 when no edge was found
    std::uint16_t secondEdge = 0; // 0 when fewer than two were found
    std::uint16_t edgeCount = 0;
    std::uint16_t windowStart = 0;  // first pixel of the CCD window
    std::uint16_t levelAtBegin = 0; // light level at the first pixel searched
    std::uint16_t levelAtEnd = 0;   // and at the last
};

// First pixel of the CCD window: 0 for the whole line (mode 0), the set first pixel (mode 1),
// or a window that follows the object (mode 2); never above 768.
int windowStart(const Scene &scene, const Words &ram);

// Searches the evaluation window, cut to the CCD window, for threshold crossings.
Measurement measure(const Scene &scene, const Words &ram);

// The value the evaluation mode takes from a measurement: mode 0 the first edge, 1 the second,
// 2 the distance between them, any other the midpoint.
std::uint16_t evaluatedValue(const Measurement &m, std::uint16_t evaluationMode);

// The data words of a live frame.
Words liveWords(const Measurement &m, const Words &ram);

// One video line: sample i shows pixel 4i (mode 0) or window start + i (modes 1 and 2), with
// the pixels' sensitivity spread and read noise.
VideoLine captureVideo(const Scene &scene, const Words &ram, Random &noise);

} // namespace sim
