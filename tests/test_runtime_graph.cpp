// SPDX-License-Identifier: GPL-3.0-or-later
// Graph control: where it draws, what it cuts at the plot area, repaint coalescing, and the
// graph functions that edit it through panel and control numbers.

#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "runtime/widgets/graph_widget.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QScreen>
#include <QtTest>

#include <cstdint>
#include <limits>

namespace {

constexpr int kGraph = 5;
constexpr int kNotAGraph = 6;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
const QColor kRed(0xFF, 0, 0);
const QColor kGreen(0, 0xFF, 0);

QImage grabLogical(RtGraph &graph) {
    const QImage image = graph.grab().toImage().convertToFormat(QImage::Format_RGB32);
    return image.size() == graph.size() ? image : image.scaled(graph.size());
}

// A grabbed graph with a map from graph coordinates to its pixels. The plot area is found in a
// grab of the same graph emptied: the bounding box of the plot background, plus the grid lines
// of the axis ends on its outermost pixels (the graphs here have ticks at both ends).
struct Picture {
    QImage image;
    QRect area;
    GraphAxis x, y;

    explicit Picture(RtGraph &graph) : x(graph.model().xAxis), y(graph.model().yAxis) {
        const GraphModel saved = graph.model();
        graph.editModel().plots.clear();
        graph.editModel().cursors.clear();
        const QImage empty = grabLogical(graph);
        for (int row = 0; row < empty.height(); ++row)
            for (int col = 0; col < empty.width(); ++col)
                if (empty.pixelColor(col, row) == graph.plotBackground())
                    area |= QRect(col, row, 1, 1);
        area.adjust(-1, -1, 1, 1);
        graph.editModel() = saved;
        image = grabLogical(graph);
    }
    QPoint at(double vx, double vy) const {
        const double fx = (vx - x.min) / (x.max - x.min);
        const double fy = (vy - y.min) / (y.max - y.min);
        return {std::min(area.left() + int(std::lround(fx * area.width())), area.right()),
                std::min(area.top() + int(std::lround((1 - fy) * area.height())), area.bottom())};
    }
    QColor color(double vx, double vy) const { return image.pixelColor(at(vx, vy)); }
    // Whether a pixel within `radius` of the point, along a row or a column, passes `test`.
    template <class Test>
    bool near(double vx, double vy, int radius, bool alongColumn, Test test) const {
        for (int d = -radius; d <= radius; ++d) {
            const QPoint q = at(vx, vy) + (alongColumn ? QPoint(0, d) : QPoint(d, 0));
            if (image.rect().contains(q) && test(image.pixelColor(q)))
                return true;
        }
        return false;
    }
};

RtGraph *mainGraph(RtGraph &graph, int width, int height) {
    graph.resize(width, height);
    graph.editModel().xAxis = {0, 1024};
    graph.editModel().yAxis = {0, 1};
    return &graph;
}

GraphPlot rectangle(double x1, double y1, double x2, double y2, int rgb) {
    return {GraphPlot::Rectangle, {{x1, y1}, {x2, y2}}, rgb, rgb};
}

bool bright(const QColor &c) {
    return c.lightness() > 150;
}
bool reddish(const QColor &c) {
    return c.red() > 200 && c.green() < 80;
}
bool greenish(const QColor &c) {
    return c.green() > 200 && c.red() < 80;
}

} // namespace

class TestRuntimeGraph : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void init();

    void editsBetweenPaintsCostOnePaint();
    void framesRepaintedInPartsLeaveTheWholePicture();
    void drawsItemsInPlaceClippedWithCursorsOnTop();
    void samplesAboveTheAxisAreCutAtThePlotArea();

    void plotXYKeepsTheSamples();
    void badArgumentsFailAndChangeNothing();
    void deletionKeepsCursors();
    void axisRangesAndOneRepaintForManyCalls();

  private:
    RtGraph *panelGraph() const { return qobject_cast<RtGraph *>(rtControlWidget(panel_, kGraph)); }
    const GraphModel &panelModel() const { return *GetGraphModel(panel_, kGraph); }

    int panel_ = 0;
};

void TestRuntimeGraph::initTestCase() {
    panel_ = LoadPanel(0, "graph_panel.uir", 1);
    QVERIFY2(panel_ > 0, qPrintable(QString("LoadPanel returned %1").arg(panel_)));
    QVERIFY(panelGraph());
}

void TestRuntimeGraph::init() {
    if (RtGraph *graph = panelGraph()) {
        graph->editModel().plots.clear();
        graph->editModel().cursors.clear();
    }
}

void TestRuntimeGraph::editsBetweenPaintsCostOnePaint() {
    RtGraph graph;
    graph.resize(400, 200);
    graph.show();
    QVERIFY(QTest::qWaitForWindowExposed(&graph));
    QTest::qWait(20);
    const int before = graph.paintCount();
    QVERIFY(before >= 1);

    for (int i = 0; i < 100; ++i) {
        graph.editModel().plots.push_back(rectangle(i, 0, i + 1, 1, VAL_RED));
        graph.editModel().cursors[1] = {double(i), 0.5};
    }
    graph.setXMax(2048);
    graph.setCursorColor(Qt::magenta);
    QCoreApplication::processEvents();
    QCOMPARE(graph.paintCount(), before + 1);
    QCoreApplication::processEvents();
    QCOMPARE(graph.paintCount(), before + 1);
}

// Live frames as the tool draws them, edges moving a little or far, rectangles coming and going,
// cursors crossing one another and the axis's end: after each, what the screen shows is what a
// whole drawing of the graph shows, though only what changed was repainted.
void TestRuntimeGraph::framesRepaintedInPartsLeaveTheWholePicture() {
    RtGraph graph;
    mainGraph(graph, 640, 320);
    graph.show();
    QVERIFY(QTest::qWaitForWindowExposed(&graph));
    QTest::qWait(20);
    const auto onScreen = [&] {
        return graph.screen()
            ->grabWindow(graph.winId())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    const auto whole = [&] { return graph.grab().toImage().convertToFormat(QImage::Format_RGB32); };
    QRandomGenerator random(29);
    double left = 300, right = 700;
    for (int frame = 0; frame < 60; ++frame) {
        const bool jump = frame % 10 == 9;
        left = std::clamp(left + (jump ? random.bounded(-200, 200) : random.bounded(-3, 4)), 0.0,
                          1024.0);
        right = std::clamp(right + (jump ? random.bounded(-200, 200) : random.bounded(-3, 4)), 0.0,
                           1024.0);
        GraphModel &model = graph.editModel();
        model.plots.clear();
        model.cursors[1] = {(left + right) / 2, frame % 7 == 6 ? 2.0 : 0.75};
        model.cursors[2] = {left + 20, 0.75};
        model.cursors[3] = {frame % 5 == 4 ? 1024.0 : right - 20, 0.75};
        model.plots.push_back(rectangle(0, 0.25, left, 1.0, VAL_RED));
        if (frame % 4 != 3)
            model.plots.push_back(rectangle(right, 0.25, 1024, 1.0, VAL_RED));
        model.plots.push_back(rectangle(left - 40, 0, left + 40, 0.25, VAL_GREEN));
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(onScreen(), whole());
    }
}

void TestRuntimeGraph::drawsItemsInPlaceClippedWithCursorsOnTop() {
    RtGraph graph;
    mainGraph(graph, 640, 320)->editModel().plots = {
        rectangle(100, 0.25, 500, 1.0, VAL_RED), rectangle(600, 0, 700, 0.25, VAL_GREEN),
        rectangle(900, 0.25, 66000, 3.0, VAL_RED), rectangle(-1024, -2, -10, 0.5, VAL_GREEN),
        rectangle(-300, 0, 50, 0.25, VAL_GREEN)};
    graph.editModel().cursors = {
        {1, {300, 0.75}}, {2, {800, 0.75}}, {3, {850, 0.75}}, {4, {1500, 0.5}}, {5, {-3, 0.5}}};
    const Picture pic(graph);
    QVERIFY(pic.area.width() > 400 && pic.area.height() > 200);

    QCOMPARE(pic.color(200, 0.6), kRed);
    QCOMPARE(pic.color(480, 0.3), kRed);
    QCOMPARE(pic.color(1000, 0.9), kRed);
    QCOMPARE(pic.color(650, 0.1), kGreen);
    QCOMPARE(pic.color(550, 0.6), graph.plotBackground());
    QCOMPARE(pic.color(20, 0.2), kGreen);
    QCOMPARE(pic.color(20, 0.4), graph.plotBackground());

    // Cursor 1 crosses the red rectangle in its own colour over the full height; the others
    // show in a bright colour that differs from it.
    const auto first = [&](const QColor &c) { return c == graph.cursorColor(); };
    for (double y : {0.05, 0.4, 0.95})
        QVERIFY2(pic.near(300, y, 2, false, first), qPrintable(QString("at height %1").arg(y)));
    QVERIFY(!pic.near(800, 0.4, 2, false, first));
    QVERIFY(bright(pic.color(800, 0.4)));
    QVERIFY(bright(pic.color(850, 0.4)));
    QVERIFY(!pic.near(825, 0.4, 8, false, bright));

    // Nothing leaks out of the plot: not the rectangles, not cursors 4 and 5 beyond the axis.
    const QColor second = pic.image.pixelColor(pic.at(800, 0.4));
    int outside = 0;
    for (int row = 0; row < pic.image.height(); ++row)
        for (int col = 0; col < pic.image.width(); ++col) {
            const QColor c = pic.image.pixelColor(col, row);
            outside += !pic.area.adjusted(-1, -1, 1, 1).contains(col, row) &&
                       (c == kRed || c == kGreen || first(c) || c == second);
        }
    QCOMPARE(outside, 0);

    // Too small for axes, the graph still shows its plot background.
    graph.resize(12, 8);
    QCOMPARE(grabLogical(graph).pixelColor(6, 4), graph.plotBackground());
}

void TestRuntimeGraph::samplesAboveTheAxisAreCutAtThePlotArea() {
    // Video samples on a 0..1023 axis: every other one at 200 and at the largest value, some 60
    // plot heights above the axis, then all of them up there; stroking such spikes whole takes
    // the painter many seconds. Over them a green line whose far end lies past both axes: cut
    // right, it leaves the top near x = 825 and passes (412, 611).
    std::vector<GraphPoint> samples;
    for (int x = 0; x <= 1024; x += 4) {
        const bool high = x >= 960 || x % 8 == 4;
        samples.push_back({double(x), high ? 65535.0 : 200.0});
    }
    RtGraph graph;
    graph.resize(600, 300);
    graph.editModel().xAxis = {0, 1024};
    graph.editModel().yAxis = {0, 1023};
    graph.editModel().plots = {
        {GraphPlot::Curve, samples, VAL_RED, VAL_RED},
        {GraphPlot::Curve, {{0, 200}, {65535, 65535}}, VAL_GREEN, VAL_GREEN}};

    QElapsedTimer timer;
    timer.start();
    const Picture pic(graph);
    QVERIFY2(timer.elapsed() < 1500, qPrintable(QString("%1 ms").arg(timer.elapsed())));
    QVERIFY(pic.near(128, 200, 2, true, reddish));
    QVERIFY(!pic.near(990, 1023, 3, true, reddish)); // nothing runs along the top edge
    QVERIFY(pic.near(412, 611, 2, true, greenish));
    QVERIFY(!pic.near(412, 530, 4, true, greenish));
    int outside = 0;
    for (int row = 0; row < pic.image.height(); ++row)
        for (int col = 0; col < pic.image.width(); ++col) {
            const QColor c = pic.image.pixelColor(col, row);
            outside +=
                !pic.area.adjusted(-1, -1, 1, 1).contains(col, row) && (reddish(c) || greenish(c));
        }
    QCOMPARE(outside, 0);
}

void TestRuntimeGraph::plotXYKeepsTheSamples() {
    const std::uint16_t xs[] = {0, 1023, 65535};
    const std::uint16_t ys[] = {7, 65535, 9};
    QCOMPARE(PlotXY(panel_, kGraph, xs, ys, 3, VAL_UNSIGNED_SHORT_INTEGER,
                    VAL_UNSIGNED_SHORT_INTEGER, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED),
             1);
    const std::vector<GraphPlot> &plots = panelModel().plots;
    QCOMPARE(plots.size(), std::size_t(1));
    QVERIFY(plots[0].kind == GraphPlot::Curve);
    QCOMPARE(plots[0].color, int(VAL_RED));
    QCOMPARE(plots[0].points.size(), std::size_t(3));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(plots[0].points[i].x, double(xs[i]));
        QCOMPARE(plots[0].points[i].y, double(ys[i]));
    }
}

void TestRuntimeGraph::badArgumentsFailAndChangeNothing() {
    const std::uint16_t d[4] = {1, 2, 3, 4};
    const auto plot = [&](int panel, int control, const void *x, const void *y, int n, int xType,
                          int yType) {
        return PlotXY(panel, control, x, y, n, xType, yType, VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID,
                      1, VAL_RED);
    };
    constexpr int kU16 = VAL_UNSIGNED_SHORT_INTEGER;
    QVERIFY(plot(panel_, kGraph, d, d, 4, VAL_UNSIGNED_INTEGER, kU16) < 0);
    QVERIFY(plot(panel_, kGraph, d, d, 4, kU16, 3) < 0);
    QVERIFY(plot(panel_, kGraph, d, d, -1, kU16, kU16) < 0);
    QVERIFY(plot(panel_, kGraph, nullptr, d, 4, kU16, kU16) < 0);
    QVERIFY(plot(panel_, kGraph, d, nullptr, 4, kU16, kU16) < 0);
    QVERIFY(plot(panel_, kNotAGraph, d, d, 4, kU16, kU16) < 0);
    QVERIFY(plot(panel_, 99, d, d, 4, kU16, kU16) < 0);
    QVERIFY(plot(panel_ + 100, kGraph, d, d, 4, kU16, kU16) < 0);
    QVERIFY(PlotRectangle(panel_, kNotAGraph, 0, 0, 1, 1, VAL_RED, VAL_RED) < 0);
    QVERIFY(SetGraphCursor(panel_, kNotAGraph, 1, 0, 0) < 0);
    QVERIFY(SetGraphCursor(panel_, kGraph, 0, 0, 0) < 0);
    QVERIFY(DeleteGraphPlot(panel_, kNotAGraph, -1, VAL_DELAYED_DRAW) < 0);
    QVERIFY(SetAxisScalingMode(panel_, kNotAGraph, VAL_XAXIS, VAL_MANUAL, 0, 1) < 0);
    QVERIFY(GetGraphModel(panel_, kNotAGraph) == nullptr);
    QVERIFY(GetGraphModel(panel_, 99) == nullptr);
    QVERIFY(panelModel().plots.empty() && panelModel().cursors.empty());

    QVERIFY(plot(panel_, kGraph, d, d, 0, kU16, kU16) > 0); // an empty curve is a plot
    QCOMPARE(panelModel().plots.size(), std::size_t(1));
}

void TestRuntimeGraph::deletionKeepsCursors() {
    const int a = PlotRectangle(panel_, kGraph, 100, 0.25, 0, 1.0, VAL_RED, VAL_RED);
    const int b = PlotRectangle(panel_, kGraph, 500, 0, 700, 0.25, VAL_GREEN, VAL_GRAY);
    for (int n = 1; n <= 3; ++n)
        QCOMPARE(SetGraphCursor(panel_, kGraph, n, 100.0 * n, 0.75), 0);
    QCOMPARE(SetGraphCursor(panel_, kGraph, 2, 310, 1.0), 0);
    const GraphModel &model = panelModel();
    QVERIFY(a > 0 && b > 0 && a != b);
    QVERIFY(model.plots[1].kind == GraphPlot::Rectangle);
    QCOMPARE(model.plots[1].fillColor, int(VAL_GRAY));
    QCOMPARE(model.plots[0].points[1].x, 0.0); // corners kept as given

    QVERIFY(DeleteGraphPlot(panel_, kGraph, a, VAL_DELAYED_DRAW) < 0);
    QCOMPARE(model.plots.size(), std::size_t(2));
    QCOMPARE(DeleteGraphPlot(panel_, kGraph, -1, VAL_IMMEDIATE_DRAW), 0);
    QVERIFY(model.plots.empty());
    QCOMPARE(model.cursors.size(), std::size_t(3));
    QCOMPARE(model.cursors.at(2).x, 310.0);
    QCOMPARE(model.cursors.at(2).y, 1.0);
}

void TestRuntimeGraph::axisRangesAndOneRepaintForManyCalls() {
    const GraphModel &model = panelModel();
    QCOMPARE(model.xAxis.max, 1024.0); // from the panel file
    QCOMPARE(SetAxisScalingMode(panel_, kGraph, VAL_XAXIS, VAL_MANUAL, 768, 1024), 0);
    QCOMPARE(SetAxisScalingMode(panel_, kGraph, VAL_LEFT_YAXIS, VAL_MANUAL, 0, 1023), 0);
    QVERIFY(SetAxisScalingMode(panel_, kGraph, 2, VAL_MANUAL, 0, 1) < 0);
    QVERIFY(SetAxisScalingMode(panel_, kGraph, VAL_XAXIS, 1, 0, 1) < 0);
    QVERIFY(SetAxisScalingMode(panel_, kGraph, VAL_XAXIS, VAL_MANUAL, 5, 5) < 0);
    QVERIFY(SetAxisScalingMode(panel_, kGraph, VAL_XAXIS, VAL_MANUAL, 9, 1) < 0);
    QVERIFY(SetAxisScalingMode(panel_, kGraph, VAL_LEFT_YAXIS, VAL_MANUAL, kNaN, 1) < 0);
    QCOMPARE(model.xAxis.min, 768.0);
    QCOMPARE(model.xAxis.max, 1024.0);
    QCOMPARE(model.yAxis.min, 0.0);
    QCOMPARE(model.yAxis.max, 1023.0);

    QVERIFY(DisplayPanel(panel_) >= 0);
    RtGraph *graph = panelGraph();
    QVERIFY(QTest::qWaitForWindowExposed(graph->window()));
    QTest::qWait(20);
    const int before = graph->paintCount();
    std::uint16_t xs[256], ys[256];
    for (int i = 0; i < 256; ++i) {
        xs[i] = std::uint16_t(4 * i);
        ys[i] = std::uint16_t(3 * i);
    }
    for (int pass = 0; pass < 20; ++pass) {
        SetAxisScalingMode(panel_, kGraph, VAL_XAXIS, VAL_MANUAL, 1, 1024);
        DeleteGraphPlot(panel_, kGraph, -1, VAL_IMMEDIATE_DRAW);
        PlotXY(panel_, kGraph, xs, ys, 256, VAL_UNSIGNED_SHORT_INTEGER, VAL_UNSIGNED_SHORT_INTEGER,
               VAL_THIN_LINE, VAL_NO_POINT, VAL_SOLID, 1, VAL_RED);
        PlotRectangle(panel_, kGraph, 0, 0, 100, 0.25, VAL_GREEN, VAL_GREEN);
        SetGraphCursor(panel_, kGraph, 1, pass, 0.75);
    }
    // One pass weighs the changes, the next paints them.
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
    QCOMPARE(graph->paintCount(), before + 1);
    QCOMPARE(model.plots.size(), std::size_t(2));
    HidePanel(panel_);
}

QTEST_MAIN(TestRuntimeGraph)
#include "test_runtime_graph.moc"
