// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/live_values.h"

#include "app/tool_api.h"
#include "params/params.h"
#include "params/units.h"

namespace {

enum { kFirstEdgeWord, kSecondEdgeWord, kThirdValueWord, kTeachValueWord, kToleranceWord };

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
    for (int c = kFirstEdgeChannel; c <= kToleranceChannel; ++c)
        v.pixels[c] = words[c];
    v.micrometres[kFirstEdgeChannel] = MicrometresOf(words[kFirstEdgeWord]);
    v.micrometres[kSecondEdgeChannel] = MicrometresOf(words[kSecondEdgeWord]);
    v.micrometres[kThirdValueChannel] = ScaledMicrometresOf(words[kThirdValueWord], scale);
    v.micrometres[kTeachValueChannel] = ScaledMicrometresOf(words[kTeachValueWord], scale);
    v.micrometres[kToleranceChannel] = MicrometresOf(words[kToleranceWord]);
    setBand(v.pixels, distance, 1, kLineEnd, kLineEnd - 1);
    setBand(v.micrometres, distance, MicrometresOf(1), MicrometresOf(kLineEnd),
            MicrometresOf(kLineEnd - 1));
    v.shown = frame.pixels ? Unit::Pixels : Unit::Micrometres;
    return v;
}
