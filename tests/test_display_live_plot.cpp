// SPDX-License-Identifier: GPL-3.0-or-later
// The live picture: one frame from the sensor drawn on the main graph and shown on the live
// indicators, read back from the graph model and the indicator controls.

#include "app/VidaREZezad11.h"
#include "display/live_plot.h"
#include "display/markers.h"
#include "link/protocol.h"
#include "params/params.h"
#include "params/units.h"
#include "runtime/graph_model.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QDir>
#include <QImage>
#include <QWidget>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

struct LiveFrame {
    unsigned short first = 301, second = 500, third = 240, teach = 100, tolerance = 20;
    unsigned short windowStart = 0, edges = 2, compareStart = 0, compareEnd = 0;
};

void plot(const LiveFrame &f) {
    std::fill(std::begin(pp), std::end(pp), 0xBEEF);
    pp[LIVE_EDGE1] = f.first;
    pp[LIVE_EDGE2] = f.second;
    pp[LIVE_VALUE3] = f.third;
    pp[LIVE_TVAL] = f.teach;
    pp[LIVE_TTOL] = f.tolerance;
    pp[LIVE_PIX1] = f.windowStart;
    pp[LIVE_EDCNT] = f.edges;
    pp[LIVE_MVSTART] = f.compareStart;
    pp[LIVE_MVEND] = f.compareEnd;
    PlotRAWValues();
}

const GraphModel &mainGraph() {
    return *GetGraphModel(panelHandle, MAIN_MAINGRAPH);
}

// The rectangles of one colour in drawing order, as "[x1,x2] [x1,x2]".
QString spans(int color) {
    QStringList out;
    for (const GraphPlot &p : mainGraph().plots)
        if (p.kind == GraphPlot::Rectangle && p.color == color)
            out << QString("[%1,%2]").arg(p.points[0].x).arg(p.points[1].x);
    return out.join(' ');
}

GraphPoint cursor(int n) {
    return mainGraph().cursors.at(n);
}

// Columns of the image that hold `color` at any height, merged into runs across gaps of at
// most a few pixels (a cursor line may cut a band).
int colourRuns(const QImage &image, QRgb color) {
    int runs = 0, lastCol = -100;
    for (int x = 0; x < image.width(); ++x) {
        bool hit = false;
        for (int y = 0; y < image.height() && !hit; ++y)
            hit = (image.pixel(x, y) & 0xFFFFFF) == color;
        if (!hit)
            continue;
        if (x - lastCol > 4)
            ++runs;
        lastCol = x;
    }
    return runs;
}

} // namespace

class TestDisplayLivePlot : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(StartToolPanels()); }
    void cleanupTestCase() { StopToolPanels(); }
    void init();

    // Marker, bands and scale factor by evaluation mode.
    void evaluationModes_data();
    void evaluationModes();
    void markerIsClampedIntoTheWindow();

    // Window, axis and window cursors by CCD mode.
    void windowByCcdMode_data();
    void windowByCcdMode();

    // Rectangles.
    void edgeZones_data();
    void edgeZones();
    void toleranceBandClamping_data();
    void toleranceBandClamping();
    void eachPassShowsOnlyItsOwnItems();

    // Indicators and the words the frame hands on.
    void pixelsShowTheWordsAndFrameWordsAreKept();
    void micrometres_data();
    void micrometres();
    void lowWordIsDefinedForEveryValue();

    void liveFramesOnScreen();
};

void TestDisplayLivePlot::init() {
    eMode = 0;
    ccdMode = 0;
    pStart = 1;
    eBeg = 200;
    eEnd = 800;
    scaleF = 1.0f;
    SetCtrlVal(panelHandle, MAIN_UNIT, 1);
}

void TestDisplayLivePlot::evaluationModes_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("marker");
    QTest::addColumn<QString>("bands");
    QTest::addColumn<float>("scaleAfter");
    QTest::newRow("0: first edge") << 0 << 301.0 << "[80,120]" << 1.0f;
    QTest::newRow("1: second edge") << 1 << 500.0 << "[80,120]" << 1.0f;
    QTest::newRow("2: midpoint, two bands") << 2 << 400.0 << "[340,360] [440,460]" << 1.5f;
    QTest::newRow("3: midpoint") << 3 << 400.0 << "[80,120]" << 1.0f;
    QTest::newRow("9: as mode 3") << 9 << 400.0 << "[80,120]" << 1.0f;
}

void TestDisplayLivePlot::evaluationModes() {
    QFETCH(int, mode);
    QFETCH(double, marker);
    QFETCH(QString, bands);
    QFETCH(float, scaleAfter);
    eMode = static_cast<unsigned short>(mode);
    scaleF = 1.5f;
    plot({});
    QCOMPARE(cursor(1).x, marker);
    QCOMPARE(cursor(1).y, 0.75);
    QCOMPARE(spans(VAL_GREEN), bands);
    QCOMPARE(spans(VAL_RED), QString("[0,301] [500,1024]"));
    QCOMPARE(scaleF, scaleAfter);
}

void TestDisplayLivePlot::markerIsClampedIntoTheWindow() {
    eMode = 2;
    plot({.first = 0});
    QCOMPARE(cursor(1).x, 1.0);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_FIRSTEDGE), 0);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_SECONDEDGE), 500);

    ccdMode = 1;
    pStart = 100;
    plot({.first = 0});
    QCOMPARE(cursor(1).x, 100.0);

    eMode = 0;
    pStart = 900;
    plot({.first = 100});
    QCOMPARE(cursor(1).x, 768.0);

    eMode = 1;
    pStart = 100;
    plot({.second = 600});
    QCOMPARE(cursor(1).x, 356.0);

    // The distance bands sit around the clamped marker, not the measured one.
    eMode = 2;
    pStart = 500;
    plot({.first = 1000, .second = 1000, .teach = 100, .tolerance = 20});
    QCOMPARE(cursor(1).x, 756.0);
    QCOMPARE(spans(VAL_GREEN), QString("[696,716] [796,816]"));
}

void TestDisplayLivePlot::windowByCcdMode_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("reported");
    QTest::addColumn<double>("axisMin");
    QTest::addColumn<bool>("cursorsFollow");
    QTest::newRow("0: whole line") << 0 << 300 << 500 << 0.0 << true;
    QTest::newRow("1: from pStart") << 1 << 300 << 500 << 300.0 << false;
    QTest::newRow("1: pStart 900 ends at 1024") << 1 << 900 << 0 << 768.0 << false;
    QTest::newRow("1: pStart 768 stays") << 1 << 768 << 0 << 768.0 << false;
    QTest::newRow("1: pStart 769 ends at 1024") << 1 << 769 << 0 << 768.0 << false;
    QTest::newRow("2: reported start") << 2 << 300 << 500 << 500.0 << false;
    QTest::newRow("2: reported 1000 ends at 1024") << 2 << 0 << 1000 << 768.0 << false;
    QTest::newRow("7: whole line") << 7 << 300 << 500 << 0.0 << true;
}

void TestDisplayLivePlot::windowByCcdMode() {
    QFETCH(int, mode);
    QFETCH(int, start);
    QFETCH(int, reported);
    QFETCH(double, axisMin);
    QFETCH(bool, cursorsFollow);
    ccdMode = static_cast<unsigned short>(mode);
    pStart = static_cast<unsigned short>(start);
    SetGraphCursor(panelHandle, MAIN_MAINGRAPH, 2, 11, 1.0);
    SetGraphCursor(panelHandle, MAIN_MAINGRAPH, 3, 22, 1.0);
    plot({.windowStart = static_cast<unsigned short>(reported)});

    QCOMPARE(mainGraph().xAxis.min, axisMin);
    QCOMPARE(mainGraph().xAxis.max, axisMin == 0.0 ? 1024.0 : axisMin + 256);
    QCOMPARE(int(pix1), reported);
    const GraphPoint left = cursor(2), right = cursor(3);
    if (cursorsFollow) {
        QCOMPARE(left.x, double(eBeg));
        QCOMPARE(right.x, double(eEnd));
        QCOMPARE(left.y, 0.75);
        QCOMPARE(right.y, 0.75);
    } else {
        QCOMPARE(left.x, 11.0);
        QCOMPARE(right.x, 22.0);
        QCOMPARE(left.y, 1.0);
    }
}

void TestDisplayLivePlot::edgeZones_data() {
    QTest::addColumn<int>("edges");
    QTest::addColumn<int>("compareStart");
    QTest::addColumn<int>("compareEnd");
    QTest::addColumn<QString>("zones");
    // Window 100 to 356; the second edge lies beyond it and is drawn as received.
    QTest::newRow("no edge: both sides") << 0 << 0 << 0 << "[100,150] [900,356]";
    QTest::newRow("two edges: both sides") << 2 << 0 << 0 << "[100,150] [900,356]";
    QTest::newRow("one edge, rising") << 1 << 10 << 20 << "[150,356]";
    QTest::newRow("one edge, equal") << 1 << 20 << 20 << "[100,150]";
    QTest::newRow("one edge, falling") << 1 << 30 << 20 << "[100,150]";
}

void TestDisplayLivePlot::edgeZones() {
    QFETCH(int, edges);
    QFETCH(int, compareStart);
    QFETCH(int, compareEnd);
    QFETCH(QString, zones);
    ccdMode = 1;
    pStart = 100;
    plot({.first = 150,
          .second = 900,
          .edges = static_cast<unsigned short>(edges),
          .compareStart = static_cast<unsigned short>(compareStart),
          .compareEnd = static_cast<unsigned short>(compareEnd)});
    QCOMPARE(spans(VAL_RED), zones);
}

void TestDisplayLivePlot::toleranceBandClamping_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("edge");
    QTest::addColumn<int>("teach");
    QTest::addColumn<int>("tolerance");
    QTest::addColumn<QString>("bands");
    QTest::newRow("left below 0 becomes 1") << 0 << 300 << 50 << 80 << "[1,130]";
    QTest::newRow("right above 1023 becomes 1024") << 0 << 300 << 1000 << 100 << "[900,1024]";
    QTest::newRow("0 and 1023 stay") << 0 << 300 << 500 << 500 << "[0,1000]";
    QTest::newRow("1023 stays") << 0 << 300 << 1000 << 23 << "[977,1023]";
    QTest::newRow("distance: second band not cut")
        << 2 << 1000 << 100 << 20 << "[940,960] [1040,1060]";
    QTest::newRow("distance: first band cut to 1") << 2 << 55 << 100 << 20 << "[1,15] [95,115]";
    QTest::newRow("distance: odd halves truncate")
        << 2 << 500 << 101 << 21 << "[440,460] [540,560]";
}

void TestDisplayLivePlot::toleranceBandClamping() {
    QFETCH(int, mode);
    QFETCH(int, edge);
    QFETCH(int, teach);
    QFETCH(int, tolerance);
    QFETCH(QString, bands);
    eMode = static_cast<unsigned short>(mode);
    const auto e = static_cast<unsigned short>(edge);
    plot({.first = e,
          .second = e,
          .teach = static_cast<unsigned short>(teach),
          .tolerance = static_cast<unsigned short>(tolerance)});
    QCOMPARE(spans(VAL_GREEN), bands);
}

void TestDisplayLivePlot::eachPassShowsOnlyItsOwnItems() {
    DrawCCDWindowBand();
    eMode = 2;
    plot({});
    eMode = 0;
    plot({.edges = 1, .compareStart = 1, .compareEnd = 2});
    const std::vector<GraphPlot> &plots = mainGraph().plots;
    QCOMPARE(plots.size(), std::size_t(2));
    const GraphPlot &red = plots[0], &green = plots[1];
    QCOMPARE(red.fillColor, VAL_RED);
    QCOMPARE(red.points[0].y, 0.25);
    QCOMPARE(red.points[1].y, 1.0);
    QCOMPARE(green.color, VAL_GREEN);
    QCOMPARE(green.fillColor, VAL_GREEN);
    QCOMPARE(green.points[0].y, 0.0);
    QCOMPARE(green.points[1].y, 0.25);
    QCOMPARE(mainGraph().cursors.size(), std::size_t(3));
}

void TestDisplayLivePlot::pixelsShowTheWordsAndFrameWordsAreKept() {
    tVal = tTol = pix1 = edcnt = mvstart = mvend = 0;
    plot({1023, 2, 777, 512, 100, 640, 1, 33, 44});
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_FIRSTEDGE), 1023);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_SECONDEDGE), 2);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_THIRDVALUE), 777);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_TEACHVALUE), 512);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_TOLERANCE), 100);
    const unsigned short kept[] = {tVal, tTol, pix1, edcnt, mvstart, mvend};
    const unsigned short expected[] = {512, 100, 640, 1, 33, 44};
    QVERIFY(std::equal(std::begin(kept), std::end(kept), std::begin(expected)));
}

void TestDisplayLivePlot::micrometres_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<float>("scale");
    QTest::addColumn<int>("word");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("control");
    QTest::addColumn<int>("shown");
    QTest::newRow("first edge 100") << 0 << 1.0f << 0 << 100 << int(MAIN_FIRSTEDGE) << 780;
    QTest::newRow("tolerance 1") << 0 << 1.0f << 4 << 1 << int(MAIN_TOLERANCE) << 7;
    QTest::newRow("teach 512") << 0 << 1.0f << 3 << 512 << int(MAIN_TEACHVALUE) << 3993;
    QTest::newRow("third value scaled 1.5")
        << 2 << 1.5f << 2 << 100 << int(MAIN_THIRDVALUE) << 1170;
    QTest::newRow("teach scaled 0.7 truncates")
        << 2 << 0.7f << 3 << 100 << int(MAIN_TEACHVALUE) << 545;
    QTest::newRow("mode 0 drops the scale") << 0 << 1.5f << 2 << 100 << int(MAIN_THIRDVALUE) << 780;
    QTest::newRow("second edge never scaled")
        << 2 << 1.5f << 1 << 100 << int(MAIN_SECONDEDGE) << 780;
    QTest::newRow("tolerance never scaled") << 2 << 1.5f << 4 << 100 << int(MAIN_TOLERANCE) << 780;
    // 7800 × 65535 / 1000 = 511173, whose low word is 511173 − 7 × 65536.
    QTest::newRow("large edge keeps its low word")
        << 0 << 1.0f << 0 << 65535 << int(MAIN_FIRSTEDGE) << 52421;
}

void TestDisplayLivePlot::micrometres() {
    QFETCH(int, mode);
    QFETCH(float, scale);
    QFETCH(int, word);
    QFETCH(int, value);
    QFETCH(int, control);
    QFETCH(int, shown);
    eMode = static_cast<unsigned short>(mode);
    scaleF = scale;
    SetCtrlVal(panelHandle, MAIN_UNIT, 0);
    LiveFrame f;
    unsigned short *words[] = {&f.first, &f.second, &f.third, &f.teach, &f.tolerance};
    *words[word] = static_cast<unsigned short>(value);
    plot(f);
    QCOMPARE(toolprobe::valueOf(panelHandle, control), shown);
}

// Out of range a plain cast to an integer is undefined; the conversion keeps the low word.
void TestDisplayLivePlot::lowWordIsDefinedForEveryValue() {
    QCOMPARE(ThousandthsOf(0.54599f), (unsigned short)545);
    QCOMPARE(ThousandthsOf(-0.5459f), (unsigned short)(65536 - 545));
    QCOMPARE(ThousandthsOf(196.6159f), (unsigned short)7); // 3 * 65536 + 7.9
    QCOMPARE(ThousandthsOf(65.537f), (unsigned short)1);
    QCOMPARE(ThousandthsOf(std::numeric_limits<float>::quiet_NaN()), (unsigned short)0);
    QCOMPARE(ThousandthsOf(-std::numeric_limits<float>::infinity()), (unsigned short)0);
}

// Draws a plausible frame in each evaluation mode and checks the picture holds the red zones
// and the right number of green bands; with RMOX_WRITE_SCREENSHOTS set, saves each to docs/.
void TestDisplayLivePlot::liveFramesOnScreen() {
    DisplayPanel(panelHandle);
    PumpEvents(50);
    QWidget *graph = rtControlWidget(panelHandle, MAIN_MAINGRAPH);
    QVERIFY(graph);
    const bool write = qEnvironmentVariableIsSet("RMOX_WRITE_SCREENSHOTS");
    const QString docs = qEnvironmentVariable("RMOX_SOURCE_DIR") + "/docs";
    for (int mode = 0; mode <= 3; ++mode) {
        eMode = static_cast<unsigned short>(mode);
        const bool distance = mode == 2;
        plot({.first = 380,
              .second = 620,
              .third = 240,
              .teach = static_cast<unsigned short>(distance ? 240 : (mode == 1 ? 600 : 400)),
              .tolerance = static_cast<unsigned short>(distance ? 24 : 30)});
        const QImage image = graph->grab().toImage();
        QCOMPARE(colourRuns(image, VAL_RED), 2);
        QCOMPARE(colourRuns(image, VAL_GREEN), distance ? 2 : 1);
        if (write) {
            const QString path = docs + QString("/main-graph-emode%1.png").arg(mode);
            QVERIFY2(QDir().mkpath(docs) && image.save(path), qPrintable(path));
        }
    }
    HidePanel(panelHandle);
}

QTEST_MAIN(TestDisplayLivePlot)
#include "test_display_live_plot.moc"
