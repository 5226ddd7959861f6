// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/waterfall_view.h"

#include "workbench/shared/shades.h"

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <functional>

namespace {

constexpr int kTimeAxis = 64; // room for the clock times on the left
constexpr int kTop = 36;      // the positions above
constexpr int kLegend = 40;   // the level scale below
constexpr int kStripWidth = 128;
constexpr int kGap = 10;
constexpr qint64 kLeastSpanMs = 60 * 1000;
// Longer without a signal than this, the rows stay empty: Data was not running.
constexpr qint64 kGapMs = 2000;

// Brightness rises steadily from black through purple and orange to a pale yellow, so the
// picture reads alike on a printout in grey; rising crossings are marked white, falling ones
// black, with a dark or a light rim.
constexpr std::array<std::array<int, 3>, 5> kRamp = {
    {{0, 0, 4}, {87, 16, 110}, {188, 55, 84}, {249, 142, 9}, {252, 255, 164}}};
const QColor kRising(255, 255, 255);
const QColor kFalling(0, 0, 0);

// The trends' curves.
const QColor kFloorColour(31, 119, 180);
const QColor kPlateauColour(214, 39, 40);
const QColor kThresholdColour(44, 140, 44);
const QColor kNoiseColour(148, 103, 189);

struct Series {
    QString name;
    QColor colour;
    std::function<std::optional<double>(const SignalFigures &)> value;
};

struct Strip {
    QString title;
    QList<Series> series;
    double least; // the scale's lower end at most this, its upper end at least `most`
    double most;
};

QList<Strip> strips() {
    return {
        {QStringLiteral("Levels"),
         {{QStringLiteral("plateau"), kPlateauColour,
           [](const SignalFigures &f) { return f.plateau; }},
          {QStringLiteral("threshold"), kThresholdColour,
           [](const SignalFigures &f) { return std::optional<double>(f.threshold); }},
          {QStringLiteral("floor"), kFloorColour, [](const SignalFigures &f) { return f.floor; }}},
         0,
         1023},
        {QStringLiteral("Noise (levels)"),
         {{QStringLiteral("noise"), kNoiseColour,
           [](const SignalFigures &f) { return std::optional<double>(f.noise); }}},
         0,
         5},
        {QStringLiteral("Margins ÷ noise"),
         {{QStringLiteral("to plateau"), kPlateauColour,
           [](const SignalFigures &f) {
               return f.marginToPlateau ? std::optional<double>(*f.marginToPlateau / f.noiseWidth())
                                        : std::nullopt;
           }},
          {QStringLiteral("to floor"), kFloorColour,
           [](const SignalFigures &f) {
               return f.marginToFloor ? std::optional<double>(*f.marginToFloor / f.noiseWidth())
                                      : std::nullopt;
           }}},
         0,
         10},
        {QStringLiteral("At the ends"),
         {{QStringLiteral("saturated"), kPlateauColour,
           [](const SignalFigures &f) { return std::optional<double>(f.saturated); }},
          {QStringLiteral("clipped"), kFloorColour,
           [](const SignalFigures &f) { return std::optional<double>(f.clipped); }}},
         0,
         8},
    };
}

// A step from 1, 2 or 5 times a power of ten that puts at least `least` units between marks.
double niceStep(double least) {
    const double power = std::pow(10.0, std::floor(std::log10(std::max(least, 1e-9))));
    for (const double m : {1.0, 2.0, 5.0, 10.0})
        if (m * power >= least)
            return m * power;
    return 10.0 * power;
}

} // namespace

QRgb WaterfallView::LevelColour(int level) {
    static const std::array<QRgb, kTopLevel + 1> colours = [] {
        std::array<QRgb, kTopLevel + 1> table{};
        for (int l = 0; l <= kTopLevel; ++l) {
            const double at = l / double(kTopLevel) * double(kRamp.size() - 1);
            const std::size_t i = std::min(std::size_t(at), kRamp.size() - 2);
            const double share = at - double(i);
            auto channel = [&](std::size_t c) {
                return int(std::lround(kRamp[i][c] + (kRamp[i + 1][c] - kRamp[i][c]) * share));
            };
            table[std::size_t(l)] = qRgb(channel(0), channel(1), channel(2));
        }
        return table;
    }();
    return colours[std::size_t(std::clamp(level, 0, kTopLevel))];
}

WaterfallView::WaterfallView(const SignalHistory &history, QWidget *parent)
    : QWidget(parent), history_(history) {
    setMinimumSize(720, 360);
    setAccessibleName(QStringLiteral("Video signal over time"));
}

QSize WaterfallView::sizeHint() const {
    return {1000, 480};
}

// What stays while the picture only moves: the axis across, the scale, the trends' titles
// and scales. Laying out their texts costs more than the newest rows.
namespace {

QImage frameImage(const QWidget &view, const QRect &fall, const QList<Strip> &trendStrips,
                  int first, int last, const QVector<std::pair<double, double>> &ranges) {
    const QFontMetrics metrics = view.fontMetrics();
    const QColor text = view.palette().color(QPalette::WindowText);
    const double pxPerColumn = std::max(1, last - first + 1) / double(fall.width());
    auto columnOf = [&](double position) { return (position - first) / pxPerColumn; };
    QImage frame(view.size() * view.devicePixelRatio(), QImage::Format_ARGB32_Premultiplied);
    frame.setDevicePixelRatio(view.devicePixelRatio());
    frame.fill(view.palette().color(QPalette::Window));
    QPainter decor(&frame);
    decor.setFont(view.font());
    decor.setPen(text);
    decor.drawText(QRect(fall.left(), 0, fall.width(), metrics.height()), Qt::AlignLeft,
                   QStringLiteral("position along the line (px); newest signal at the top"));
    const double pxStep = niceStep(pxPerColumn * 70);
    for (double at = std::ceil(first / pxStep) * pxStep; at <= last; at += pxStep) {
        const int x = fall.left() + int(columnOf(at));
        decor.drawLine(x, kTop - 4, x, kTop);
        decor.drawText(QRect(x - 40, kTop - 4 - metrics.height(), 80, metrics.height()),
                       Qt::AlignCenter, QString::number(at));
    }
    const QRect scale(fall.left(), fall.bottom() + 6, std::min(256, fall.width() / 2), 8);
    QImage ramp(scale.width(), 1, QImage::Format_RGB32);
    for (int x = 0; x < scale.width(); ++x)
        ramp.setPixel(x, 0,
                      WaterfallView::LevelColour(x * kTopLevel / std::max(1, scale.width() - 1)));
    decor.drawImage(scale, ramp);
    decor.drawText(QRect(fall.left(), scale.bottom() + 2, fall.width(), metrics.height()),
                   Qt::AlignLeft | Qt::AlignVCenter,
                   metrics.elidedText(QStringLiteral("level 0 … 1023 · crossings: white "
                                                     "rising, black falling · hatched: no "
                                                     "signal"),
                                      Qt::ElideRight, fall.width()));
    // The trends' titles, series and scales, in a smaller type.
    QFont small = view.font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    decor.setFont(small);
    const QFontMetrics smallMetrics(small);
    int left = fall.right() + 1 + kGap;
    for (std::size_t s = 0; s < std::size_t(trendStrips.size()); ++s, left += kStripWidth + kGap) {
        const Strip &strip = trendStrips[qsizetype(s)];
        decor.setPen(text);
        decor.drawText(QRect(left, 0, kStripWidth, smallMetrics.height()), Qt::AlignLeft,
                       strip.title);
        int x = left;
        for (const Series &series : strip.series) {
            decor.setPen(series.colour);
            decor.drawText(QPoint(x, smallMetrics.height() + smallMetrics.ascent()), series.name);
            x += smallMetrics.horizontalAdvance(series.name + ' ');
        }
        decor.setPen(text);
        const QRect ends(left, fall.bottom() + 4, kStripWidth, smallMetrics.height());
        decor.drawText(ends, Qt::AlignLeft, QString::number(ranges[s].first));
        decor.drawText(ends, Qt::AlignRight, QString::number(ranges[s].second));
    }
    return frame;
}

} // namespace

// The rows of the waterfall and of the trends are kept as a picture. Each row stands for a
// fixed stretch of the monotonic clock, so that newer signals only move the picture down by
// whole rows and only the newest rows are drawn again; a change of size, span, positions,
// palette or a trend's scale draws it whole.
void WaterfallView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QPalette p = palette();
    const QColor faint = Blend(p.color(QPalette::Base), p.color(QPalette::Text), 0.25f);
    const QColor window = p.color(QPalette::Window);
    const QList<Strip> trendStrips = strips();
    const int stripsWidth = int(trendStrips.size()) * (kStripWidth + kGap);
    const QRect fall(kTimeAxis, kTop, width() - kTimeAxis - stripsWidth - kGap,
                     height() - kTop - kLegend);
    if (history_.empty() || fall.width() < 16 || fall.height() < 16) {
        painter.fillRect(rect(), window);
        painter.setPen(p.color(QPalette::WindowText));
        rows_ = QImage(); // drawn whole when signals come
        painter.drawText(rect(), Qt::AlignCenter,
                         QStringLiteral("No video signal yet: Data reads one about three "
                                        "times a second."));
        return;
    }
    const std::deque<HistoryLine> &lines = history_.lines();
    const HistoryLine &newest = lines.back();
    const qint64 spanMs =
        std::max(kLeastSpanMs, (newest.monoMs - lines.front().monoMs + 59999) / 60000 * 60000);
    const int rows = fall.height();
    const double msPerRow = double(spanMs) / rows;
    const auto topRow = qint64(std::ceil(double(newest.monoMs) / msPerRow));
    // The signal a row shows: the first at or after the row's time, if it came within kGapMs.
    auto lineAt = [&](int y) -> const HistoryLine * {
        if (y >= rows)
            return nullptr;
        const double t = (double(topRow - y) - 0.5) * msPerRow;
        const auto it =
            std::lower_bound(lines.begin(), lines.end(), t, [](const HistoryLine &line, double at) {
                return double(line.monoMs) < at;
            });
        return it != lines.end() && double(it->monoMs) - t <= kGapMs ? &*it : nullptr;
    };

    // Across: from the lowest to the highest position any kept signal has.
    int first = 65535, last = 0;
    for (const HistoryLine &line : lines) {
        first = std::min<int>(first, line.signal.positions.front());
        last = std::max<int>(last, line.signal.positions.back());
    }
    const double pxPerColumn = std::max(1, last - first + 1) / double(fall.width());
    auto columnOf = [&](double position) { return (position - first) / pxPerColumn; };

    const Drawn now{size(),      spanMs,      first, last, p.color(QPalette::Base).rgb(),
                    faint.rgb(), window.rgb()};
    const qint64 shift = topRow - topRow_;
    bool whole = rows_.isNull() || !(now == drawn_) || shift < 0 || shift >= rows;
    int fresh = whole ? rows : int(shift) + 1; // the rows drawn again, from the top
    auto fits = [&](std::size_t s, double v) {
        return v >= ranges_[s].first && v <= ranges_[s].second;
    };
    for (int y = 0; y < fresh && !whole; ++y)
        if (const HistoryLine *line = lineAt(y))
            for (std::size_t s = 0; s < std::size_t(trendStrips.size()); ++s)
                for (const Series &series : trendStrips[qsizetype(s)].series)
                    if (const auto v = series.value(line->figures); v && !fits(s, *v))
                        whole = true;
    if (whole) {
        fresh = rows;
        rows_ = QImage(width(), rows, QImage::Format_RGB32);
        ranges_.clear();
        for (const Strip &strip : trendStrips) {
            double least = strip.least, most = strip.most;
            for (int y = 0; y < rows; ++y)
                if (const HistoryLine *line = lineAt(y))
                    for (const Series &series : strip.series)
                        if (const auto v = series.value(line->figures)) {
                            least = std::min(least, *v);
                            most = std::max(most, *v);
                        }
            // The strip's own scale while the values fit it, else whole steps around them.
            const double unit = niceStep((most - least) / 4.0);
            if (least < strip.least)
                least = std::floor(least / unit) * unit;
            if (most > strip.most)
                most = std::ceil(most / unit) * unit;
            ranges_.push_back({least, most});
        }
    } else {
        std::memmove(rows_.scanLine(int(shift)), rows_.scanLine(0),
                     std::size_t(rows_.bytesPerLine()) * std::size_t(rows - shift));
    }
    drawn_ = now;
    topRow_ = topRow;

    // The sample each column shows: the one whose position lies nearest, none beyond the ends.
    // Signals of one CCD mode and window share their positions: the map is made once.
    QVector<int> sampleOf(fall.width());
    const std::array<std::uint16_t, kVideoSamples> *mapped = nullptr;
    auto mapColumns = [&](const std::array<std::uint16_t, kVideoSamples> &pos) {
        std::size_t i = 0;
        for (int x = 0; x < fall.width(); ++x) {
            const double at = first + (x + 0.5) * pxPerColumn;
            while (i + 1 < pos.size() && at > (pos[i] + pos[i + 1]) / 2.0)
                ++i;
            sampleOf[x] = at < pos.front() - 0.5 || at > pos.back() + 0.5 ? -1 : int(i);
        }
    };
    for (int y = 0; y < fresh; ++y) {
        auto *row = reinterpret_cast<QRgb *>(rows_.scanLine(y));
        std::fill(row, row + rows_.width(), now.window);
        QRgb *fallRow = row + fall.left();
        const HistoryLine *line = lineAt(y);
        if (!line) {
            // The hatching moves with the rows, as it is laid on the clock.
            for (int x = 0; x < fall.width(); ++x)
                fallRow[x] = (x + (topRow - y) % 8 + 8) % 8 ? now.base : now.hatch;
        } else {
            if (!mapped || *mapped != line->signal.positions) {
                mapped = &line->signal.positions;
                mapColumns(*mapped);
            }
            for (int x = 0; x < fall.width(); ++x)
                fallRow[x] = sampleOf[x] < 0
                                 ? now.base
                                 : LevelColour(line->signal.samples[std::size_t(sampleOf[x])]);
            for (const Crossing &c : line->figures.crossings) {
                const int x = std::clamp(int(columnOf(c.positionPx)), 1, fall.width() - 2);
                std::fill(fallRow + x - 1, fallRow + x + 2, (c.rising ? kRising : kFalling).rgb());
            }
        }
        // Each trend joins its value in this row to the one in the row below.
        const HistoryLine *below = lineAt(y + 1);
        int left = fall.right() + 1 + kGap;
        for (std::size_t s = 0; s < std::size_t(trendStrips.size());
             ++s, left += kStripWidth + kGap) {
            QRgb *box = row + left;
            std::fill(box, box + kStripWidth, now.base);
            const auto [least, most] = ranges_[s];
            auto xOf = [&](double v) {
                return std::clamp(int(2 + (v - least) / (most - least) * (kStripWidth - 4)), 0,
                                  kStripWidth - 1);
            };
            for (const Series &series : trendStrips[qsizetype(s)].series) {
                const auto v = line ? series.value(line->figures) : std::nullopt;
                if (!v)
                    continue;
                const auto next = below ? series.value(below->figures) : std::nullopt;
                const int x = xOf(*v), to = next ? xOf(*next) : x;
                std::fill(box + std::min(x, to), box + std::max(x, to) + 1, series.colour.rgb());
            }
        }
    }
    const QFontMetrics metrics = fontMetrics();
    const QColor text = p.color(QPalette::WindowText);
    if (whole)
        frame_ = frameImage(*this, fall, trendStrips, first, last, ranges_);
    painter.drawImage(0, 0, frame_);
    painter.drawImage(0, fall.top(), rows_);
    painter.setPen(faint);
    painter.drawRect(fall.adjusted(0, 0, -1, -1));
    for (int s = 0, left = fall.right() + 1 + kGap; s < trendStrips.size();
         ++s, left += kStripWidth + kGap)
        painter.drawRect(left, fall.top(), kStripWidth - 1, fall.height() - 1);

    // Clock times on the left, which change as the picture moves.
    painter.setPen(text);
    const double msStep = [&] {
        for (const qint64 step : {5000, 10000, 15000, 30000, 60000, 120000, 300000})
            if (double(step) / double(spanMs) * fall.height() >= 3 * metrics.height())
                return double(step);
        return 600000.0;
    }();
    // The wall clock at the top of the picture.
    const qint64 topWallMs = newest.wallMs + qint64(double(topRow) * msPerRow) - newest.monoMs;
    for (double back = 0; back <= double(spanMs); back += msStep) {
        const int y = fall.top() + int(back / msPerRow);
        painter.drawLine(fall.left() - 4, y, fall.left(), y);
        const QString clock = QDateTime::fromMSecsSinceEpoch(topWallMs - qint64(back))
                                  .toString(QStringLiteral("HH:mm:ss"));
        painter.drawText(kTimeAxis - 6 - metrics.horizontalAdvance(clock),
                         y - metrics.height() / 2 + metrics.ascent(), clock);
    }
}
