// SPDX-License-Identifier: GPL-3.0-or-later
// The platform layer on its own: panel loading, the event mapping, the event loop with nested
// waits, timers and control values.
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "support/tool_fixture_impl.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <vector>

namespace {

struct Seen {
    int control;
    int event;
    bool operator==(const Seen &o) const { return control == o.control && event == o.event; }
};
std::vector<Seen> seen;
int ticks = 0;
int panelEvents = 0;
int lastPanelEvent = 0;
int waitsDone = 0;

int Record(int, int control, int event, void *, int, int) {
    seen.push_back({control, event});
    return 0;
}

int Tick(int, int, int event, void *, int, int) {
    if (event == EVENT_TIMER_TICK)
        ++ticks;
    return 0;
}

int RecordPanel(int, int event, void *, int, int) {
    ++panelEvents;
    lastPanelEvent = event;
    return 0;
}

// Like a teach button: the left click dims the button and waits; the commit comes later.
int DimAndWait(int panel, int control, int event, void *, int, int) {
    seen.push_back({control, event});
    if (event != EVENT_LEFT_CLICK)
        return 0;
    SetCtrlAttribute(panel, control, ATTR_DIMMED, 1);
    PumpUntil([] { return false; }, 150);
    ++waitsDone;
    SetCtrlAttribute(panel, control, ATTR_DIMMED, 0);
    return 0;
}

std::vector<Seen> events(std::initializer_list<Seen> list) {
    return list;
}

} // namespace

class RuntimeEventsTest : public QObject {
    Q_OBJECT
    int panel = 0;

    template <typename T> T *control(int id) {
        return qobject_cast<T *>(rtControlWidget(panel, id));
    }
    // Check boxes and radio buttons take clicks on their indicator and text only.
    static QPoint indicatorOf(QWidget *w) { return QPoint(6, w->height() / 2); }
    void settle() {
        for (int i = 0; i < 5; ++i)
            ProcessSystemEvents();
    }

  private slots:
    void initTestCase() {
        RegisterCtrlCallback("Record", Record);
        RegisterCtrlCallback("Tick", Tick);
        RegisterCtrlCallback("DimAndWait", DimAndWait);
        RegisterPanelCallback("RecordPanel", RecordPanel);
        panel = LoadPanel(0, "events_panel.uir", 1);
        QVERIFY(panel > 0);
        DisplayPanel(panel);
        QVERIFY(QTest::qWaitForWindowExposed(rtPanelWidget(panel)));
    }
    void init() {
        settle();
        seen.clear();
    }

    void loadFailuresGiveNegativeHandles() {
        QCOMPARE(LoadPanel(0, "no_such_file.uir", 1), int(UIEFileNotFound));
        QCOMPARE(LoadPanel(0, "events_panel.uir", 9), int(UIEPanelNotFound));
        QCOMPARE(LoadPanel(0, "events_panel.uir", 3), int(UIEDuplicateCtrl));
        QCOMPARE(LoadPanel(0, "events_panel.uir", 4), int(UIECallbackUnknown));
        int child = LoadPanel(panel, "events_panel.uir", 2);
        QVERIFY(child > 0);
        QCOMPARE(rtPanelWidget(child)->parentWidget(), rtPanelWidget(panel));
        QCOMPARE(DiscardPanel(child), 0);
        QCOMPARE(DisplayPanel(child), int(UIEBadHandle));
    }

    // Qt's own loader would crash on a layout element without a class.
    void panelFileWithBrokenLayoutIsRefused() {
        QTemporaryDir dir;
        QFile broken(dir.filePath("broken.uir"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("<ui><widget class=\"QWidget\"><widget class=\"QWidget\"><layout>"
                     "</layout></widget></widget></ui>");
        broken.close();
        QCOMPARE(LoadPanel(0, broken.fileName().toLocal8Bit(), 1), int(UIEBadPanelFile));
    }

    void buttonPressIsLeftClickThenReleaseCommits() {
        auto *b = control<QPushButton>(1);
        QTest::mousePress(b, Qt::LeftButton);
        QVERIFY(seen.empty()); // nothing runs outside event processing
        settle();
        QCOMPARE(seen, events({{1, EVENT_LEFT_CLICK}}));
        QTest::mouseRelease(b, Qt::LeftButton);
        settle();
        QCOMPARE(seen, events({{1, EVENT_LEFT_CLICK}, {1, EVENT_COMMIT}}));
    }

    void keyboardActivationCommitsWithoutClick() {
        auto *b = control<QPushButton>(1);
        b->setFocus();
        QTest::keyClick(b, Qt::Key_Space);
        settle();
        QCOMPARE(seen, events({{1, EVENT_COMMIT}}));
    }

    void valueControlsRaiseChangeThenCommit() {
        auto *ring = control<QComboBox>(2);
        ring->setFocus();
        QTest::keyClick(ring, Qt::Key_Down);
        settle();
        QCOMPARE(seen, events({{2, EVENT_VAL_CHANGED}, {2, EVENT_COMMIT}}));
        int v = 0;
        GetCtrlVal(panel, 2, &v);
        QCOMPARE(v, 2); // item position 1 plus the ring's value offset

        seen.clear();
        auto *num = control<QAbstractSpinBox>(3);
        num->setFocus();
        QTest::keyClick(num, Qt::Key_Up);
        settle();
        QCOMPARE(seen, events({{3, EVENT_VAL_CHANGED}, {3, EVENT_COMMIT}}));

        seen.clear();
        num->findChild<QLineEdit *>()->selectAll();
        QTest::keyClicks(num, "42");
        settle();
        QVERIFY(!seen.empty());
        QVERIFY(std::all_of(seen.begin(), seen.end(),
                            [](Seen s) { return s.event == EVENT_VAL_CHANGED; }));
        QTest::keyClick(num, Qt::Key_Return);
        settle();
        QCOMPARE(seen.back(), (Seen{3, EVENT_COMMIT}));
        unsigned short u = 0;
        GetCtrlVal(panel, 3, &u);
        QCOMPARE(u, (unsigned short)42);

        seen.clear();
        auto *sw = control<QAbstractButton>(4);
        QTest::mouseClick(sw, Qt::LeftButton, {}, indicatorOf(sw));
        settle();
        QCOMPARE(seen, events({{4, EVENT_LEFT_CLICK}, {4, EVENT_VAL_CHANGED}, {4, EVENT_COMMIT}}));
        QCOMPARE(control<QAbstractButton>(4)->text(), QString("on"));
    }

    void radioButtonCanBeSwitchedOff() {
        auto *r = control<QRadioButton>(5);
        QTest::mouseClick(r, Qt::LeftButton, {}, indicatorOf(r));
        QTest::mouseClick(r, Qt::LeftButton, {}, indicatorOf(r));
        settle();
        QCOMPARE(seen.size(), size_t(6));
        int v = 1;
        GetCtrlVal(panel, 5, &v);
        QCOMPARE(v, 0);
    }

    void slideCommitsOnKeyStep() {
        auto *slider = rtControlWidget(panel, 7)->findChild<QSlider *>();
        slider->setFocus();
        QTest::keyClick(slider, Qt::Key_Right);
        settle();
        QCOMPARE(seen, events({{7, EVENT_VAL_CHANGED}, {7, EVENT_COMMIT}}));
    }

    void valuesFromCodeRaiseNothing() {
        QCOMPARE(SetCtrlVal(panel, 2, 3), 0);
        QCOMPARE(SetCtrlVal(panel, 3, 512.0), 0);
        QCOMPARE(SetCtrlVal(panel, 4, 0), 0);
        QCOMPARE(SetCtrlVal(panel, 7, (unsigned short)300), 0);
        QCOMPARE(SetCtrlVal(panel, 9, "Line Ok!"), 0);
        settle();
        QVERIFY(seen.empty());
        QCOMPARE(control<QAbstractButton>(4)->text(), QString("off"));
        char text[8];
        GetCtrlVal(panel, 9, text, sizeof text);
        QCOMPARE(QByteArray(text), QByteArray("Line Ok")); // cut to the buffer, terminated
        QVERIFY(SetCtrlVal(panel, 2, 9) < 0);              // no such ring item
        int v = 0;
        GetCtrlVal(panel, 2, &v);
        QCOMPARE(v, 3);
    }

    void dimmedControlRaisesNothing() {
        SetCtrlAttribute(panel, 1, ATTR_DIMMED, 1);
        QTest::mouseClick(control<QPushButton>(1), Qt::LeftButton);
        settle();
        SetCtrlAttribute(panel, 1, ATTR_DIMMED, 0);
        QVERIFY(seen.empty());
        int dimmed = -1;
        GetCtrlAttribute(panel, 1, ATTR_DIMMED, &dimmed);
        QCOMPARE(dimmed, 0);
    }

    void commitOfBusyButtonComesAfterItsWait() {
        auto *b = control<QPushButton>(8);
        waitsDone = 0;
        QTest::mousePress(b, Qt::LeftButton);
        QTest::mouseRelease(b, Qt::LeftButton);
        settle();
        QCOMPARE(waitsDone, 1);
        QCOMPARE(seen, events({{8, EVENT_LEFT_CLICK}, {8, EVENT_COMMIT}}));
    }

    void releaseAfterDimmingStillCommits() {
        auto *b = control<QPushButton>(8);
        waitsDone = 0;
        QTest::mousePress(b, Qt::LeftButton);
        QTimer::singleShot(50, b, [b] { QTest::mouseRelease(b, Qt::LeftButton); });
        settle(); // the left click waits 150 ms; the release arrives inside that wait
        PumpUntil([] { return seen.size() >= 2; }, 1000);
        QCOMPARE(waitsDone, 1);
        QCOMPARE(seen, events({{8, EVENT_LEFT_CLICK}, {8, EVENT_COMMIT}}));
    }

    void timerTicksWhileHidden() {
        HidePanel(panel);
        ticks = 0;
        SetCtrlAttribute(panel, 6, ATTR_ENABLED, 1);
        QElapsedTimer clock;
        clock.start();
        PumpUntil([] { return ticks >= 31; }, 3000);
        qint64 elapsed = clock.elapsed();
        SetCtrlAttribute(panel, 6, ATTR_ENABLED, 0);
        QCOMPARE(ticks, 31);
        QVERIFY2(elapsed >= 1450 && elapsed < 2500, qPrintable(QString::number(elapsed)));
        PumpUntil([] { return false; }, 120);
        QCOMPARE(ticks, 31);
        DisplayPanel(panel);
    }

    void nestedWaitsDeliverInnerEvents() {
        // A callback waiting in ProcessSystemEvents runs another callback's wait inside it.
        auto *outerButton = control<QPushButton>(1);
        auto *inner = control<QPushButton>(8);
        waitsDone = 0;
        QTimer::singleShot(0, inner, [inner] { QTest::mouseClick(inner, Qt::LeftButton); });
        QTimer::singleShot(10, outerButton,
                           [=] { QTest::mouseClick(outerButton, Qt::LeftButton); });
        PumpUntil([] { return waitsDone == 1 && seen.size() >= 4; }, 2000);
        QCOMPARE(waitsDone, 1);
        QVERIFY(std::find(seen.begin(), seen.end(), Seen{1, EVENT_COMMIT}) != seen.end());
    }

    void closeRequestRaisesCloseAndKeepsPanel() {
        panelEvents = 0;
        rtPanelWidget(panel)->close();
        settle();
        QCOMPARE(lastPanelEvent, int(EVENT_CLOSE));
        QVERIFY(rtPanelWidget(panel)->isVisible());
    }

    void quitFromNestedLoopReturnsInOuterLoop() {
        bool nestedEnded = false;
        QTimer::singleShot(0, [&] {
            // Stands in for a callback's wait: quit is asked for inside it, the wait goes on.
            QuitUserInterface(7);
            PumpUntil([] { return false; }, 100);
            nestedEnded = true;
        });
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(RunUserInterface(), 7);
        QVERIFY(nestedEnded);
        QVERIFY(clock.elapsed() >= 100);
    }

    void idleWaitDoesNotSpin() {
        QElapsedTimer clock;
        clock.start();
        int passes = 0;
        while (clock.elapsed() < 200) {
            ProcessSystemEvents();
            ++passes;
        }
        QVERIFY2(passes < 200, qPrintable(QString::number(passes))); // ~5 ms a pass when idle
    }
};

QTEST_MAIN(RuntimeEventsTest)
#include "test_runtime_events.moc"
