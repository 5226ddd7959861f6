// SPDX-License-Identifier: GPL-3.0-or-later
#include "graph_widget.h"

#include <QCoreApplication>
#include <QFontMetricsF>
#include <QLineF>
#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>
#include <QRegion>
#include <QStaticText>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

namespace {

QEvent::Type modelChangedEvent() {
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

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

// A cursor as drawn: a line over the full plot height, a diamond at the cursor's height when
// that lies on the axis, and a tag with the cursor's number beside it.
struct CursorShape {
    int number;
    double x; // left edge of the line's pixel column
    QColor color;
    std::optional<double> y;
    QRectF tag;
    bool operator==(const CursorShape &) const = default;
};

constexpr double kHaloWidth = 1.5;

// Every pixel a cursor may touch.
QRect boundsOf(const CursorShape &c, const QRect &plot) {
    QRectF bounds(c.x - 1, plot.top(), 3, plot.height());
    bounds |= c.tag.adjusted(-1, -1, 1, 1);
    if (c.y) {
        const double reach = kDiamondRadius + kHaloWidth;
        bounds |= QRectF(c.x + 0.5 - reach, *c.y + 0.5 - reach, 2 * reach, 2 * reach);
    }
    return bounds.toAlignedRect().adjusted(-1, -1, 1, 1);
}

// The cursors' tags are set in the bold face of the graph's font. Made once for a font: a new
// bold font finds its glyphs and measures anew, on every live frame.
struct TagFont {
    QFont font;
    double height = 0;
};

const TagFont &tagFontOf(const QFont &base) {
    static QFont madeFor;
    static TagFont tag;
    if (tag.height == 0 || madeFor != base) {
        madeFor = base;
        tag.font = base;
        tag.font.setBold(true);
        tag.height = QFontMetricsF(tag.font).height();
    }
    return tag;
}

// Where the cursors go. Tags sit beside the diamond, on its right unless that runs out of the
// plot, at the top of the line when the cursor's height is off the axis; tags that would
// overlap move down a row.
std::vector<CursorShape> layoutCursors(const Frame &frame, const QRect &plot,
                                       const std::map<int, GraphPoint> &cursors,
                                       const QColor &firstColor, const TagFont &tagFont) {
    std::vector<CursorShape> shapes;
    for (const auto &[number, position] : cursors) {
        const double fx = frame.xs.fraction(position.x);
        if (!(fx >= 0 && fx <= 1))
            continue;
        // The axis maximum falls on the plot's last pixel row or column, not just past it.
        CursorShape c{number,
                      std::min(std::round(frame.xPixel(position.x)), double(plot.right())),
                      number == 1 ? firstColor : kSecondaryCursorColor,
                      std::nullopt,
                      {}};
        const double fy = frame.ys.fraction(position.y);
        if (fy >= 0 && fy <= 1)
            c.y = std::min(std::round(frame.yPixel(position.y)), double(plot.bottom()));
        const double width = cursorLabel(number, tagFont.font).size().width() + 8;
        const double height = tagFont.height + 2;
        const double top =
            c.y ? fitInto(*c.y + 0.5 - height / 2, height, plot.top() + 2, plot.bottom() - 1)
                : plot.top() + 2;
        const double beside = kDiamondRadius + 3;
        const double left = !c.y                                       ? c.x + 0.5 - width / 2
                            : c.x + beside + width <= plot.right() + 1 ? c.x + 0.5 + beside
                                                                       : c.x + 0.5 - beside - width;
        c.tag = QRectF(fitInto(left, width, plot.left(), plot.right() + 1), top, width, height);
        while (std::any_of(shapes.begin(), shapes.end(),
                           [&](const CursorShape &s) { return s.tag.intersects(c.tag); }) &&
               c.tag.bottom() + height < plot.bottom())
            c.tag.translate(0, height + 2);
        shapes.push_back(c);
    }
    return shapes;
}

// Cursors over the plots: the line with a dark halo, so that it stands out over any fill, then
// the tags, then the diamonds on top, as they mark the data.
void drawCursors(QPainter &p, const QRect &plot, const std::vector<CursorShape> &cursors,
                 const QColor &plotBackground) {
    // Opaque: a translucent fill this tall is slow to draw, on every live frame.
    const QColor halo = blend(plotBackground, Qt::black, 0.6);
    for (const CursorShape &c : cursors) {
        p.fillRect(QRectF(c.x - 1, plot.top(), 3, plot.height()), halo);
        p.fillRect(QRectF(c.x, plot.top(), 1, plot.height()), c.color);
    }

    const QFont &tagFont = tagFontOf(p.font()).font;
    p.setFont(tagFont);
    for (const CursorShape &c : cursors) {
        const QStaticText &label = cursorLabel(c.number, tagFont);
        const QSizeF size = label.size();
        p.setPen(QPen(halo, 1));
        p.setBrush(c.color);
        p.drawRect(c.tag);
        p.setPen(Qt::black);
        p.drawStaticText(
            QPointF(c.tag.center().x() - size.width() / 2, c.tag.center().y() - size.height() / 2),
            label);
    }

    // A diamond at the top or bottom of the axis shows whole, reaching into the margin.
    const int reach = int(std::ceil(kDiamondRadius)) + 1;
    p.setClipRect(plot.adjusted(-reach, -reach, reach, reach));
    p.setRenderHint(QPainter::Antialiasing, true);
    for (const CursorShape &c : cursors) {
        if (!c.y)
            continue;
        const QPointF centre(c.x + 0.5, *c.y + 0.5);
        constexpr double r = kDiamondRadius;
        const QPointF diamond[4] = {centre + QPointF(0, -r), centre + QPointF(r, 0),
                                    centre + QPointF(0, r), centre + QPointF(-r, 0)};
        p.setPen(QPen(halo, kHaloWidth));
        p.setBrush(c.color);
        p.drawPolygon(diamond, 4);
    }
    p.setRenderHint(QPainter::Antialiasing, false);
}

// A plot as drawn, in pixels.
struct PlotShape {
    GraphPlot plot;
    QRect outer; // every pixel it may touch
    QRect inner; // pixels it surely fills (a rectangle's)
};

PlotShape shapeOf(const Frame &frame, const GraphPlot &plot) {
    PlotShape shape{plot, {}, {}};
    if (plot.kind == GraphPlot::Rectangle) {
        const QRectF r =
            QRectF(frame.toPixel(plot.points[0]), frame.toPixel(plot.points[1])).normalized();
        shape.outer = r.toAlignedRect().adjusted(-1, -1, 2, 2);
        shape.inner =
            QRect(QPoint(int(std::ceil(r.left())) + 1, int(std::ceil(r.top())) + 1),
                  QPoint(int(std::floor(r.right())) - 2, int(std::floor(r.bottom())) - 2));
        return shape;
    }
    QRectF bounds;
    for (const GraphPoint &point : plot.points)
        bounds |= QRectF(frame.toPixel(point), QSizeF(0, 0));
    const QRectF area = frame.plot.adjusted(-kCurveReach, -kCurveReach, kCurveReach, kCurveReach);
    shape.outer = (bounds & area).toAlignedRect().adjusted(-2, -2, 2, 2);
    return shape;
}

bool samePlot(const GraphPlot &a, const GraphPlot &b) {
    return a.kind == b.kind && a.color == b.color && a.fillColor == b.fillColor &&
           std::equal(
               a.points.begin(), a.points.end(), b.points.begin(), b.points.end(),
               [](const GraphPoint &p, const GraphPoint &q) { return p.x == q.x && p.y == q.y; });
}

} // namespace

// The graph's items where they land in pixels.
struct RtGraph::Scene {
    std::vector<PlotShape> plots;
    std::vector<CursorShape> cursors;
};

namespace {

// The pixels that differ between two scenes, or more. A rectangle of the same colours that
// moved changes only where one covers what the other does not; anything else changes
// wherever it was or is.
QRegion changedBetween(const RtGraph::Scene &was, const RtGraph::Scene &is, const QRect &plot) {
    QRegion changed;
    const bool samePlots = was.plots.size() == is.plots.size() &&
                           std::equal(was.plots.begin(), was.plots.end(), is.plots.begin(),
                                      [](const PlotShape &a, const PlotShape &b) {
                                          return a.plot.kind == b.plot.kind &&
                                                 a.plot.color == b.plot.color &&
                                                 a.plot.fillColor == b.plot.fillColor;
                                      });
    for (std::size_t i = 0; i < std::max(was.plots.size(), is.plots.size()); ++i) {
        const PlotShape *a = i < was.plots.size() ? &was.plots[i] : nullptr;
        const PlotShape *b = i < is.plots.size() ? &is.plots[i] : nullptr;
        if (samePlots && samePlot(a->plot, b->plot))
            continue;
        if (samePlots && a->plot.kind == GraphPlot::Rectangle) {
            changed += QRegion(a->outer) - QRegion(b->inner);
            changed += QRegion(b->outer) - QRegion(a->inner);
            continue;
        }
        if (a)
            changed += a->outer;
        if (b)
            changed += b->outer;
    }
    auto find = [](const std::vector<CursorShape> &in, int number) -> const CursorShape * {
        for (const CursorShape &c : in)
            if (c.number == number)
                return &c;
        return nullptr;
    };
    for (const auto *side : {&was.cursors, &is.cursors})
        for (const CursorShape &c : *side) {
            const CursorShape *other =
                find(side == &was.cursors ? is.cursors : was.cursors, c.number);
            if (!other || !(*other == c))
                changed += boundsOf(c, plot);
        }
    return changed;
}

} // namespace

RtGraph::RtGraph(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

RtGraph::~RtGraph() = default;

// The changes of one batch of edits are weighed once, when the event loop takes up the event
// posted here; Qt's repaint request for them comes after it.
GraphModel &RtGraph::editModel() {
    if (!changePosted_) {
        changePosted_ = true;
        QCoreApplication::postEvent(this, new QEvent(modelChangedEvent()));
    }
    return model_;
}

bool RtGraph::event(QEvent *event) {
    if (event->type() != modelChangedEvent())
        return QWidget::event(event);
    changePosted_ = false;
    repaintChanges();
    return true;
}

RtGraph::Scene RtGraph::sceneOfModel() const {
    const Frame frame{{model_.xAxis.min, model_.xAxis.max},
                      {model_.yAxis.min, model_.yAxis.max},
                      QRectF(plotArea_)};
    Scene scene;
    for (const GraphPlot &plot : model_.plots)
        scene.plots.push_back(shapeOf(frame, plot));
    scene.cursors =
        layoutCursors(frame, plotArea_, model_.cursors, cursorColor_, tagFontOf(font()));
    return scene;
}

// Every pixel that changed lies in the difference between the scene asked for last and this
// one: Qt gathers the differences of all changes until it paints, so the picture is right
// even when it paints only after several. A change of axes, size or looks lays the
// background out anew and repaints the whole graph, in paintEvent.
void RtGraph::repaintChanges() {
    if (dataArea_.isEmpty() || backgroundKey() != backgroundKey_) {
        scheduled_.reset();
        update();
        return;
    }
    auto next = std::make_unique<Scene>(sceneOfModel());
    if (scheduled_)
        update(changedBetween(*scheduled_, *next, plotArea_) & dataArea_);
    else
        update(dataArea_);
    scheduled_ = std::move(next);
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
    scheduled_.reset();
    update();
}

QSize RtGraph::sizeHint() const {
    return {480, 260};
}

QSize RtGraph::minimumSizeHint() const {
    return {160, 100};
}

bool RtGraph::BackgroundKey::operator==(const BackgroundKey &other) const {
    const auto same = [](const GraphAxis &a, const GraphAxis &b) {
        return a.min == b.min && a.max == b.max;
    };
    return size == other.size && pixelRatio == other.pixelRatio && same(xAxis, other.xAxis) &&
           same(yAxis, other.yAxis) && xLabel == other.xLabel && yLabel == other.yLabel &&
           font == other.font && window == other.window && text == other.text && plot == other.plot;
}

// While the key stays, the layout (which measures every tick label) and the pixmap are reused.
RtGraph::BackgroundKey RtGraph::backgroundKey() const {
    return {size(),
            devicePixelRatioF(),
            model_.xAxis,
            model_.yAxis,
            xLabel_,
            yLabel_,
            font(),
            palette().color(QPalette::Window).rgba(),
            palette().color(QPalette::WindowText).rgba(),
            plotBackground_.rgba()};
}

void RtGraph::paintEvent(QPaintEvent *event) {
    ++paintCount_;
    QPainter p(this);
    const BackgroundKey key = backgroundKey();
    if (key != backgroundKey_) {
        if (!renderBackground()) {
            backgroundKey_.reset();
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
    drawCursors(p, plotArea_,
                layoutCursors(frame, plotArea_, model_.cursors, cursorColor_, tagFontOf(p.font())),
                plotBackground_);
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
