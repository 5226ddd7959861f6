// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up, the tick counter, the pop-up button, closing and the exit codes.
#include "app/VidaREZezad11.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "state/tick_timer.h"
#include "support/tool_fixture.h"
#include "support/tool_process.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

struct ToolRun {
    int exitCode = 1000; // 1000: did not end within 10 s, 1001: crashed or aborted
    QByteArray errors;   // what it wrote on standard error
};

ToolRun runTool(const QString &executable, QProcessEnvironment env) {
    env.insert("RMOX_COM1", QDir::temp().filePath("no-such-port")); // never a real device
    QProcess tool;
    tool.setProcessEnvironment(env);
    tool.start(executable, {});
    ToolRun run;
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        return run;
    }
    run.exitCode = tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : 1001;
    run.errors = tool.readAllStandardError();
    return run;
}

// Runs a copy of the tool from `dir` and returns its exit code.
int runToolIn(const QString &dir) {
    return runTool(dir + "/VidaREZezad11", OffscreenEnvironment()).exitCode;
}

// Every accessible control below `root` (labels aside) whose name is `name`.
QList<QAccessibleInterface *> controlsNamed(QAccessibleInterface *root, const QString &name) {
    QList<QAccessibleInterface *> found;
    for (int i = 0; root && i < root->childCount(); ++i) {
        QAccessibleInterface *child = root->child(i);
        if (child && child->role() != QAccessible::StaticText &&
            child->text(QAccessible::Name) == name)
            found.append(child);
        found += controlsNamed(child, name);
    }
    return found;
}

QRect globalRect(const QWidget *w) {
    return {w->mapToGlobal(QPoint(0, 0)), w->size()};
}

// An X display number that no server listens on, as ":N".
QString unservedDisplay() {
    QFile sockets("/proc/net/unix");
    const QByteArray listening = sockets.open(QIODevice::ReadOnly) ? sockets.readAll() : "";
    for (int n = 90;; ++n) {
        const QByteArray socket = "/tmp/.X11-unix/X" + QByteArray::number(n);
        if (!listening.contains(socket + '\n') && !QFile::exists(socket))
            return QStringLiteral(":%1").arg(n);
    }
}

QString copyTool(const QTemporaryDir &dir) {
    QFile::copy(ToolExecutable(), dir.filePath("VidaREZezad11"));
    return dir.path();
}

} // namespace

class AppShellTest : public QObject {
    Q_OBJECT

  private slots:
    void initTestCase() { QVERIFY(StartToolPanels()); }
    void cleanupTestCase() { StopToolPanels(); }

    void missingPanelFileEndsWithMinusOne() {
        QTemporaryDir dir;
        QString path = copyTool(dir);
        QCOMPARE(runToolIn(path), 255);
    }

    // Qt aborts when no platform plugin can start; the tool must end with -1 and say why.
    void noDisplayEndsWithMinusOne_data() {
        QTest::addColumn<QString>("display");
        QTest::newRow("no display set") << QString();
        QTest::newRow("nobody serves the display") << unservedDisplay();
    }

    void noDisplayEndsWithMinusOne() {
        QFETCH(QString, display);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char *name :
             {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_SESSION_TYPE"})
            env.remove(name);
        if (!display.isEmpty())
            env.insert("DISPLAY", display);
        const ToolRun run = runTool(ToolExecutable(), env);
        QCOMPARE(run.exitCode, 255);
        QCOMPARE(run.errors.count('\n'), 1);
        QVERIFY2(run.errors.contains("cannot open a display"), run.errors.constData());
        if (!display.isEmpty())
            QVERIFY2(run.errors.contains(display.toUtf8()), run.errors.constData());
    }

    void missingPanelEndsWithMinusOne() {
        QTemporaryDir dir;
        QString path = copyTool(dir);
        QFile in("VidaREZezad11.uir");
        QVERIFY(in.open(QIODevice::ReadOnly));
        QByteArray xml = in.readAll();
        // Renumber the pop-up so that panel 2 is missing from the file.
        int at = xml.indexOf("name=\"ccdPanel\"");
        QVERIFY(at > 0);
        int number = xml.indexOf("<number>2</number>", at);
        xml.replace(number, 18, "<number>5</number>");
        QFile out(dir.filePath("VidaREZezad11.uir"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(xml);
        out.close();
        QCOMPARE(runToolIn(path), 255);
    }

    void startUpTakesThePanelValues() {
        SetCtrlVal(panelHandle, MAIN_POWER, 700);
        SetCtrlVal(panelPopUp, POP_TOLERANCE, 33);
        SetCtrlVal(panelPopUp, POP_TOLERANCEENABLE, 0);
        SetCtrlVal(panelPopUp, POP_SCALEFACTOR, 0.95);
        InitVars();
        QCOMPARE(power, (unsigned short)700);
        QCOMPARE(tTol, (unsigned short)33);
        QCOMPARE(ePoti, (unsigned short)1); // start-up sets the switch before reading it
        QCOMPARE(para15, (unsigned short)950);
        QCOMPARE(StatusText(), QString("InitVars"));
        SetCtrlVal(panelHandle, MAIN_POWER, 500);
        SetCtrlVal(panelPopUp, POP_TOLERANCE, 100);
        SetCtrlVal(panelPopUp, POP_SCALEFACTOR, 1.0);
        InitVars();
    }

    void tickCounterStopsAt60000() {
        ttick = 59999;
        CC_Timer50ms(panelHandle, MAIN_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
        QCOMPARE(ttick, (unsigned short)60000);
        CC_Timer50ms(panelHandle, MAIN_TIMER, EVENT_TIMER_TICK, nullptr, 0, 0);
        QCOMPARE(ttick, (unsigned short)60000);
        CC_Timer50ms(panelHandle, MAIN_TIMER, EVENT_COMMIT, nullptr, 0, 0);
        QCOMPARE(ttick, (unsigned short)60000);
        ttick = 0;
        SetCtrlAttribute(panelHandle, MAIN_TIMER, ATTR_ENABLED, 1);
        PumpUntil([] { return ttick >= 3; }, 1000);
        SetCtrlAttribute(panelHandle, MAIN_TIMER, ATTR_ENABLED, 0);
        QVERIFY(ttick >= 3);
        ttick = 0;
    }

    void ccdSettingsButtonTogglesThePopUp() {
        auto *button =
            qobject_cast<QAbstractButton *>(rtControlWidget(panelHandle, MAIN_CCDSETTINGS));
        QVERIFY(button);
        QVERIFY(!rtPanelWidget(panelPopUp)->isVisible());
        QTest::mouseClick(button, Qt::LeftButton);
        PumpEvents(20);
        QVERIFY(rtPanelWidget(panelPopUp)->isVisible());
        QCOMPARE(hidePopUp, (unsigned short)0);
        QTest::mouseClick(button, Qt::LeftButton);
        PumpEvents(20);
        QVERIFY(!rtPanelWidget(panelPopUp)->isVisible());
        QCOMPARE(hidePopUp, (unsigned short)1);
    }

    // A screen reader finds the first-pixel slide by its name, reads its number and sets it as
    // a user would: the last-pixel display follows.
    void firstPixelIsReadAndSetThroughAssistiveTechnology() {
        int before = 0;
        GetCtrlVal(panelPopUp, POP_PIXELSTART, &before);
        SetCtrlAttribute(panelPopUp, POP_PIXELSTART, ATTR_DIMMED, 0);
        SetCtrlVal(panelPopUp, POP_PIXELSTART, 20);
        const auto named = controlsNamed(
            QAccessible::queryAccessibleInterface(rtPanelWidget(panelPopUp)), "First pixel");
        QVERIFY(!named.isEmpty());
        for (QAccessibleInterface *control : named)
            QVERIFY2(control->valueInterface(), qPrintable(control->object()->objectName()));
        QAccessibleValueInterface *value = named.first()->valueInterface();
        QCOMPARE(value->currentValue().toInt(), 20);

        value->setCurrentValue(300);
        PumpEvents(20);
        int first = 0;
        GetCtrlVal(panelPopUp, POP_PIXELSTART, &first);
        QCOMPARE(first, 300);
        char last[16] = {};
        GetCtrlVal(panelPopUp, POP_LASTPIXEL, last, sizeof last);
        QCOMPARE(QString(last), QString("555"));
        SetCtrlVal(panelPopUp, POP_PIXELSTART, before);
        SetCtrlVal(panelPopUp, POP_LASTPIXEL, before + 255);
        SetCtrlAttribute(panelPopUp, POP_PIXELSTART, ATTR_DIMMED, 1);
    }

    // The CCD settings pop-up opens beside the main panel, as a window of its own that stays
    // with it, and hides none of the main panel's controls.
    void popUpOpensBesideTheMainPanel_data() {
        QTest::addColumn<bool>("mainAtRightEdge");
        QTest::newRow("room on the right") << false;
        QTest::newRow("main panel at the right edge") << true;
    }

    void popUpOpensBesideTheMainPanel() {
        QFETCH(bool, mainAtRightEdge);
        // A fresh pair: a panel finds its place when it is first displayed.
        const int main = LoadPanel(0, "VidaREZezad11.uir", 1);
        const int popUp = LoadPanel(main, "VidaREZezad11.uir", 2);
        QVERIFY(main > 0 && popUp > 0);
        QWidget *mainWindow = rtPanelWidget(main);
        QWidget *popUpWindow = rtPanelWidget(popUp);
        DisplayPanel(main);
        const QRect area = mainWindow->screen()->availableGeometry();
        const int room = area.width() - mainWindow->frameGeometry().width();
        if (room < popUpWindow->sizeHint().width() + 40) {
            DiscardPanel(popUp);
            DiscardPanel(main);
            QSKIP(qPrintable(QString("the screen (%1 px wide) has no room beside the main panel")
                                 .arg(area.width())));
        }
        if (mainAtRightEdge)
            mainWindow->move(area.right() + 1 - mainWindow->frameGeometry().width(), area.top());
        DisplayPanel(popUp);
        PumpEvents(20);

        QVERIFY(popUpWindow->isWindow() && !popUpWindow->isModal());
        QCOMPARE(popUpWindow->parentWidget(), mainWindow);
        QCOMPARE(popUpWindow->windowHandle()->transientParent(), mainWindow->windowHandle());
        const QRect frame = popUpWindow->frameGeometry();
        QVERIFY(area.contains(frame));
        for (QWidget *control : mainWindow->findChildren<QWidget *>()) {
            if (control->window() == mainWindow && control->property("ctrlId").isValid() &&
                control->isVisible())
                QVERIFY2(!frame.intersects(globalRect(control)), qPrintable(control->objectName()));
        }
        DiscardPanel(popUp);
        DiscardPanel(main);
    }

    void closeDuringANestedLoopEndsAfterIt() {
        DisplayPanel(panelHandle);
        bool loopReturned = false;
        QTimer::singleShot(0, [&] {
            // A waiting operation: the close request arrives inside its loop.
            rtPanelWidget(panelHandle)->close();
            PumpUntil([] { return false; }, 200);
            loopReturned = true;
        });
        QElapsedTimer clock;
        clock.start();
        RunUserInterface();
        QVERIFY(loopReturned);
        QVERIFY(clock.elapsed() >= 200);
        QVERIFY(rtPanelWidget(panelHandle)->isVisible()); // closing hides nothing by itself
    }

    void tabMovesThroughTheOperationsFirst() {
        QWidget *port = rtControlWidget(panelHandle, MAIN_PORT);
        auto next = [](QWidget *w) {
            do
                w = w->nextInFocusChain();
            while (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled());
            return w;
        };
        QCOMPARE(next(port), rtControlWidget(panelHandle, MAIN_RUN));
        QCOMPARE(next(rtControlWidget(panelHandle, MAIN_GET)),
                 rtControlWidget(panelHandle, MAIN_POWER));
    }

    void quitButtonEndsTheEventLoop() {
        auto *quit = qobject_cast<QAbstractButton *>(rtControlWidget(panelHandle, MAIN_QUIT));
        QTimer::singleShot(0, [quit] { QTest::mouseClick(quit, Qt::LeftButton); });
        QElapsedTimer clock;
        clock.start();
        RunUserInterface();
        QVERIFY(clock.elapsed() < 2000);
    }
};

QTEST_MAIN(AppShellTest)
#include "test_app_shell.moc"
