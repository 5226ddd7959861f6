// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/scene_conditions.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kLeastLight = 0.1;         // dirt never darkens the window further
constexpr double kLightDriftPeriod = 300.0; // seconds of one swing of the light
constexpr std::size_t kObjectBegin = 96;    // the patterns' dark object: samples 96 to 159
constexpr std::size_t kObjectEnd = 160;

using Line = std::array<std::uint16_t, 256>;

// A bright background with the dark object, and noise that repeats +a, 0, -a, 0 so that its
// spread is exactly a / sqrt(2) and every two neighbours differ by a.
Line step(int bright, int dark, int a) {
    const int offsets[4] = {a, 0, -a, 0};
    Line line{};
    for (std::size_t i = 0; i < line.size(); ++i) {
        const bool object = i >= kObjectBegin && i < kObjectEnd;
        line[i] = static_cast<std::uint16_t>(
            std::clamp((object ? dark : bright) + offsets[i % 4], 0, 1023));
    }
    return line;
}

} // namespace

double LightFactor(const SceneConditions &c, double seconds) {
    const double dirt =
        std::max(kLeastLight, 1.0 - c.dirtPercentPerMinute / 100.0 * seconds / 60.0);
    const double drift = 1.0 + c.lightDriftPercent / 100.0 *
                                   std::sin(2.0 * std::numbers::pi * seconds / kLightDriftPeriod);
    return dirt * drift;
}

std::string_view VideoPatternNames() {
    return "clean-step, noisy-step, saturated, dark";
}

std::optional<Line> VideoPattern(std::string_view name) {
    if (name == "clean-step") {
        return step(800, 100, 0);
    }
    if (name == "noisy-step") {
        return step(800, 200, 60);
    }
    if (name == "saturated") {
        return step(1023, 100, 0);
    }
    if (name == "dark") {
        return step(8, 8, 8);
    }
    return std::nullopt;
}

} // namespace sim
