// SPDX-License-Identifier: GPL-3.0-or-later
// The values of one live frame as the main panel shows them: the edges, the third value, the
// teach value and the tolerance, in pixels and in micrometres, and the tolerance band around
// the teach value.
#pragma once

#include "state/notify.h"

#include <array>
#include <cstdint>

enum LiveChannel {
    kFirstEdgeChannel,
    kSecondEdgeChannel,
    kThirdValueChannel,
    kTeachValueChannel,
    kToleranceChannel,
    kBandLowChannel,
    kBandHighChannel,
    kLiveChannels
};

enum class Unit { Pixels, Micrometres };

struct LiveValues {
    std::array<float, kLiveChannels> pixels{};
    std::array<float, kLiveChannels> micrometres{};
    Unit shown = Unit::Pixels; // the unit switch when the frame came

    const std::array<float, kLiveChannels> &in(Unit unit) const {
        return unit == Unit::Pixels ? pixels : micrometres;
    }
};

// The values of a live frame as the main panel showed them.
LiveValues LiveValuesOf(const ShownLiveFrame &frame);
// The unit switch on the main panel.
Unit ShownUnit();
// "px" or "µm".
const char *UnitSymbol(Unit unit);
