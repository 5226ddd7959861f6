// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/measurement.h"

#include "sim/parameters.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

std::uint16_t roundedLevel(double level) {
    return static_cast<std::uint16_t>(std::lround(std::clamp(level, 0.0, 1023.0)));
}

} // namespace

int windowStart(const Scene &scene, const Words &ram) {
    switch (ram[kCcdMode]) {
    case 1:
        return std::min<int>(ram[kPixelStart], kLastWindowStart);
    case 2:
        return std::clamp(static_cast<int>(std::lround(scene.centre())) - kWindowPixels / 2, 0,
                          kLastWindowStart);
    default:
        return 0;
    }
}

Measurement measure(const Scene &scene, const Words &ram) {
    Measurement m;
    const int start = windowStart(scene, ram);
    m.windowStart = static_cast<std::uint16_t>(start);
    const bool wholeLine = ram[kCcdMode] != 1 && ram[kCcdMode] != 2;
    const int ccdEnd = wholeLine ? kLinePixels - 1 : start + kWindowPixels - 1;
    const int first = std::max<int>(ram[kEvaluationBegin], start);
    const int last = std::min<int>(ram[kEvaluationEnd], ccdEnd);
    if (first > last) {
        return m;
    }
    m.levelAtBegin = roundedLevel(scene.level(first));
    m.levelAtEnd = roundedLevel(scene.level(last));

    const double threshold = ram[kVideoThreshold];
    bool bright = scene.level(first) >= threshold;
    for (int p = first + 1; p <= last; ++p) {
        const bool b = scene.level(p) >= threshold;
        if (b == bright) {
            continue;
        }
        bright = b;
        if (m.edgeCount == 0) {
            m.firstEdge = static_cast<std::uint16_t>(p);
        } else if (m.edgeCount == 1) {
            m.secondEdge = static_cast<std::uint16_t>(p);
        }
        ++m.edgeCount;
    }
    return m;
}

std::uint16_t evaluatedValue(const Measurement &m, std::uint16_t evaluationMode) {
    switch (evaluationMode) {
    case 0:
        return m.firstEdge;
    case 1:
        return m.secondEdge;
    case 2:
        return m.edgeCount >= 2 ? static_cast<std::uint16_t>(m.secondEdge - m.firstEdge) : 0;
    default:
        return static_cast<std::uint16_t>((m.firstEdge + m.secondEdge) / 2);
    }
}

// In the tool's names: edge1, edge2, value3, tVal, tTol, pix1, edcnt, mvstart, mvend.
Words liveWords(const Measurement &m, const Words &ram) {
    Words w{};
    w[0] = m.firstEdge;
    w[1] = m.secondEdge;
    w[2] = evaluatedValue(m, ram[kEvaluationMode]);
    w[3] = ram[kTeachValue];
    w[4] = ram[kTolerance];
    w[5] = m.windowStart;
    w[6] = m.edgeCount;
    w[7] = m.levelAtBegin;
    w[8] = m.levelAtEnd;
    return w;
}

VideoLine captureVideo(const Scene &scene, const Words &ram, Random &noise) {
    if (const auto pattern = VideoPattern(scene.conditions().videoPattern)) {
        return *pattern;
    }
    const bool window = ram[kCcdMode] == 1 || ram[kCcdMode] == 2;
    const int start = windowStart(scene, ram);
    VideoLine line{};
    for (int i = 0; i < kVideoSamples; ++i) {
        const int pixel = window ? start + i : 4 * i;
        const double level = scene.level(pixel) * scene.sensitivity(pixel) +
                             scene.conditions().readNoise * noise.gaussian();
        line[static_cast<std::size_t>(i)] = roundedLevel(level);
    }
    return line;
}

} // namespace sim
