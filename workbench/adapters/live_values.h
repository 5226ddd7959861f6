// SPDX-License-Identifier: GPL-3.0-or-later
// The values of one live frame as the main panel shows them: the edges, the third value, the
// teach value and the tolerance, in pixels and in micrometres, and the tolerance band around
// the teach value.
#pragma once

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

// `words` holds the nine words of a live frame. Reads the evaluation mode, the scale factor
// and the unit switch as the main graph does when it draws that frame.
LiveValues LiveValuesOf(const std::uint16_t *words);
// The unit switch on the main panel.
Unit ShownUnit();
// "px" or "µm".
const char *UnitSymbol(Unit unit);
