// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/live_values.h"

#include "app/tool_api.h"
#include "link/protocol.h"
#include "params/params.h"
#include "params/units.h"

namespace {

// Evaluation mode 2 measures a distance: the teach value is the distance the two edges should
// have, and the main graph's two bands keep each edge within half the tolerance of its place,
// which holds the distance within the teach value ± the tolerance. In the other modes the band
// is the teach value ± the tolerance as a position, cut to the line as the main graph cuts it.
void setBand(std::array<float, kLiveChannels> &v, bool distance, float lineStart, float lineEnd,
             float lastPixel) {
    float low = v[kTeachValueChannel] - v[kToleranceChannel];
    float high = v[kTeachValueChannel] + v[kToleranceChannel];
    if (!distance) {
        if (low < 0)
            low = lineStart;
        if (high > lastPixel)
            high = lineEnd;
    }
    v[kBandLowChannel] = low;
    v[kBandHighChannel] = high;
}

} // namespace

Unit ShownUnit() {
    return ToolShowsPixels() ? Unit::Pixels : Unit::Micrometres;
}

const char *UnitSymbol(Unit unit) {
    return unit == Unit::Pixels ? "px" : "µm";
}

LiveValues LiveValuesOf(const ShownLiveFrame &frame) {
    const unsigned short *words = frame.words;
    const bool distance = frame.distance;
    const float scale = frame.scale;
    LiveValues v;
    v.pixels[kFirstEdgeChannel] = words[LIVE_EDGE1];
    v.pixels[kSecondEdgeChannel] = words[LIVE_EDGE2];
    v.pixels[kThirdValueChannel] = words[LIVE_VALUE3];
    v.pixels[kTeachValueChannel] = words[LIVE_TVAL];
    v.pixels[kToleranceChannel] = words[LIVE_TTOL];
    v.micrometres[kFirstEdgeChannel] = MicrometresOf(words[LIVE_EDGE1]);
    v.micrometres[kSecondEdgeChannel] = MicrometresOf(words[LIVE_EDGE2]);
    v.micrometres[kThirdValueChannel] = ScaledMicrometresOf(words[LIVE_VALUE3], scale);
    v.micrometres[kTeachValueChannel] = ScaledMicrometresOf(words[LIVE_TVAL], scale);
    v.micrometres[kToleranceChannel] = MicrometresOf(words[LIVE_TTOL]);
    setBand(v.pixels, distance, 1, kLineEnd, kLineEnd - 1);
    setBand(v.micrometres, distance, MicrometresOf(1), MicrometresOf(kLineEnd),
            MicrometresOf(kLineEnd - 1));
    v.shown = frame.pixels ? Unit::Pixels : Unit::Micrometres;
    return v;
}
