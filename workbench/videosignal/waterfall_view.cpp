// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/waterfall_view.h"

#include "workbench/shared/shades.h"

#include <QDateTime>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
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

// Which line shows at each row, or -1: the first signal at or after the row's time, if it came
// within kGapMs.
QVector<int> linesOfRows(const std::deque<HistoryLine> &lines, qint64 newestMs, qint64 spanMs,
                         int rows) {
    QVector<int> of(rows, -1);
    for (int y = 0; y < rows; ++y) {
        const double t = double(newestMs) - (y + 0.5) / rows * double(spanMs);
        const auto it =
            std::lower_bound(lines.begin(), lines.end(), t, [](const HistoryLine &line, double at) {
                return double(line.monoMs) < at;
            });
        if (it != lines.end() && double(it->monoMs) - t <= kGapMs)
            of[y] = int(it - lines.begin());
    }
    return of;
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

void WaterfallView::paintEvent(QPaintEvent *) {
    QPainter painter(this);
    const QPalette p = palette();
    const QColor text = p.color(QPalette::Text);
    const QColor faint = Blend(p.color(QPalette::Base), text, 0.25f);
    painter.fillRect(rect(), p.color(QPalette::Window));
    const QList<Strip> trendStrips = strips();
    const int stripsWidth = int(trendStrips.size()) * (kStripWidth + kGap);
    const QRect fall(kTimeAxis, kTop, width() - kTimeAxis - stripsWidth - kGap,
                     height() - kTop - kLegend);
    painter.setPen(p.color(QPalette::WindowText));
    if (history_.empty() || fall.width() < 16 || fall.height() < 16) {
        painter.drawText(rect(), Qt::AlignCenter,
                         QStringLiteral("No video signal yet: Data reads one about three "
                                        "times a second."));
        return;
    }
    const std::deque<HistoryLine> &lines = history_.lines();
    const HistoryLine &newest = lines.back();
    const qint64 spanMs =
        std::max(kLeastSpanMs, (newest.monoMs - lines.front().monoMs + 59999) / 60000 * 60000);
    const QVector<int> rowLine = linesOfRows(lines, newest.monoMs, spanMs, fall.height());

    // Across: from the lowest to the highest position any kept signal has.
    int first = 65535, last = 0;
    for (const HistoryLine &line : lines) {
        first = std::min<int>(first, line.signal.positions.front());
        last = std::max<int>(last, line.signal.positions.back());
    }
    const double pxPerColumn = std::max(1, last - first + 1) / double(fall.width());
    auto columnOf = [&](double position) { return (position - first) / pxPerColumn; };

    // The sample each column shows: the one whose position lies nearest, none beyond the ends.
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
    QImage image(fall.size(), QImage::Format_RGB32);
    const QRgb base = p.color(QPalette::Base).rgb(), hatch = faint.rgb();
    for (int y = 0; y < fall.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        if (rowLine[y] < 0) {
            for (int x = 0; x < fall.width(); ++x)
                row[x] = (x + y) % 8 ? base : hatch;
            continue;
        }
        const HistoryLine &line = lines[std::size_t(rowLine[y])];
        // Signals of one CCD mode and window share their positions: the map is made once.
        if (!mapped || *mapped != line.signal.positions) {
            mapped = &line.signal.positions;
            mapColumns(*mapped);
        }
        for (int x = 0; x < fall.width(); ++x)
            row[x] =
                sampleOf[x] < 0 ? base : LevelColour(line.signal.samples[std::size_t(sampleOf[x])]);
        for (const Crossing &c : line.figures.crossings) {
            const int x = std::clamp(int(columnOf(c.positionPx)), 1, fall.width() - 2);
            std::fill(row + x - 1, row + x + 2, (c.rising ? kRising : kFalling).rgb());
        }
    }
    painter.drawImage(fall.topLeft(), image);
    painter.setPen(faint);
    painter.drawRect(fall.adjusted(0, 0, -1, -1));

    // Positions along the line above, clock times on the left.
    painter.setPen(p.color(QPalette::WindowText));
    const QFontMetrics metrics = fontMetrics();
    painter.drawText(QRect(fall.left(), 0, fall.width(), metrics.height()), Qt::AlignLeft,
                     QStringLiteral("position along the line (px); newest signal at the top"));
    const double pxStep = niceStep(pxPerColumn * 70);
    for (double at = std::ceil(first / pxStep) * pxStep; at <= last; at += pxStep) {
        const int x = fall.left() + int(columnOf(at));
        painter.drawLine(x, kTop - 4, x, kTop);
        painter.drawText(QRect(x - 40, kTop - 4 - metrics.height(), 80, metrics.height()),
                         Qt::AlignCenter, QString::number(at));
    }
    const double msStep = [&] {
        for (const qint64 step : {5000, 10000, 15000, 30000, 60000, 120000, 300000})
            if (double(step) / double(spanMs) * fall.height() >= 3 * metrics.height())
                return double(step);
        return 600000.0;
    }();
    for (double back = 0; back <= double(spanMs); back += msStep) {
        const int y = fall.top() + int(back / double(spanMs) * fall.height());
        painter.drawLine(fall.left() - 4, y, fall.left(), y);
        const QString clock = QDateTime::fromMSecsSinceEpoch(newest.wallMs - qint64(back))
                                  .toString(QStringLiteral("HH:mm:ss"));
        painter.drawText(QRect(0, y - metrics.height() / 2, kTimeAxis - 6, metrics.height()),
                         Qt::AlignRight | Qt::AlignVCenter, clock);
    }

    // The level scale and the marks below.
    const QRect scale(fall.left(), fall.bottom() + 6, std::min(256, fall.width() / 2), 8);
    QImage ramp(scale.width(), 1, QImage::Format_RGB32);
    for (int x = 0; x < scale.width(); ++x)
        ramp.setPixel(x, 0, LevelColour(x * kTopLevel / std::max(1, scale.width() - 1)));
    painter.drawImage(scale, ramp);
    painter.setPen(p.color(QPalette::WindowText));
    const QRect legendText(fall.left(), scale.bottom() + 2, fall.width(), metrics.height());
    painter.drawText(legendText, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(QStringLiteral("level 0 … 1023 · crossings: white "
                                                       "rising, black falling · hatched: no "
                                                       "signal"),
                                        Qt::ElideRight, fall.width()));

    // The figures as trends on the same rows.
    int left = fall.right() + 1 + kGap;
    for (const Strip &strip : trendStrips) {
        const QRect box(left, fall.top(), kStripWidth, fall.height());
        left += kStripWidth + kGap;
        painter.fillRect(box, p.color(QPalette::Base));
        double least = strip.least, most = strip.most;
        for (const Series &series : strip.series)
            for (const int l : rowLine)
                if (l >= 0)
                    if (const auto v = series.value(lines[std::size_t(l)].figures)) {
                        least = std::min(least, *v);
                        most = std::max(most, *v);
                    }
        // The strip's own scale while the values fit it, else whole steps around them.
        const double unit = niceStep((most - least) / 4.0);
        if (least < strip.least)
            least = std::floor(least / unit) * unit;
        if (most > strip.most)
            most = std::ceil(most / unit) * unit;
        auto xOf = [&](double v) {
            return box.left() + 2 + (v - least) / (most - least) * (box.width() - 4);
        };
        painter.setPen(faint);
        painter.drawRect(box.adjusted(0, 0, -1, -1));
        for (const Series &series : strip.series) {
            // Runs of rows with a value, each drawn as one polyline.
            QVector<QPointF> run;
            auto drawRun = [&] {
                if (run.size() > 1)
                    painter.drawPolyline(run.constData(), int(run.size()));
                run.clear();
            };
            painter.setPen(series.colour);
            for (int y = 0; y < rowLine.size(); ++y) {
                const auto v = rowLine[y] >= 0
                                   ? series.value(lines[std::size_t(rowLine[y])].figures)
                                   : std::nullopt;
                if (v)
                    run << QPointF(xOf(*v), box.top() + y + 0.5);
                else
                    drawRun();
            }
            drawRun();
        }
        // Title and series names above, the scale's ends below, in a smaller type.
        int y = 0;
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.85);
        painter.setFont(small);
        const QFontMetrics smallMetrics(small);
        painter.setPen(p.color(QPalette::WindowText));
        painter.drawText(QRect(box.left(), y, box.width(), metrics.height()), Qt::AlignLeft,
                         strip.title);
        int x = box.left();
        y += metrics.height();
        for (const Series &series : strip.series) {
            painter.setPen(series.colour);
            painter.drawText(QPoint(x, y + metrics.ascent()), series.name);
            x += smallMetrics.horizontalAdvance(series.name + ' ');
        }
        painter.setPen(p.color(QPalette::WindowText));
        const QRect ends(box.left(), box.bottom() + 4, box.width(), metrics.height());
        painter.drawText(ends, Qt::AlignLeft, QString::number(least));
        painter.drawText(ends, Qt::AlignRight, QString::number(most));
        painter.setFont(font());
    }
}
