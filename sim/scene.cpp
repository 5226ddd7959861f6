// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/scene.h"

#include "sim/random.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace sim {

namespace {

constexpr double kBackground = 800.0; // bright background in the middle of the line
constexpr double kVignetting = 0.05;  // the background falls off this much towards the ends
constexpr double kObject = 150.0;     // the dark object
constexpr double kEdgeSoftness = 2.0; // pixels; the logistic ramp of each edge

// The object sways around the middle of the line and breathes a little; both motions are
// slow enough (under 10 pixels a second) to follow on a live plot.
constexpr double kCentre = 500.0;
constexpr double kCentreSwing = 15.0;
constexpr double kCentrePeriod = 11.0; // seconds
constexpr double kWidth = 200.0;
constexpr double kWidthSwing = 6.0;
constexpr double kWidthPeriod = 7.0;

double logistic(double x) {
    return 1.0 / (1.0 + std::exp(-x));
}

} // namespace

Scene::Scene(std::uint64_t seed) {
    Random random(seed ^ 0x5CE4E5CE4Eull);
    centrePhase_ = 2.0 * std::numbers::pi * random.uniform();
    widthPhase_ = 2.0 * std::numbers::pi * random.uniform();
    for (float &s : sensitivity_) {
        s = static_cast<float>(1.0 + 0.01 * random.gaussian());
    }
}

double Scene::centre() const {
    return kCentre +
           kCentreSwing * std::sin(2.0 * std::numbers::pi * time_ / kCentrePeriod + centrePhase_);
}

double Scene::width() const {
    return kWidth +
           kWidthSwing * std::sin(2.0 * std::numbers::pi * time_ / kWidthPeriod + widthPhase_);
}

double Scene::leftEdge() const {
    return centre() - width() / 2.0;
}
double Scene::rightEdge() const {
    return centre() + width() / 2.0;
}

double Scene::level(double pixel) const {
    const double offCentre = (pixel - kLinePixels / 2.0) / (kLinePixels / 2.0);
    const double background = kBackground * (1.0 - kVignetting * offCentre * offCentre);
    const double inside = logistic((pixel - leftEdge()) / kEdgeSoftness) *
                          logistic((rightEdge() - pixel) / kEdgeSoftness);
    const double light = LightFactor(conditions_, time_);
    return std::clamp(light * (background - (background - kObject) * inside), 0.0, 1023.0);
}

double Scene::sensitivity(int pixel) const {
    return sensitivity_[static_cast<std::size_t>(std::clamp(pixel, 0, kLinePixels - 1))];
}

} // namespace sim
