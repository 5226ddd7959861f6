// SPDX-License-Identifier: GPL-3.0-or-later
// How the sensor sees its scene beyond the object: a window that gathers dirt, a light that
// drifts, the read noise of the line, or a fixed synthetic video line in place of the scene's.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

struct SceneConditions {
    double dirtPercentPerMinute = 0.0; // light lost to dirt on the window, growing with time
    double lightDriftPercent = 0.0;    // the light swings by this much around its level
    double readNoise = 4.0;            // standard deviation of a sample, in levels
    std::string videoPattern;          // a name of VideoPatternNames(), or empty for the scene
};

// The share of the light that reaches the line at scene time `seconds`.
double LightFactor(const SceneConditions &conditions, double seconds);

// The synthetic video lines, by name: "clean-step", "noisy-step", "saturated", "dark".
std::string_view VideoPatternNames();
std::optional<std::array<std::uint16_t, 256>> VideoPattern(std::string_view name);

} // namespace sim
