// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/trend/trend_chart.h"

#include "workbench/shared/shades.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr Millis kGapMs = 2000; // a longer silence between frames breaks the curves
constexpr int kClickSlackPx = 3;
constexpr double kFitMargin = 0.08;
constexpr double kLeastValueRange = 2.0;
constexpr double kKeyZoom = 1.5;

struct CurveStyle {
    LiveChannel channel;
    const char *name;
    QColor color;
    Qt::PenStyle style;
};

const CurveStyle kCurves[] = {
    {kFirstEdgeChannel, "First edge", QColor(214, 39, 40), Qt::SolidLine},
    {kSecondEdgeChannel, "Second edge", QColor(31, 119, 180), Qt::SolidLine},
    {kThirdValueChannel, "Third value", QColor(148, 103, 189), Qt::SolidLine},
    {kTeachValueChannel, "Teach value", QColor(44, 140, 44), Qt::DashLine},
};

double keyOf(Millis ms) {
    return double(ms) / 1000.0;
}

Millis msOf(double key) {
    return Millis(std::llround(key * 1000.0));
}

Millis floorDiv(Millis a, Millis b) {
    return a / b - (a % b != 0 && a < 0 ? 1 : 0);
}

using Values = std::array<float, kLiveChannels>;

// The time axis runs on the store's monotonic clock; its ticks and labels fall on whole times
// of the wall clock.
class WallClockTicker : public QCPAxisTickerDateTime {
  public:
    void setOffset(Millis wallOffsetMs) { offset_ = keyOf(wallOffsetMs); }

  protected:
    QVector<double> createTickVector(double tickStep, const QCPRange &range) override {
        QVector<double> ticks = QCPAxisTickerDateTime::createTickVector(
            tickStep, QCPRange(range.lower + offset_, range.upper + offset_));
        for (double &tick : ticks)
            tick -= offset_;
        return ticks;
    }
    QString getTickLabel(double tick, const QLocale &locale, QChar formatChar,
                         int precision) override {
        return QCPAxisTickerDateTime::getTickLabel(tick + offset_, locale, formatChar, precision);
    }

  private:
    double offset_ = 0;
};

} // namespace

// The frames (and buckets) that fall into one pixel column: their time and value ranges.
struct TrendChart::Column {
    Millis firstMs = 0;
    Millis lastMs = 0;
    Values low{};
    Values high{};
    bool empty = true;

    void take(Millis first, Millis last, const Values &lo, const Values &hi) {
        if (empty) {
            firstMs = first;
            low = lo;
            high = hi;
            empty = false;
        } else {
            for (std::size_t c = 0; c < low.size(); ++c) {
                low[c] = std::min(low[c], lo[c]);
                high[c] = std::max(high[c], hi[c]);
            }
        }
        lastMs = last;
    }
};

TrendChart::TrendChart(QWidget *parent) : QCustomPlot(parent) {
    setAccessibleName(QStringLiteral("Trend chart"));
    setUpAxes();
    addCurves();
    setFocusPolicy(Qt::StrongFocus);
    for (int i = 0; i < 2; ++i) {
        cursors_[i] = new QCPItemStraightLine(this);
        cursorLabels_[i] = new QCPItemText(this);
        cursorLabels_[i]->setText(i == 0 ? QStringLiteral("A") : QStringLiteral("B"));
        cursorLabels_[i]->position->setTypeY(QCPItemPosition::ptAxisRectRatio);
        cursorLabels_[i]->setPositionAlignment(Qt::AlignTop | Qt::AlignLeft);
        cursorLabels_[i]->setPadding(QMargins(3, 2, 0, 0));
    }
    clearCursors();
    followPalette();
    // Nothing is drawn on the overlay: one paint buffer instead of two halves each replot's
    // filling and blending.
    layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmLogical);
    setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
    axisRect()->setRangeDrag(Qt::Horizontal);
    axisRect()->setRangeZoom(Qt::Horizontal);
    connect(xAxis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this, [this] {
        if (!settingSpan_)
            emit spanMovedByUser();
    });
    connect(this, &QCustomPlot::mousePress, this,
            [this](QMouseEvent *event) { pressedAt_ = event->pos(); });
    connect(this, &QCustomPlot::mouseRelease, this, &TrendChart::mouseReleasedAt);
    connect(this, &QCustomPlot::legendClick, this,
            [this](QCPLegend *, QCPAbstractLegendItem *item, QMouseEvent *) { toggleCurve(item); });
}

void TrendChart::setUpAxes() {
    QSharedPointer<WallClockTicker> ticker(new WallClockTicker);
    ticker->setDateTimeFormat(QStringLiteral("hh:mm:ss"));
    xAxis->setTicker(ticker);
    xAxis->setLabel(QStringLiteral("Time"));
    // The legend runs in a row of its own above the chart, clear of the curves.
    legend->setVisible(true);
    legend->setBorderPen(Qt::NoPen);
    plotLayout()->insertRow(0);
    plotLayout()->addElement(0, 0, legend);
    legend->setFillOrder(QCPLayoutGrid::foColumnsFirst);
    plotLayout()->setRowStretchFactor(0, 0.001);
}

// The band is the area between its low and its high bound; its low bound stands for it in the
// legend.
void TrendChart::addCurves() {
    QCPGraph *low = addGraph();
    QCPGraph *high = addGraph();
    low->setName(QStringLiteral("Tolerance band"));
    low->setPen(QPen(QColor(0, 170, 0, 110)));
    high->setPen(QPen(QColor(0, 170, 0, 110)));
    low->setBrush(QColor(0, 200, 0, 45));
    low->setChannelFillGraph(high);
    high->removeFromLegend();
    graphs_[kBandLowChannel] = low;
    graphs_[kBandHighChannel] = high;
    for (const CurveStyle &c : kCurves) {
        QCPGraph *g = addGraph();
        g->setName(QString::fromUtf8(c.name));
        graphs_[c.channel] = g;
    }
    for (QCPGraph *g : graphs_)
        if (g)
            g->setAntialiased(false);
}

void TrendChart::showSpan(Millis from, Millis to) {
    settingSpan_ = true;
    xAxis->setRange(keyOf(from), keyOf(to));
    settingSpan_ = false;
}

Millis TrendChart::spanFrom() const {
    return msOf(xAxis->range().lower);
}

Millis TrendChart::spanTo() const {
    return msOf(xAxis->range().upper);
}

void TrendChart::drawFrames(const TrendStore &store, Millis from, Millis to, Unit unit) {
    static_cast<WallClockTicker *>(xAxis->ticker().data())->setOffset(store.wallOf(0));
    for (auto &p : points_)
        p.clear();
    yAxis->setLabel(QStringLiteral("Value (%1)").arg(QString::fromUtf8(UnitSymbol(unit))));
    const Millis columnMs = std::max<Millis>(1, (to - from) / std::max(1, axisRect()->width()));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    double low = std::numeric_limits<double>::infinity();
    double high = -low;
    Column column;
    Millis columnIndex = 0;
    const auto emitColumn = [&] {
        for (std::size_t c = 0; c < graphs_.size(); ++c) {
            if (!graphs_[c])
                continue;
            const bool band = c == kBandLowChannel || c == kBandHighChannel;
            const double first = c == kBandHighChannel ? column.high[c] : column.low[c];
            const double last = band ? first : column.high[c];
            points_[c].append({keyOf(column.firstMs), first});
            if (last != first || (band && column.lastMs != column.firstMs))
                points_[c].append({keyOf(column.lastMs), last});
            if (graphs_[c]->visible() && column.lastMs >= from && column.firstMs <= to) {
                low = std::min(low, std::min(first, last));
                high = std::max(high, std::max(first, last));
            }
        }
    };
    const auto take = [&](Millis first, Millis last, const Values &lo, const Values &hi) {
        const Millis index = floorDiv(first - from, columnMs);
        if (!column.empty && (index != columnIndex || first - column.lastMs > kGapMs)) {
            const bool gap = first - column.lastMs > kGapMs;
            emitColumn();
            if (gap)
                for (auto &p : points_)
                    p.append({keyOf(column.lastMs + 1), nan});
            column = Column{};
        }
        columnIndex = index;
        column.take(first, last, lo, hi);
    };
    for (const TrendBucket &b : store.buckets()) {
        if (b.lastMs < from - store.bucketMs() || b.firstMs > to + store.bucketMs())
            continue;
        Values lo, hi;
        for (int c = 0; c < kLiveChannels; ++c) {
            lo[std::size_t(c)] = float(b.of(unit, c).min());
            hi[std::size_t(c)] = float(b.of(unit, c).max());
        }
        take(b.firstMs, b.lastMs, lo, hi);
    }
    // One frame either side keeps the curves running to the edges of the span.
    auto it = store.frameAt(from);
    if (it != store.frames().begin())
        --it;
    for (; it != store.frames().end(); ++it) {
        take(it->ms, it->ms, it->values.in(unit), it->values.in(unit));
        if (it->ms > to)
            break;
    }
    if (!column.empty)
        emitColumn();
    for (std::size_t c = 0; c < graphs_.size(); ++c)
        if (graphs_[c])
            graphs_[c]->data()->set(points_[c], true);
    if (low <= high)
        fitValueAxis(low, high);
}

void TrendChart::fitValueAxis(double low, double high) {
    if (high - low < kLeastValueRange) {
        const double middle = (low + high) / 2;
        low = middle - kLeastValueRange / 2;
        high = middle + kLeastValueRange / 2;
    }
    const double margin = (high - low) * kFitMargin;
    yAxis->setRange(low - margin, high + margin);
}

void TrendChart::clearCursors() {
    for (int i = 0; i < 2; ++i) {
        cursorMs_[i].reset();
        cursors_[i]->setVisible(false);
        cursorLabels_[i]->setVisible(false);
    }
}

void TrendChart::placeCursor(int which, Millis ms) {
    if (cursorMs_[which] == ms)
        return;
    const double key = keyOf(ms);
    cursorMs_[which] = ms;
    cursors_[which]->point1->setCoords(key, 0);
    cursors_[which]->point2->setCoords(key, 1);
    cursors_[which]->setVisible(true);
    cursorLabels_[which]->position->setCoords(key, 0.0);
    cursorLabels_[which]->setVisible(true);
    replot(rpQueuedReplot);
}

// A click (not a drag) in the plot places cursor A with the left button, B with the right.
void TrendChart::mouseReleasedAt(QMouseEvent *event) {
    if ((event->pos() - pressedAt_).manhattanLength() > kClickSlackPx)
        return;
    if (!axisRect()->rect().contains(event->pos()) || legend->outerRect().contains(event->pos()))
        return;
    const Millis ms = msOf(xAxis->pixelToCoord(event->pos().x()));
    if (event->button() == Qt::LeftButton)
        emit cursorPicked(0, ms);
    else if (event->button() == Qt::RightButton)
        emit cursorPicked(1, ms);
}

void TrendChart::toggleCurve(QCPAbstractLegendItem *item) {
    auto *entry = qobject_cast<QCPPlottableLegendItem *>(item);
    if (!entry)
        return;
    QCPAbstractPlottable *curve = entry->plottable();
    const bool visible = !curve->visible();
    curve->setVisible(visible);
    if (curve == graphs_[kBandLowChannel])
        graphs_[kBandHighChannel]->setVisible(visible);
    entry->setTextColor(
        palette().color(visible ? QPalette::Active : QPalette::Disabled, QPalette::Text));
    emit curvesToggled();
}

void TrendChart::keyPressEvent(QKeyEvent *event) {
    const int which = event->modifiers() & Qt::ShiftModifier ? 1 : 0;
    const double centre = xAxis->range().center();
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        emit cursorStepped(which, event->key() == Qt::Key_Right);
        return;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        xAxis->scaleRange(1 / kKeyZoom, centre);
        break;
    case Qt::Key_Minus:
        xAxis->scaleRange(kKeyZoom, centre);
        break;
    default:
        QCustomPlot::keyPressEvent(event);
        return;
    }
    replot(rpQueuedReplot);
}

void TrendChart::changeEvent(QEvent *event) {
    QCustomPlot::changeEvent(event);
    if (event->type() == QEvent::PaletteChange) {
        followPalette();
        replot(rpQueuedReplot);
    }
}

// The chart's background, axes, grid, legend and cursors in the palette's colours; the curves
// lighter on a dark background.
void TrendChart::followPalette() {
    const QPalette p = palette();
    const QColor base = p.color(QPalette::Base);
    const QColor text = p.color(QPalette::Text);
    const QColor faint = Blend(base, text, 0.2);
    setBackground(base);
    for (QCPAxis *axis : {xAxis, yAxis}) {
        axis->setBasePen(QPen(text));
        axis->setTickPen(QPen(text));
        axis->setSubTickPen(QPen(text));
        axis->setTickLabelColor(text);
        axis->setLabelColor(text);
        axis->grid()->setPen(QPen(faint, 0, Qt::DotLine));
    }
    legend->setBrush(base);
    legend->setTextColor(text);
    for (int i = 0; i < legend->itemCount(); ++i)
        if (auto *entry = qobject_cast<QCPPlottableLegendItem *>(legend->item(i)))
            entry->setTextColor(
                p.color(entry->plottable()->visible() ? QPalette::Active : QPalette::Disabled,
                        QPalette::Text));
    const bool dark = base.lightnessF() < 0.5;
    for (const CurveStyle &c : kCurves)
        graphs_[c.channel]->setPen(QPen(dark ? c.color.lighter(150) : c.color, 1, c.style));
    for (int i = 0; i < 2; ++i) {
        cursors_[i]->setPen(QPen(i == 0 ? text : Blend(base, text, 0.6), 1, Qt::DashLine));
        cursorLabels_[i]->setColor(text);
    }
}
