// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph_widget.h"

#include <QFontMetricsF>
#include <QLineF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QStaticText>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

constexpr int kOuterMargin = 6;
constexpr int kTickLength = 4;
constexpr int kLabelGap = 3;
constexpr int kMaxTickIntervals = 40;
constexpr double kDiamondRadius = 6;
// How far beyond the plot area curves are cut, in pixels: more than the pen's half width.
constexpr double kCurveReach = 4;

const QColor kSecondaryCursorColor{0x30, 0xE8, 0xFF};

// An axis range as the panel file and SetAxisScalingMode set it: finite, with min < max.
struct Span {
    double min = 0;
    double max = 1;
    double length() const { return max - min; }
    // Position of v as a fraction of the range (0 at min, 1 at max).
    double fraction(double v) const { return (v - min) / length(); }
};

struct Ticks {
    std::vector<double> values;
    int decimals = 0;
};

// Just under a power of two (1023) or a little over it, as a range with headroom (1.05).
bool nearPowerOfTwo(double length) {
    const double power = std::exp2(std::round(std::log2(length)));
    return length >= 0.99 * power && length <= 1.1 * power;
}

// The smallest "nice" step that splits `length` into at most `maxIntervals` intervals. Ranges
// of about a power of two (a 1024-pixel line, a 0..1023 sample range, heights 0..1) get
// power-of-two steps, so their ticks fall on 128, 256 ... or 0.25, 0.5 ...; other ranges get
// 1, 2 or 5 times a power of ten.
double tickStep(double length, int maxIntervals) {
    const double raw = length / maxIntervals;
    if (length >= 1 && nearPowerOfTwo(length))
        return std::max(std::exp2(std::ceil(std::log2(raw))), 0.25);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * magnitude >= raw * (1 - 1e-9))
            return factor * magnitude;
    }
    return 10 * magnitude;
}

int decimalsFor(double step) {
    int decimals = 0;
    for (double scaled = step;
         decimals < 9 && std::abs(scaled - std::round(scaled)) > 1e-6 * scaled; scaled *= 10)
        ++decimals;
    return decimals;
}

Ticks makeTicks(const Span &span, int maxIntervals) {
    Ticks ticks;
    const double step = tickStep(span.length(), std::clamp(maxIntervals, 2, kMaxTickIntervals));
    ticks.decimals = decimalsFor(step);
    const double first = std::ceil(span.min / step - 1e-9) * step;
    for (int i = 0;; ++i) {
        double v = first + i * step;
        if (v > span.max + step * 1e-9)
            break;
        // Where a tick falls on 0, rounding may leave -0 or a trace beside it.
        if (std::abs(v) < step * 1e-9)
            v = 0;
        ticks.values.push_back(v);
    }
    return ticks;
}

QString tickLabel(double v, int decimals) {
    return QString::number(v, 'f', decimals);
}

double widestLabel(const Ticks &ticks, const QFontMetricsF &fm) {
    double widest = 0;
    for (double v : ticks.values)
        widest = std::max(widest, fm.horizontalAdvance(tickLabel(v, ticks.decimals)));
    return widest;
}

// Where the plot area lies in the widget and which ticks its axes carry.
struct Layout {
    QRect plot;
    Ticks x;
    Ticks y;
};

std::optional<Layout> layoutFor(const QRect &whole, const QFontMetricsF &fm, const Span &xs,
                                const Span &ys, bool hasXLabel, bool hasYLabel) {
    const double lineHeight = fm.height();
    const int top = kOuterMargin + int(std::ceil(lineHeight / 2));
    const int bottom = kOuterMargin + kTickLength + kLabelGap + int(std::ceil(lineHeight)) +
                       (hasXLabel ? kLabelGap + int(std::ceil(lineHeight)) : 0);
    const int plotHeight = whole.height() - top - bottom;
    if (plotHeight < 8)
        return std::nullopt;
    Layout layout;
    layout.y = makeTicks(ys, int(plotHeight / (lineHeight * 2.2)));
    const int left = kOuterMargin + (hasYLabel ? int(std::ceil(lineHeight)) + kLabelGap : 0) +
                     int(std::ceil(widestLabel(layout.y, fm))) + kLabelGap + kTickLength;
    const double lastLabel = fm.horizontalAdvance(tickLabel(xs.max, 0));
    const int right = kOuterMargin + int(std::ceil(lastLabel / 2));
    const int plotWidth = whole.width() - left - right;
    if (plotWidth < 8)
        return std::nullopt;
    // First guess at the label width, then once more with the widest label actually drawn.
    const double spacing = fm.horizontalAdvance(QStringLiteral("0000")) + 2 * lineHeight;
    layout.x = makeTicks(xs, int(plotWidth / spacing));
    const double needed = widestLabel(layout.x, fm) + 2 * lineHeight;
    if (needed > spacing)
        layout.x = makeTicks(xs, int(plotWidth / needed));
    layout.plot = QRect(whole.left() + left, whole.top() + top, plotWidth, plotHeight);
    return layout;
}

// Maps graph coordinates onto the plot area. Values beyond an axis map to pixels beyond it,
// where the painter's clip cuts them: 16-bit values on the tool's axes land at most some ten
// thousand pixels away, which doubles and QPainter handle exactly.
struct Frame {
    Span xs;
    Span ys;
    QRectF plot;
    double xPixel(double v) const { return plot.left() + xs.fraction(v) * plot.width(); }
    double yPixel(double v) const { return plot.bottom() - ys.fraction(v) * plot.height(); }
    QPointF toPixel(const GraphPoint &p) const { return {xPixel(p.x), yPixel(p.y)}; }
};

// Start of a stretch of `length` moved as little as possible to lie within [lo, hi]; at lo when
// it does not fit.
double fitInto(double start, double length, double lo, double hi) {
    return std::max(lo, std::min(start, hi - length));
}

QColor toColor(int rgb) {
    return QColor(QRgb(rgb));
}

QColor blend(const QColor &a, const QColor &b, double t) {
    return QColor::fromRgbF(float(a.redF() + (b.redF() - a.redF()) * t),
                            float(a.greenF() + (b.greenF() - a.greenF()) * t),
                            float(a.blueF() + (b.blueF() - a.blueF()) * t));
}

// The part of the segment a-b inside `area`, or nothing. The end b is kept exactly when it
// lies inside, so that the next segment continues the same line.
std::optional<QLineF> cutSegment(const QPointF &a, const QPointF &b, const QRectF &area) {
    const QPointF d = b - a;
    // Per side of the area: how far a lies inside it, and how fast the segment leaves it.
    const double inside[4] = {a.x() - area.left(), area.right() - a.x(), a.y() - area.top(),
                              area.bottom() - a.y()};
    const double outward[4] = {-d.x(), d.x(), -d.y(), d.y()};
    double enter = 0;
    double leave = 1;
    for (int i = 0; i < 4; ++i) {
        if (outward[i] == 0 && inside[i] < 0)
            return std::nullopt;
        if (outward[i] > 0)
            leave = std::min(leave, inside[i] / outward[i]);
        else if (outward[i] < 0)
            enter = std::max(enter, inside[i] / outward[i]);
    }
    if (enter > leave)
        return std::nullopt;
    return QLineF(a + enter * d, b - (1 - leave) * d);
}

// Samples far beyond an axis are cut first: the painter would stroke the whole line before
// clipping it, which takes seconds for a curve that keeps leaving a 0..1023 axis for 65535.
// The cut lies a little outside the plot area, so that the clip cuts the pen's round ends.
void drawCurve(QPainter &p, const Frame &frame, const GraphPlot &plot) {
    const QRectF area = frame.plot.adjusted(-kCurveReach, -kCurveReach, kCurveReach, kCurveReach);
    std::vector<QPolygonF> pieces;
    for (std::size_t i = 1; i < plot.points.size(); ++i) {
        const auto cut =
            cutSegment(frame.toPixel(plot.points[i - 1]), frame.toPixel(plot.points[i]), area);
        if (!cut)
            continue;
        if (pieces.empty() || pieces.back().back() != cut->p1())
            pieces.push_back(QPolygonF{cut->p1()});
        pieces.back().append(cut->p2());
    }
    QPen pen(toColor(plot.color), 1.6);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const QPolygonF &piece : pieces)
        p.drawPolyline(piece);
    p.setRenderHint(QPainter::Antialiasing, false);
}

void drawRectangle(QPainter &p, const Frame &frame, const GraphPlot &plot) {
    p.setPen(QPen(toColor(plot.color), 0));
    p.setBrush(toColor(plot.fillColor));
    p.drawRect(QRectF(frame.toPixel(plot.points[0]), frame.toPixel(plot.points[1])).normalized());
}

void drawGrid(QPainter &p, const Frame &frame, const Layout &layout, const QColor &gridColor) {
    p.setPen(QPen(gridColor, 0));
    const QRect &plot = layout.plot;
    for (double v : layout.x.values) {
        const int x = std::clamp(int(std::round(frame.xPixel(v))), plot.left(), plot.right());
        p.drawLine(x, plot.top(), x, plot.bottom());
    }
    for (double v : layout.y.values) {
        const int y = std::clamp(int(std::round(frame.yPixel(v))), plot.top(), plot.bottom());
        p.drawLine(plot.left(), y, plot.right(), y);
    }
}

void drawAxes(QPainter &p, const Frame &frame, const Layout &layout, const QRect &whole,
              const QString &xLabel, const QString &yLabel, const QColor &textColor) {
    const QRect &plot = layout.plot;
    const QFontMetricsF fm(p.font());
    const double lineHeight = fm.height();
    const QColor lineColor = blend(textColor, p.background().color(), 0.45);
    p.setPen(lineColor);
    p.setBrush(Qt::NoBrush);
    p.drawRect(plot.adjusted(-1, -1, 0, 0));

    const double labelTop = plot.bottom() + 1 + kTickLength + kLabelGap;
    double lastRight = whole.left() - 1.0;
    for (double v : layout.x.values) {
        const double x = std::round(frame.xPixel(v));
        p.setPen(lineColor);
        p.drawLine(QPointF(x, plot.bottom() + 1), QPointF(x, plot.bottom() + kTickLength));
        const QString text = tickLabel(v, layout.x.decimals);
        const double width = fm.horizontalAdvance(text);
        const double left = fitInto(x - width / 2, width, whole.left(), whole.right() + 1);
        // Labels never overlap: one that would touch its neighbour is left out.
        if (left <= lastRight + kLabelGap)
            continue;
        p.setPen(textColor);
        p.drawText(QRectF(left, labelTop, width, lineHeight), Qt::AlignCenter, text);
        lastRight = left + width;
    }
    for (double v : layout.y.values) {
        const double y = std::round(frame.yPixel(v));
        p.setPen(lineColor);
        p.drawLine(QPointF(plot.left() - kTickLength, y), QPointF(plot.left() - 1, y));
        p.setPen(textColor);
        const double right = plot.left() - kTickLength - kLabelGap;
        p.drawText(QRectF(whole.left(), y - lineHeight / 2, right - whole.left(), lineHeight),
                   Qt::AlignRight | Qt::AlignVCenter, tickLabel(v, layout.y.decimals));
    }

    p.setPen(textColor);
    if (!xLabel.isEmpty()) {
        const double top = labelTop + lineHeight + kLabelGap;
        p.drawText(QRectF(plot.left(), top, plot.width(), lineHeight), Qt::AlignCenter, xLabel);
    }
    if (!yLabel.isEmpty()) {
        p.save();
        p.translate(whole.left() + kOuterMargin + lineHeight / 2, plot.center().y());
        p.rotate(-90);
        p.drawText(QRectF(-plot.height() / 2.0, -lineHeight / 2, plot.height(), lineHeight),
                   Qt::AlignCenter, yLabel);
        p.restore();
    }
}

// A cursor's number, laid out once for its font: shaping (and measuring) the same digits again
// on every live frame costs more than the rest of the cursor. QStaticText::prepare lays the text
// out anew on each call, so it runs only when the font changed.
const QStaticText &cursorLabel(int number, const QFont &font) {
    static std::map<int, std::pair<QFont, QStaticText>> labels;
    auto &[laidOutFor, label] = labels[number];
    if (label.text().isEmpty() || laidOutFor != font) {
        label = QStaticText(QString::number(number));
        label.prepare(QTransform(), font);
        laidOutFor = font;
    }
    return label;
}

// Cursors: a line over the full plot height with a dark halo, so that it stands out over any
// fill, a diamond at the cursor's height and a tag with the cursor's number beside it. Tags
// that would overlap move down a row; diamonds go on top, as they mark the data.
void drawCursors(QPainter &p, const Frame &frame, const QRect &plot,
                 const std::map<int, GraphPoint> &cursors, const QColor &firstColor,
                 const QColor &plotBackground) {
    struct Visible {
        int number;
        double x; // left edge of the line's pixel column
        QColor color;
        std::optional<double> y;
    };
    std::vector<Visible> visible;
    for (const auto &[number, position] : cursors) {
        const double fx = frame.xs.fraction(position.x);
        if (!(fx >= 0 && fx <= 1))
            continue;
        // The axis maximum falls on the plot's last pixel row or column, not just past it.
        Visible c{number, std::min(std::round(frame.xPixel(position.x)), double(plot.right())),
                  number == 1 ? firstColor : kSecondaryCursorColor, std::nullopt};
        const double fy = frame.ys.fraction(position.y);
        if (fy >= 0 && fy <= 1)
            c.y = std::min(std::round(frame.yPixel(position.y)), double(plot.bottom()));
        visible.push_back(c);
    }

    // Opaque: a translucent fill this tall is slow to draw, on every live frame.
    const QColor halo = blend(plotBackground, Qt::black, 0.6);
    for (const Visible &c : visible) {
        p.fillRect(QRectF(c.x - 1, plot.top(), 3, plot.height()), halo);
        p.fillRect(QRectF(c.x, plot.top(), 1, plot.height()), c.color);
    }

    QFont tagFont = p.font();
    tagFont.setBold(true);
    p.setFont(tagFont);
    const QFontMetricsF fm(tagFont);
    std::vector<QRectF> tags;
    for (const Visible &c : visible) {
        const QStaticText &label = cursorLabel(c.number, tagFont);
        const QSizeF size = label.size();
        const double width = size.width() + 8;
        const double height = fm.height() + 2;
        // Beside the diamond, on its right unless that runs out of the plot; at the top of the
        // line when the cursor's height is off the axis.
        const double top =
            c.y ? fitInto(*c.y + 0.5 - height / 2, height, plot.top() + 2, plot.bottom() - 1)
                : plot.top() + 2;
        const double beside = kDiamondRadius + 3;
        const double left = !c.y                                       ? c.x + 0.5 - width / 2
                            : c.x + beside + width <= plot.right() + 1 ? c.x + 0.5 + beside
                                                                       : c.x + 0.5 - beside - width;
        QRectF tag(fitInto(left, width, plot.left(), plot.right() + 1), top, width, height);
        while (std::any_of(tags.begin(), tags.end(),
                           [&](const QRectF &t) { return t.intersects(tag); }) &&
               tag.bottom() + height < plot.bottom())
            tag.translate(0, height + 2);
        tags.push_back(tag);
        p.setPen(QPen(halo, 1));
        p.setBrush(c.color);
        p.drawRect(tag);
        p.setPen(Qt::black);
        p.drawStaticText(
            QPointF(tag.center().x() - size.width() / 2, tag.center().y() - size.height() / 2),
            label);
    }

    // A diamond at the top or bottom of the axis shows whole, reaching into the margin.
    const int reach = int(std::ceil(kDiamondRadius)) + 1;
    p.setClipRect(plot.adjusted(-reach, -reach, reach, reach));
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const Visible &c : visible) {
        if (!c.y)
            continue;
        const QPointF centre(c.x + 0.5, *c.y + 0.5);
        constexpr double r = kDiamondRadius;
        const QPointF diamond[4] = {centre + QPointF(0, -r), centre + QPointF(r, 0),
                                    centre + QPointF(0, r), centre + QPointF(-r, 0)};
        p.setPen(QPen(halo, 1.5));
        p.setBrush(c.color);
        p.drawPolygon(diamond, 4);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

} // namespace

RtGraph::RtGraph(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

GraphModel &RtGraph::editModel() {
    // Plots and cursors stay inside the plot area (diamonds reach a little beyond it); a change
    // of axes or looks is found in paintEvent, which then repaints the whole graph.
    if (dataArea_.isEmpty())
        update();
    else
        update(dataArea_);
    return model_;
}

void RtGraph::setXMin(double v) {
    editModel().xAxis.min = v;
}
void RtGraph::setXMax(double v) {
    editModel().xAxis.max = v;
}
void RtGraph::setYMin(double v) {
    editModel().yAxis.min = v;
}
void RtGraph::setYMax(double v) {
    editModel().yAxis.max = v;
}

void RtGraph::setXLabel(const QString &s) {
    xLabel_ = s;
    update();
}

void RtGraph::setYLabel(const QString &s) {
    yLabel_ = s;
    update();
}

void RtGraph::setPlotBackground(const QColor &c) {
    plotBackground_ = c;
    update();
}

void RtGraph::setCursorColor(const QColor &c) {
    cursorColor_ = c;
    update();
}

QSize RtGraph::sizeHint() const {
    return {480, 260};
}

QSize RtGraph::minimumSizeHint() const {
    return {160, 100};
}

// The key holds everything the background depends on; while it stays, the layout (which
// measures every tick label) and the pixmap are reused.
QString RtGraph::backgroundKey() const {
    return QString("%1x%2@%3 %4 %5 %6 %7|%8|%9|%10 %11 %12 %13")
        .arg(width())
        .arg(height())
        .arg(devicePixelRatioF())
        .arg(model_.xAxis.min)
        .arg(model_.xAxis.max)
        .arg(model_.yAxis.min)
        .arg(model_.yAxis.max)
        .arg(xLabel_, yLabel_, font().toString())
        .arg(palette().color(QPalette::Window).rgba())
        .arg(palette().color(QPalette::WindowText).rgba())
        .arg(plotBackground_.rgba());
}

void RtGraph::paintEvent(QPaintEvent *event) {
    ++paintCount_;
    QPainter p(this);
    const QString key = backgroundKey();
    if (key != backgroundKey_) {
        if (!renderBackground()) {
            backgroundKey_.clear();
            p.fillRect(rect(), palette().color(QPalette::Window));
            p.fillRect(rect().adjusted(1, 1, -1, -1), plotBackground_);
            return;
        }
        // A repaint of the data area found the background changed: the rest follows.
        if (!event->rect().contains(rect()))
            update();
        backgroundKey_ = key;
    }
    const Frame frame{{model_.xAxis.min, model_.xAxis.max},
                      {model_.yAxis.min, model_.yAxis.max},
                      QRectF(plotArea_)};
    p.drawPixmap(0, 0, background_);
    p.setClipRect(plotArea_);
    for (const GraphPlot &plot : model_.plots) {
        if (plot.kind == GraphPlot::Rectangle)
            drawRectangle(p, frame, plot);
        else
            drawCurve(p, frame, plot);
    }
    drawCursors(p, frame, plotArea_, model_.cursors, cursorColor_, plotBackground_);
}

// Lays out the plot area and draws background, grid and axes into the pixmap; false when the
// widget is too small for a plot area.
bool RtGraph::renderBackground() {
    const Span xs{model_.xAxis.min, model_.xAxis.max};
    const Span ys{model_.yAxis.min, model_.yAxis.max};
    const auto layout =
        layoutFor(rect(), QFontMetricsF(font()), xs, ys, !xLabel_.isEmpty(), !yLabel_.isEmpty());
    if (!layout)
        return false;
    const QColor window = palette().color(QPalette::Window);
    const Frame frame{xs, ys, QRectF(layout->plot)};
    plotArea_ = layout->plot;
    dataArea_ =
        layout->plot.adjusted(-kDataAreaReach, -kDataAreaReach, kDataAreaReach, kDataAreaReach);
    background_ = QPixmap(size() * devicePixelRatioF());
    background_.setDevicePixelRatio(devicePixelRatioF());
    QPainter bp(&background_);
    bp.fillRect(rect(), window);
    bp.setBackground(window);
    bp.fillRect(layout->plot, plotBackground_);
    drawGrid(bp, frame, *layout, blend(plotBackground_, Qt::white, 0.12));
    bp.setFont(font());
    drawAxes(bp, frame, *layout, rect(), xLabel_, yLabel_, palette().color(QPalette::WindowText));
    return true;
}
