// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/shades.h"

#include <QPalette>

namespace {

// A third of the hue: on white it gives the pastels of a light theme, on a dark base a deep
// tone under light text.
constexpr float kHueShare = 0.3f;

QColor hueOf(Shade shade) {
    switch (shade) {
    case Shade::Problem:
        return QColor(220, 40, 40);
    case Shade::Notice:
        return QColor(245, 175, 0);
    case Shade::Status:
        return QColor(60, 120, 220);
    case Shade::Differing:
        return QColor(255, 130, 0);
    }
    return {};
}

} // namespace

QColor ShadeOf(const QPalette &palette, Shade shade) {
    return Blend(palette.color(QPalette::Base), hueOf(shade), kHueShare);
}

QColor Blend(const QColor &from, const QColor &to, float share) {
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * share,
                            from.greenF() + (to.greenF() - from.greenF()) * share,
                            from.blueF() + (to.blueF() - from.blueF()) * share);
}
