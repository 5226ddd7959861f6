// Pixel to micrometre conversions and the scale factor in thousandths.
#include "display/units.h"

#include "display/live_plot.h"
#include "params/params.h"

#include <cmath>

namespace {

constexpr double kWordRange = 65536.0;

} // namespace

// fmod keeps the conversion defined where a plain cast to int would overflow; inside the
// 32-bit range it gives the same low word as the cast.
unsigned short LowWordOfTruncated(double v) {
    if (!std::isfinite(v))
        return 0;
    double low = std::fmod(std::trunc(v), kWordRange);
    if (low < 0)
        low += kWordRange;
    return static_cast<unsigned short>(low);
}

unsigned short ThousandthsOf(float f) {
    const float product = static_cast<float>(1000.0 * f);
    return LowWordOfTruncated(product);
}

unsigned short MicrometresOf(unsigned short w) {
    const int micrometres = PPITCH * w / 1000;
    return static_cast<unsigned short>(micrometres & 0xFFFF);
}

// The product is formed from the float scaleF but in double precision, so a factor held just
// below its decimal value (0.7 is 0.69999999) truncates one micrometre lower.
unsigned short ScaledMicrometresOf(unsigned short w) {
    const double micrometres = (static_cast<double>(scaleF) * PPITCH) * w / 1000.0;
    return LowWordOfTruncated(micrometres);
}
