// SPDX-License-Identifier: GPL-3.0-or-later
// What the sensor looks at: a bright background with a dark object whose two edges drift
// slowly along the 1024-pixel line. The scene runs on its own clock, which the sensor advances
// by the line time of each exchange, so a run is reproducible from its seed and its requests.
#pragma once

#include "sim/scene_conditions.h"

#include <array>
#include <cstdint>

namespace sim {

inline constexpr int kLinePixels = 1024;

class Scene {
  public:
    explicit Scene(std::uint64_t seed);

    void advance(double seconds) { time_ += seconds; }
    void setConditions(const SceneConditions &conditions) { conditions_ = conditions; }
    const SceneConditions &conditions() const { return conditions_; }
    double time() const { return time_; }

    double leftEdge() const;
    double rightEdge() const;
    double centre() const;

    // Light level, 0 to 1023, that the line sees at `pixel`, without noise.
    double level(double pixel) const;

    // Relative sensitivity of each pixel, fixed for the seed (about 1 % spread).
    double sensitivity(int pixel) const;

  private:
    double width() const;

    double time_ = 0.0;
    SceneConditions conditions_;
    double centrePhase_;
    double widthPhase_;
    std::array<float, kLinePixels> sensitivity_;
};

} // namespace sim
