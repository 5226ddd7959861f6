// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/signal_figures.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace {

// A signal has a dark and a bright part when the best split of its levels explains this share
// of their variance (a step with noise far below its height comes close to 1; a flat line with
// noise gives about 0.64, a uniform ramp 0.75), each side holds enough samples and the sides'
// levels lie far enough apart.
constexpr double kTwoPartShare = 0.85;
constexpr int kLeastPartSamples = 4;
constexpr double kLeastContrast = 32.0;
// Samples this close to a change of part sit on the edge's ramp, not on a flat part.
constexpr double kRampPx = 12.0;

constexpr double kFloorGood = 200, kFloorMarginal = 350;
constexpr double kPlateauGood = 400, kPlateauMarginal = 250, kPlateauHigh = 1000;
constexpr double kContrastGood = 300, kContrastMarginal = 150;
constexpr double kNoiseGood = 0.02, kNoiseMarginal = 0.05;         // of the contrast
constexpr int kEndsMarginal = 8;                                   // samples at 0 or at the top
constexpr double kMarginGoodShare = 0.25, kMarginPoorShare = 0.10; // of the contrast
constexpr double kMarginGoodWidths = 10, kMarginPoorWidths = 4;    // noise widths

using Levels = std::array<std::uint16_t, kVideoSamples>;

double median(QVector<double> values) {
    const auto middle = values.begin() + values.size() / 2;
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2)
        return *middle;
    return (*middle + *std::max_element(values.begin(), middle)) / 2.0;
}

// The level that splits the samples into two groups with the largest variance between them
// (the dark ones lie at or below it), and the share of the whole variance that split explains;
// a share of 0 when all samples are equal.
struct Split {
    int level = 0;
    double share = 0.0;
};

Split bestSplit(const Levels &samples) {
    Levels sorted = samples;
    std::sort(sorted.begin(), sorted.end());
    const double n = kVideoSamples;
    const double total = std::accumulate(sorted.begin(), sorted.end(), 0.0);
    const double mean = total / n;
    double spread = 0.0;
    for (const std::uint16_t v : sorted)
        spread += (v - mean) * (v - mean);
    Split best;
    if (spread == 0.0)
        return best;
    double below = 0.0, bestBetween = -1.0;
    for (int j = 0; j + 1 < kVideoSamples; ++j) {
        below += sorted[std::size_t(j)];
        if (sorted[std::size_t(j)] == sorted[std::size_t(j) + 1])
            continue;
        const double w0 = (j + 1) / n, w1 = 1.0 - w0;
        const double m0 = below / (j + 1), m1 = (total - below) / (n - j - 1);
        const double between = w0 * w1 * (m0 - m1) * (m0 - m1);
        if (between > bestBetween) {
            bestBetween = between;
            best.level = sorted[std::size_t(j)];
        }
    }
    best.share = bestBetween * n / spread;
    return best;
}

QString level(double v) {
    return QString::number(v, 'f', 1);
}

Verdict atMost(double v, double good, double marginal) {
    return v <= good ? Verdict::Good : v <= marginal ? Verdict::Marginal : Verdict::Poor;
}

Verdict atLeast(double v, double good, double marginal) {
    return v >= good ? Verdict::Good : v >= marginal ? Verdict::Marginal : Verdict::Poor;
}

Verdict marginVerdict(double margin, const SignalFigures &f) {
    const double widths = margin / f.noiseWidth();
    if (margin >= kMarginGoodShare * *f.contrast && widths >= kMarginGoodWidths)
        return Verdict::Good;
    if (margin < kMarginPoorShare * *f.contrast || widths < kMarginPoorWidths)
        return Verdict::Poor;
    return Verdict::Marginal;
}

QString marginText(const std::optional<double> &margin, const SignalFigures &f) {
    if (!margin)
        return QStringLiteral("—");
    return QStringLiteral("%1 levels (%2 noise widths)")
        .arg(level(*margin), level(*margin / f.noiseWidth()));
}

} // namespace

double SignalFigures::noiseWidth() const {
    return std::max(noise, 1.0);
}

SignalFigures AnalyseSignal(const VideoSnapshot &signal) {
    const Levels &s = signal.samples;
    const Levels &p = signal.positions;
    SignalFigures f;
    f.threshold = signal.thresholds[0];
    f.saturated = int(std::count(s.begin(), s.end(), kTopLevel));
    f.clipped = int(std::count(s.begin(), s.end(), 0));

    // Which part each sample belongs to, and where along the line the part changes.
    const Split split = bestSplit(s);
    std::array<bool, kVideoSamples> bright{};
    for (std::size_t i = 0; i < s.size(); ++i)
        bright[i] = s[i] > split.level;
    const int brightCount = int(std::count(bright.begin(), bright.end(), true));
    bool twoParts = split.share >= kTwoPartShare && brightCount >= kLeastPartSamples &&
                    kVideoSamples - brightCount >= kLeastPartSamples;
    if (!twoParts)
        bright.fill(false);
    QVector<double> changes;
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        if (bright[i] != bright[i + 1])
            changes << (p[i] + p[i + 1]) / 2.0;
    std::array<bool, kVideoSamples> flat{};
    for (std::size_t i = 0; i < s.size(); ++i)
        flat[i] = std::none_of(changes.begin(), changes.end(),
                               [&](double at) { return std::abs(p[i] - at) <= kRampPx; });

    // Each part's level: the median of its flat samples, or of all of them when none is flat.
    auto partLevel = [&](bool ofBright) {
        QVector<double> all, flats;
        for (std::size_t i = 0; i < s.size(); ++i)
            if (bright[i] == ofBright) {
                all << s[i];
                if (flat[i])
                    flats << s[i];
            }
        return median(flats.isEmpty() ? all : flats);
    };
    const double dark = partLevel(false);
    if (twoParts) {
        const double light = partLevel(true);
        twoParts = light - dark >= kLeastContrast;
        if (twoParts) {
            f.floor = dark;
            f.plateau = light;
            f.contrast = light - dark;
        }
    }
    if (!twoParts) {
        bright.fill(false);
        flat.fill(true);
        const double only = partLevel(false);
        (only < (kTopLevel + 1) / 2.0 ? f.floor : f.plateau) = only;
    }

    // Noise from neighbours: for independent noise of spread sigma, the difference of two
    // samples has a mean square of 2 sigma^2, and a slow shading of the part adds next to nothing.
    double squares = 0.0;
    int pairs = 0;
    for (std::size_t i = 0; i + 1 < s.size(); ++i)
        if (flat[i] && flat[i + 1] && bright[i] == bright[i + 1]) {
            const double d = double(s[i + 1]) - double(s[i]);
            squares += d * d;
            ++pairs;
        }
    f.noise = pairs ? std::sqrt(squares / (2.0 * pairs)) : 0.0;

    if (f.floor)
        f.marginToFloor = f.threshold - *f.floor;
    if (f.plateau)
        f.marginToPlateau = *f.plateau - f.threshold;
    if (f.twoParts())
        f.suggestedThreshold = int(std::lround((*f.floor + *f.plateau) / 2.0));

    const int t = f.threshold;
    for (std::size_t i = 0; i + 1 < s.size(); ++i) {
        if ((s[i] >= t) == (s[i + 1] >= t))
            continue;
        const double rise = double(s[i + 1]) - double(s[i]);
        const double run = double(p[i + 1]) - double(p[i]);
        const double slope = std::abs(rise / (run == 0.0 ? 1.0 : run));
        f.crossings << Crossing{p[i] + (t - s[i]) / rise * run, rise > 0,
                                run == 0.0 ? 0.0 : f.noiseWidth() / slope};
    }
    return f;
}

Verdict VerdictOf(const SignalFigures &f, Figure figure) {
    if (!f.twoParts())
        return Verdict::None;
    switch (figure) {
    case Figure::Floor:
        return atMost(*f.floor, kFloorGood, kFloorMarginal);
    case Figure::Plateau:
        if (*f.plateau > kPlateauHigh)
            return Verdict::Marginal;
        return atLeast(*f.plateau, kPlateauGood, kPlateauMarginal);
    case Figure::Contrast:
        return atLeast(*f.contrast, kContrastGood, kContrastMarginal);
    case Figure::Noise:
        return atMost(f.noise / *f.contrast, kNoiseGood, kNoiseMarginal);
    case Figure::Saturated:
        return atMost(f.saturated, 0, kEndsMarginal);
    case Figure::Clipped:
        return atMost(f.clipped, 0, kEndsMarginal);
    case Figure::MarginToFloor:
        return marginVerdict(*f.marginToFloor, f);
    case Figure::MarginToPlateau:
        return marginVerdict(*f.marginToPlateau, f);
    }
    return Verdict::None;
}

QString NameOf(Figure figure) {
    switch (figure) {
    case Figure::Floor:
        return QStringLiteral("Floor");
    case Figure::Plateau:
        return QStringLiteral("Plateau");
    case Figure::Contrast:
        return QStringLiteral("Contrast");
    case Figure::Noise:
        return QStringLiteral("Noise");
    case Figure::Saturated:
        return QStringLiteral("Saturated samples");
    case Figure::Clipped:
        return QStringLiteral("Clipped samples");
    case Figure::MarginToFloor:
        return QStringLiteral("Threshold above floor");
    case Figure::MarginToPlateau:
        return QStringLiteral("Threshold below plateau");
    }
    return {};
}

QString NameOf(Verdict verdict) {
    switch (verdict) {
    case Verdict::None:
        return QStringLiteral("—");
    case Verdict::Good:
        return QStringLiteral("good");
    case Verdict::Marginal:
        return QStringLiteral("marginal");
    case Verdict::Poor:
        return QStringLiteral("poor");
    }
    return {};
}

QString MeaningOf(Figure figure) {
    switch (figure) {
    case Figure::Floor:
        return QStringLiteral("The level of the dark part: the median of its samples away from "
                              "the edges.");
    case Figure::Plateau:
        return QStringLiteral("The level of the bright part: the median of its samples away "
                              "from the edges. Dirt on the window or ageing light lowers it.");
    case Figure::Contrast:
        return QStringLiteral("Plateau minus floor.");
    case Figure::Noise:
        return QStringLiteral("The spread of the samples within the flat parts, from the "
                              "differences of neighbouring samples (a standard deviation).");
    case Figure::Saturated:
        return QStringLiteral("Samples at %1, the top of the range: the signal is cut off "
                              "there.")
            .arg(kTopLevel);
    case Figure::Clipped:
        return QStringLiteral("Samples at 0, the bottom of the range.");
    case Figure::MarginToFloor:
        return QStringLiteral("Threshold minus floor, in levels and in noise widths (the noise, "
                              "at least 1 level).");
    case Figure::MarginToPlateau:
        return QStringLiteral("Plateau minus threshold, in levels and in noise widths (the "
                              "noise, at least 1 level).");
    }
    return {};
}

QString LimitsOf(Figure figure) {
    const QString margin =
        QStringLiteral(
            "good: at least %1 % of the contrast and at least %2 noise widths; poor: under %3 % of "
            "the contrast or under %4 noise widths (or beyond the level); marginal in between")
            .arg(kMarginGoodShare * 100)
            .arg(kMarginGoodWidths)
            .arg(kMarginPoorShare * 100)
            .arg(kMarginPoorWidths);
    const QString ends =
        QStringLiteral("good: none; marginal: 1 to %1; poor: more than %1").arg(kEndsMarginal);
    switch (figure) {
    case Figure::Floor:
        return QStringLiteral("good: up to %1; marginal: up to %2; poor: above %2")
            .arg(kFloorGood)
            .arg(kFloorMarginal);
    case Figure::Plateau:
        return QStringLiteral("good: %1 to %2; marginal: %3 to %1, or above %2 (close to "
                              "saturation); poor: under %3")
            .arg(kPlateauGood)
            .arg(kPlateauHigh)
            .arg(kPlateauMarginal);
    case Figure::Contrast:
        return QStringLiteral("good: at least %1; marginal: at least %2; poor: under %2")
            .arg(kContrastGood)
            .arg(kContrastMarginal);
    case Figure::Noise:
        return QStringLiteral("good: up to %1 % of the contrast; marginal: up to %2 %; poor: "
                              "above %2 %")
            .arg(kNoiseGood * 100)
            .arg(kNoiseMarginal * 100);
    case Figure::Saturated:
    case Figure::Clipped:
        return ends;
    case Figure::MarginToFloor:
    case Figure::MarginToPlateau:
        return margin;
    }
    return {};
}

QString ValueText(const SignalFigures &f, Figure figure) {
    auto optional = [](const std::optional<double> &v) {
        return v ? level(*v) : QStringLiteral("—");
    };
    switch (figure) {
    case Figure::Floor:
        return optional(f.floor);
    case Figure::Plateau:
        return optional(f.plateau);
    case Figure::Contrast:
        return optional(f.contrast);
    case Figure::Noise:
        return level(f.noise);
    case Figure::Saturated:
        return QString::number(f.saturated);
    case Figure::Clipped:
        return QString::number(f.clipped);
    case Figure::MarginToFloor:
        return marginText(f.marginToFloor, f);
    case Figure::MarginToPlateau:
        return marginText(f.marginToPlateau, f);
    }
    return {};
}
