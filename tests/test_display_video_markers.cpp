// SPDX-License-Identifier: GPL-3.0-or-later
// The video graph and the main-graph markers outside live plotting: the start-up picture, the
// CCD-window band, the edge fields, the unit switch and the scale-factor field.

#include "app/VidaREZezad11.h"
#include "display/live_plot.h"
#include "display/markers.h"
#include "display/video_curve.h"
#include "link/COM232.h"
#include "params/params.h"
#include "runtime/graph_model.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"

#include <QAbstractButton>
#include <QDir>
#include <QDoubleSpinBox>
#include <QImage>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

const GraphModel &graph(int control) {
    return *GetGraphModel(panelHandle, control);
}

// Types a value into a numeric field and ends the entry with Enter, as a user does.
void typeInto(int control, const QString &text) {
    auto *field = qobject_cast<QDoubleSpinBox *>(rtControlWidget(panelHandle, control));
    QVERIFY(field);
    field->selectAll();
    QTest::keyClicks(field, text);
    QTest::keyClick(field, Qt::Key_Return);
    PumpEvents(30);
}

// A bright background with a dark object of soft edges and some noise, as a sensor sees it.
void synthesiseVideo() {
    std::mt19937 noise(7);
    std::uniform_int_distribution<int> jitter(-12, 12);
    for (int i = 0; i < kVideoSamples; ++i) {
        const double inside = 0.5 * (std::tanh((i - 95) / 3.0) - std::tanh((i - 160) / 3.0));
        adcbuf[i] = static_cast<unsigned short>(800 - 650 * inside + jitter(noise));
    }
}

bool allAt(const GraphPlot &p, double y) {
    return std::all_of(p.points.begin(), p.points.end(),
                       [y](const GraphPoint &q) { return q.y == y; });
}

} // namespace

class TestDisplayVideoMarkers : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase();
    void cleanupTestCase() { StopToolPanels(); }

    // Start-up picture and CCD-window band.
    void startUpDrawsCursorsAndAnUnclampedBand();
    void ccdWindowBandJoinsThePlots_data();
    void ccdWindowBandJoinsThePlots();

    // Video curve.
    void videoCurveOnTheWholeLine();
    void videoCurveInAWindow_data();
    void videoCurveInAWindow();
    void thresholdFieldRedrawsAtOnceWithoutTouchingVThd();

    // Callbacks of the main-graph markers.
    void edgeFieldsMoveTheirCursorsOnly();
    void unitSwitchRewritesTeachValueAndTolerance();
    void scaleFactorFieldSetsScaleAndThousandths_data();
    void scaleFactorFieldSetsScaleAndThousandths();

    void videoGraphOnScreen();
};

void TestDisplayVideoMarkers::initTestCase() {
    QVERIFY(StartToolPanels());
    DisplayPanel(panelHandle);
    // The field allows 0.8 to 1.2; wider here so that factors like 0.7 and 1.5 can be entered.
    auto *factor = qobject_cast<QDoubleSpinBox *>(rtControlWidget(panelPopUp, POP_SCALEFACTOR));
    QVERIFY(factor);
    factor->setRange(0.5, 2.0);
}

void TestDisplayVideoMarkers::startUpDrawsCursorsAndAnUnclampedBand() {
    // As start-up left it, from the panel values.
    const GraphModel &g = graph(MAIN_MAINGRAPH);
    QCOMPARE(g.plots.size(), std::size_t(1));
    QCOMPARE(g.cursors.at(1).x, double(tVal));
    QCOMPARE(xArray[255], (unsigned short)1020);

    tVal = 50;
    tTol = 80;
    eBeg = 210;
    eEnd = 790;
    vThd = 333;
    std::fill(std::begin(xArray), std::end(xArray), 0);
    DrawCCDWindowBand();
    DrawStartupPicture();
    QCOMPARE(g.plots.size(), std::size_t(1));
    const GraphPlot &band = g.plots[0];
    QCOMPARE(band.fillColor, VAL_GREEN);
    QCOMPARE(band.points[0].x, -30.0);
    QCOMPARE(band.points[1].x, 130.0);
    QCOMPARE(band.points[1].y, 0.25);
    const double expected[][2] = {{50, 1.0}, {210, 1.0}, {790, 1.0}};
    for (int n = 1; n <= 3; ++n) {
        QCOMPARE(g.cursors.at(n).x, expected[n - 1][0]);
        QCOMPARE(g.cursors.at(n).y, expected[n - 1][1]);
    }
    for (int i = 0; i < kVideoSamples; ++i) {
        QCOMPARE(xArray[i], (unsigned short)(4 * i));
        QCOMPARE(thdArray[i], (unsigned short)333);
    }
}

void TestDisplayVideoMarkers::ccdWindowBandJoinsThePlots_data() {
    QTest::addColumn<int>("mode");
    QTest::addColumn<double>("from");
    QTest::addColumn<double>("to");
    QTest::newRow("0: the whole line, to 1023") << 0 << 0.0 << 1023.0;
    QTest::newRow("1: from pStart") << 1 << 100.0 << 355.0;
    QTest::newRow("2: from pStart") << 2 << 100.0 << 355.0;
}

void TestDisplayVideoMarkers::ccdWindowBandJoinsThePlots() {
    QFETCH(int, mode);
    QFETCH(double, from);
    QFETCH(double, to);
    ccdMode = static_cast<unsigned short>(mode);
    pStart = 100;
    const std::size_t before = graph(MAIN_MAINGRAPH).plots.size();
    DrawCCDWindowBand();
    DrawCCDWindowBand();
    const std::vector<GraphPlot> &plots = graph(MAIN_MAINGRAPH).plots;
    QCOMPARE(plots.size(), before + 2);
    const GraphPlot &band = plots.back();
    QCOMPARE(band.color, VAL_GRAY);
    QCOMPARE(band.fillColor, VAL_GRAY);
    QCOMPARE(band.points[0].x, from);
    QCOMPARE(band.points[1].x, to);
    QCOMPARE(band.points[0].y, 0.0);
    QCOMPARE(band.points[1].y, 1.0);
}

void TestDisplayVideoMarkers::videoCurveOnTheWholeLine() {
    ccdMode = 0;
    pix1 = 300;
    for (int i = 0; i < kVideoSamples; ++i)
        adcbuf[i] = static_cast<unsigned short>(1023 - 3 * i);
    std::fill(std::begin(thdArray), std::end(thdArray), 450);
    PlotDATACurve(adcbuf);
    PlotDATACurve(adcbuf);

    const GraphModel &g = graph(MAIN_VIDEOGRAPH);
    QCOMPARE(g.xAxis.min, 1.0);
    QCOMPARE(g.xAxis.max, 1024.0);
    QCOMPARE(g.yAxis.min, 0.0);
    QCOMPARE(g.yAxis.max, 1023.0);
    QCOMPARE(g.plots.size(), std::size_t(2));
    const GraphPlot &curve = g.plots[0], &line = g.plots[1];
    QCOMPARE(curve.color, VAL_RED);
    QCOMPARE(line.color, VAL_DK_GREEN);
    QCOMPARE(curve.points.size(), std::size_t(kVideoSamples));
    for (int i = 0; i < kVideoSamples; ++i) {
        QCOMPARE(curve.points[i].x, 4.0 * i);
        QCOMPARE(curve.points[i].y, double(adcbuf[i]));
        QCOMPARE(line.points[i].x, 4.0 * i);
    }
    QVERIFY(allAt(line, 450));
}

void TestDisplayVideoMarkers::videoCurveInAWindow_data() {
    QTest::addColumn<int>("mode");
    QTest::newRow("1") << 1;
    QTest::newRow("2") << 2;
}

// The window start is the one the last live frame reported, whatever the CCD mode.
void TestDisplayVideoMarkers::videoCurveInAWindow() {
    QFETCH(int, mode);
    ccdMode = static_cast<unsigned short>(mode);
    pStart = 20;
    std::fill(std::begin(pp), std::end(pp), 0);
    pp[5] = 300;
    PlotRAWValues();
    PlotDATACurve(adcbuf);
    const GraphModel &g = graph(MAIN_VIDEOGRAPH);
    QCOMPARE(g.xAxis.min, 300.0);
    QCOMPARE(g.xAxis.max, 556.0);
    QCOMPARE(g.plots[0].points.front().x, 300.0);
    QCOMPARE(g.plots[0].points.back().x, 555.0);
    QCOMPARE(g.plots[1].points.back().x, 555.0);
}

void TestDisplayVideoMarkers::thresholdFieldRedrawsAtOnceWithoutTouchingVThd() {
    ccdMode = 0;
    vThd = 512;
    typeInto(MAIN_VIDEOTHRESHOLD, "600");
    const GraphModel &g = graph(MAIN_VIDEOGRAPH);
    QCOMPARE(g.plots.size(), std::size_t(2));
    QVERIFY(allAt(g.plots[1], 600));
    QCOMPARE(thdArray[0], (unsigned short)600);
    QCOMPARE(vThd, (unsigned short)512);

    SetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, 700);
    CC_NEDITVideoThreshold(panelHandle, MAIN_VIDEOTHRESHOLD, EVENT_LEFT_CLICK, nullptr, 0, 0);
    QVERIFY(allAt(g.plots[1], 700));
    SetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, 800);
    CC_NEDITVideoThreshold(panelHandle, MAIN_VIDEOTHRESHOLD, EVENT_VAL_CHANGED, nullptr, 0, 0);
    QVERIFY(allAt(g.plots[1], 700));
}

void TestDisplayVideoMarkers::edgeFieldsMoveTheirCursorsOnly() {
    ccdMode = 0;
    eBeg = 200;
    eEnd = 800;
    typeInto(MAIN_LEFTEDGE, "300");
    typeInto(MAIN_RIGHTEDGE, "650");
    const GraphModel &g = graph(MAIN_MAINGRAPH);
    QCOMPARE(g.cursors.at(2).x, 300.0);
    QCOMPARE(g.cursors.at(2).y, 1.0);
    QCOMPARE(g.cursors.at(3).x, 650.0);
    QCOMPARE(eBeg, (unsigned short)200);
    QCOMPARE(eEnd, (unsigned short)800);

    SetCtrlVal(panelHandle, MAIN_LEFTEDGE, 400);
    CC_NEDITEdgeLeft(panelHandle, MAIN_LEFTEDGE, EVENT_VAL_CHANGED, nullptr, 0, 0);
    QCOMPARE(g.cursors.at(2).x, 300.0);

    // The next live frame on the whole line puts the window cursors back at eBeg and eEnd.
    std::fill(std::begin(pp), std::end(pp), 0);
    PlotRAWValues();
    QCOMPARE(g.cursors.at(2).x, 200.0);
    QCOMPARE(g.cursors.at(2).y, 0.75);
    QCOMPARE(g.cursors.at(3).x, 800.0);
}

void TestDisplayVideoMarkers::unitSwitchRewritesTeachValueAndTolerance() {
    tVal = 512;
    tTol = 100;
    scaleF = 1.0f;
    for (int control : {MAIN_THIRDVALUE, MAIN_FIRSTEDGE, MAIN_SECONDEDGE})
        SetCtrlVal(panelHandle, control, 4242);
    auto *unit = qobject_cast<QAbstractButton *>(rtControlWidget(panelHandle, MAIN_UNIT));
    QVERIFY(unit);
    SetCtrlVal(panelHandle, MAIN_UNIT, 1);
    // Only the indicator and the state text take clicks, not the whole cell.
    const QPoint onIndicator(6, unit->height() / 2);

    QTest::mouseClick(unit, Qt::LeftButton, {}, onIndicator);
    QVERIFY(
        PumpUntil([] { return toolprobe::valueOf(panelHandle, MAIN_TEACHVALUE) == 3993; }, 1000));
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_UNIT), 0);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_TOLERANCE), 780);
    QTest::mouseClick(unit, Qt::LeftButton, {}, onIndicator);
    QVERIFY(
        PumpUntil([] { return toolprobe::valueOf(panelHandle, MAIN_TEACHVALUE) == 512; }, 1000));
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_TOLERANCE), 100);
    for (int control : {MAIN_THIRDVALUE, MAIN_FIRSTEDGE, MAIN_SECONDEDGE})
        QCOMPARE(toolprobe::valueOf(panelHandle, control), 4242);
}

void TestDisplayVideoMarkers::scaleFactorFieldSetsScaleAndThousandths_data() {
    QTest::addColumn<double>("entered");
    QTest::addColumn<int>("thousandths");
    QTest::newRow("0.7 is just below, rounds to 700") << 0.7 << 700;
    QTest::newRow("0.95") << 0.95 << 950;
    QTest::newRow("1.001") << 1.001 << 1001;
    QTest::newRow("1.2") << 1.2 << 1200;
    QTest::newRow("1.5") << 1.5 << 1500;
}

// Nothing is redisplayed: the live indicators keep what they show until the next frame.
void TestDisplayVideoMarkers::scaleFactorFieldSetsScaleAndThousandths() {
    QFETCH(double, entered);
    QFETCH(int, thousandths);
    SetCtrlVal(panelHandle, MAIN_THIRDVALUE, 111);
    SetCtrlVal(panelHandle, MAIN_TEACHVALUE, 222);
    SetCtrlVal(panelPopUp, POP_SCALEFACTOR, entered);
    CC_NUM_ScalFact(panelPopUp, POP_SCALEFACTOR, EVENT_VAL_CHANGED, nullptr, 0, 0);
    QCOMPARE(int(para15), thousandths);
    QCOMPARE(scaleF, static_cast<float>(entered));
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_THIRDVALUE), 111);
    QCOMPARE(toolprobe::valueOf(panelHandle, MAIN_TEACHVALUE), 222);

    SetCtrlVal(panelPopUp, POP_SCALEFACTOR, 1.1);
    CC_NUM_ScalFact(panelPopUp, POP_SCALEFACTOR, EVENT_COMMIT, nullptr, 0, 0);
    QCOMPARE(int(para15), thousandths);
}

// Draws a synthesised video signal and checks that the red curve lies on both sides of the
// dark-green threshold line; with RMOX_WRITE_SCREENSHOTS set, saves it to docs/.
void TestDisplayVideoMarkers::videoGraphOnScreen() {
    ccdMode = 0;
    synthesiseVideo();
    SetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, 512);
    CC_NEDITVideoThreshold(panelHandle, MAIN_VIDEOTHRESHOLD, EVENT_COMMIT, nullptr, 0, 0);
    PumpEvents(50);
    const QImage image = rtControlWidget(panelHandle, MAIN_VIDEOGRAPH)->grab().toImage();

    int lineRow = -1, lineLength = 0;
    for (int y = 0; y < image.height(); ++y) {
        int length = 0;
        for (int x = 0; x < image.width(); ++x)
            length += (image.pixel(x, y) & 0xFFFFFF) == VAL_DK_GREEN;
        if (length > lineLength)
            lineRow = y, lineLength = length;
    }
    QVERIFY2(lineLength > image.width() / 2, "no threshold line across the graph");
    int above = 0, below = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if ((image.pixel(x, y) & 0xFFFFFF) == VAL_RED)
                (y < lineRow ? above : below) += 1;
    QVERIFY(above > 100);
    QVERIFY(below > 20);

    if (qEnvironmentVariableIsSet("RMOX_WRITE_SCREENSHOTS")) {
        const QString docs = qEnvironmentVariable("RMOX_SOURCE_DIR") + "/docs";
        QVERIFY(QDir().mkpath(docs) && image.save(docs + "/video-graph.png"));
    }
}

QTEST_MAIN(TestDisplayVideoMarkers)
#include "test_display_video_markers.moc"
