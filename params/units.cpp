// SPDX-License-Identifier: GPL-3.0-or-later
#include "params/units.h"

#include "state/globals.h"

#include <cmath>

namespace {

constexpr double kWordRange = 65536.0;

// The low 16 bits of v truncated toward zero. fmod keeps this defined where a plain cast to
// int would overflow; inside the 32-bit range it gives the same low word as the cast.
unsigned short lowWordOfTruncated(double v) {
    if (!std::isfinite(v))
        return 0;
    double low = std::fmod(std::trunc(v), kWordRange);
    if (low < 0)
        low += kWordRange;
    return static_cast<unsigned short>(low);
}

} // namespace

// The product is rounded to single precision before it is truncated, so 0.95 gives 950 and
// not 949.
unsigned short ThousandthsOf(float f) {
    const float product = f * 1000.0f;
    return lowWordOfTruncated(product);
}

unsigned short MicrometresOf(unsigned short w) {
    const int micrometres = PPITCH * w / 1000;
    return static_cast<unsigned short>(micrometres & 0xFFFF);
}

// The product is formed from the float scaleF but in double precision, so a factor held just
// below its decimal value (0.7 is 0.69999999) truncates one micrometre lower.
unsigned short ScaledMicrometresOf(unsigned short w) {
    return ScaledMicrometresOf(w, scaleF);
}

unsigned short ScaledMicrometresOf(unsigned short w, float scale) {
    const double micrometres = (static_cast<double>(scale) * PPITCH) * w / 1000.0;
    return lowWordOfTruncated(micrometres);
}
