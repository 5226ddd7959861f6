// SPDX-License-Identifier: GPL-3.0-or-later
// The service report: a session against the simulated sensor (a line fault, RAM and EEPROM
// read, a video signal, live frames, an edit on the panels) written from the dialog with a
// note and read back with poppler's tools; --report when the run ends, in process and from the
// program ended by SIGTERM; the page size a locale gets.
#include "app/tool_api.h"
#include "ops/run_stop.h"
#include "ops/transfer.h"
#include "ops/video_capture.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/notify.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"
#include "support/tool_process.h"
#include "workbench/compare/compare_window.h"
#include "workbench/history/history_feature.h"
#include "workbench/ports/port_table.h"
#include "workbench/program/workbench.h"
#include "workbench/report/report_dialog.h"
#include "workbench/report/report_document.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

namespace {

// The simulator's EEPROM set at its start; its RAM starts as a copy.
constexpr toolprobe::Words kSensorSet = {700, 1,  400, 90, 0, 1,  100, 900,
                                         300, 50, 0,   0,  0, 10, 2,   1100};

// What a poppler tool prints for `pdf`; the text as pdftotext lays it out, white space
// folded, so that a table row reads as one line of words.
QString poppler(const QString &tool, const QStringList &arguments) {
    QProcess p;
    p.start(tool, arguments);
    if (!p.waitForFinished(20000) || p.exitCode() != 0)
        return QStringLiteral("%1 failed (poppler-utils installed?): %2")
            .arg(tool, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString pdfText(const QString &pdf) {
    return poppler(QStringLiteral("pdftotext"), {"-layout", pdf, "-"}).simplified();
}

bool startedUp(const QString &log) {
    QFile file(log);
    return file.open(QIODevice::ReadOnly) && file.readAll().contains("Parameter-frame received");
}

struct Ended {
    int exitCode = -1;
    QStringList errors; // the lines on standard error that speak of the report
};

// Runs the tool on `device` until it has read the sensor's set, then ends it with SIGTERM.
Ended runAndTerminate(const QString &device, const QStringList &arguments, const QString &log) {
    QProcess tool;
    StartTool(tool, QStringList{"--port", "1=" + device, "--log", log} + arguments);
    Ended ended;
    if (!tool.waitForStarted(5000))
        return ended;
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 15000 && tool.state() == QProcess::Running && !startedUp(log))
        QTest::qWait(100);
    tool.terminate();
    if (!tool.waitForFinished(15000))
        tool.kill();
    else if (tool.exitStatus() == QProcess::NormalExit)
        ended.exitCode = tool.exitCode();
    for (const QString &line : QString::fromLocal8Bit(tool.readAllStandardError()).split('\n'))
        if (line.contains("report"))
            ended.errors << line;
    return ended;
}

} // namespace

class ReportTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<Workbench> workbench;

  private slots:
    // Started as an unattended run is: the log, a recording and the report at the end.
    void initTestCase() {
        QVERIFY(dir.isValid());
        const ParseResult parsed =
            ParseCommandLine({"rmox-sensor-tool", "--log", dir.filePath("log.txt"), "--record",
                              dir.filePath("frames.csv"), "--report", dir.filePath("at-end.pdf")});
        QVERIFY(parsed.proceed);
        workbench = std::make_unique<Workbench>(parsed.options);
        QVERIFY(StartToolPanels());
    }
    void cleanupTestCase() {
        StopToolPanels();
        workbench.reset();
    }

    // With every feature's items in place, Alt and a letter reach each item of a menu, and
    // each item has a name for assistive technology.
    void menuBarKeys() {
        const auto *bar = rtPanelWidget(panelHandle)->findChild<QMenuBar *>();
        QVERIFY(bar);
        for (QAction *menu : bar->actions()) {
            QVERIFY(menu->menu());
            QMap<QChar, QString> taken;
            for (QAction *item : menu->menu()->actions()) {
                if (item->isSeparator())
                    continue;
                QVERIFY2(!item->objectName().isEmpty(), qPrintable(item->text()));
                const int amp = item->text().indexOf('&');
                QVERIFY2(amp >= 0, qPrintable(item->text()));
                const QChar key = item->text().at(amp + 1).toLower();
                QVERIFY2(!taken.contains(key),
                         qPrintable(item->text() + " and " + taken.value(key) + " share a key"));
                taken.insert(key, item->text());
            }
        }
    }

    void sessionReport() {
        {
            // A sensor that appends two bytes to every reply: the log marks them.
            SimProcess faulty({"--no-pacing", "--trailing-bytes", "2"});
            QVERIFY2(faulty.isRunning(), qPrintable(faulty.errorString()));
            toolprobe::attach(faulty.devicePath());
            PumpEvents(100);
            CloseCom(com);
        }
        toolprobe::writeSetFile(dir.filePath("eeprom.dat"), kSensorSet);
        SimProcess sim({"--no-pacing", "--eeprom", dir.filePath("eeprom.dat")});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        toolprobe::attach(sim.devicePath());
        target = EEPROM;
        CC_BTNGet(panelHandle, MAIN_GET, EVENT_COMMIT, nullptr, 0, 0);
        target = RAM;
        QTimer::singleShot(100, ClickStop);
        CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
        QTimer::singleShot(300, ClickStop);
        CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
        qobject_cast<QDoubleSpinBox *>(rtControlWidget(panelHandle, MAIN_POWER))->setValue(650);

        QWidget *main = rtPanelWidget(panelHandle);
        main->findChild<QAction *>("Service report")->trigger();
        auto *dialog = main->findChild<ReportDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        dialog->findChild<QPlainTextEdit *>("Note")->setPlainText(
            "Window cleaned.\nPower lowered to 650 for the darker target.");
        const QString pdf = dir.filePath("report.pdf");
        QString error;
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(dialog->saveTo(pdf, &error), qPrintable(error));
        qInfo("report written in %lld ms", clock.elapsed());

        const QString text = pdfText(pdf);
        const QStringList expected = {
            "Service report",
            "Port 1: " + sim.devicePath() + " — pseudo-terminal",
            "Window cleaned. Power lowered to 650 for the darker target.",
            "1 difference between panels and RAM",
            "RAM and EEPROM equal",
            // Word, name, unit, range, then the panels, RAM and EEPROM.
            "0 Power 0–1000 650 ≠ 700 ≠ 700",
            "2 Video threshold level 0–1023 400 400 400",
            "15 Scale factor thousandths 800–1200 1100 1100 1100",
            "Power: panels 650 ≠ RAM 700, EEPROM 700",
            "256 samples at pixels 0–1020",
            "threshold 400",
            "First edge",
            "trailing",
            "Service history",
            "Sensor tag untagged",
        };
        for (const QString &e : expected)
            QVERIFY2(text.contains(e), qPrintable(e + "\n--- not in ---\n" + text));
        const QRegularExpressionMatch frames =
            QRegularExpression("Every live frame .* (\\d+) frames from").match(text);
        QVERIFY2(frames.hasMatch() && frames.captured(1).toInt() > 1, qPrintable(text));
        const QRegularExpressionMatch marked =
            QRegularExpression("The communication log marked (\\d+) rows").match(text);
        QVERIFY2(marked.hasMatch() && marked.captured(1).toInt() >= 2, qPrintable(text));

        // The video signal is a picture of its own beside the text.
        const QStringList images =
            poppler("pdfimages", {"-list", pdf}).split('\n', Qt::SkipEmptyParts).mid(2);
        QCOMPARE(images.size(), 1);
        const QStringList fields = images[0].simplified().split(' ');
        QVERIFY2(fields.size() > 4 && fields[2] == "image" && fields[3].toInt() >= 1000,
                 qPrintable(images[0]));

        // The history keeps the report with its SHA-256; a kept set it hands on shows in the
        // compare view.
        HistoryFeature *history = workbench->history();
        const QString session = history->session().id;
        const auto reports = history->keeper().read<QList<ReportRecord>>(
            [&](HistoryStore &s) { return s.reports(session); });
        QCOMPARE(reports.size(), 1);
        QCOMPARE(reports[0].path, pdf);
        QFile written(pdf);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(reports[0].sha256,
                 QCryptographicHash::hash(written.readAll(), QCryptographicHash::Sha256).toHex());
        emit history->compareWanted({{"EEPROM, last visit", "read", kSensorSet}});
        auto *compare = main->findChild<CompareWindow *>();
        QVERIFY(compare && compare->isVisible());
        QVERIFY(PumpUntil(
            [&] { return compare->summary().contains("panels and EEPROM, last visit"); }, 2000));

        // The run ends: --report writes the same report, without a note.
        NotifyRunEnding();
        const QString atEnd = pdfText(dir.filePath("at-end.pdf"));
        for (const QString &e :
             {QString("No note."), expected[1], expected[5], QString("Recorded ")})
            QVERIFY2(atEnd.contains(e), qPrintable(e + "\n--- not in ---\n" + atEnd));
        CloseCom(com);
    }

    // The program itself, ended as a script ends it: the report is written, the exit code stays
    // 0; a report that cannot be written costs one line on standard error, not the exit code.
    void reportWhenTheProgramEnds() {
        SimProcess sim({"--no-pacing"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        const QString pdf = dir.filePath("unattended.pdf");
        const Ended written = runAndTerminate(
            sim.devicePath(), {"--record", dir.filePath("run.csv"), "--report", pdf},
            dir.filePath("run-log.txt"));
        QCOMPARE(written.exitCode, 0);
        QCOMPARE(written.errors, QStringList());
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("Port 1: " + sim.devicePath()) &&
                     text.contains("Panels and RAM equal (read"),
                 qPrintable(text));

        const Ended failed = runAndTerminate(
            sim.devicePath(), {"--report", dir.filePath("no-such-folder/report.pdf")},
            dir.filePath("failed-log.txt"));
        QCOMPARE(failed.exitCode, 0);
        QCOMPARE(failed.errors.size(), 1);
        QVERIFY2(failed.errors[0].contains("no-such-folder/report.pdf"),
                 qPrintable(failed.errors[0]));
    }

    void pageSizeFollowsTheLocale() {
        for (const char *name : {"en_US", "fr_CA", "es_MX", "en_PH"})
            QCOMPARE(ReportPageSize(QLocale(name)), QPageSize::Letter);
        for (const char *name : {"de_DE", "en_GB", "fr_FR", "ja_JP", "C"})
            QCOMPARE(ReportPageSize(QLocale(name)), QPageSize::A4);
    }

    // File → Replay session… plays a saved session back as the sensor: the Port ring picks
    // its device and the tool checks the line and reads the recorded set from it; the main
    // window, the workbench's windows and the report say it is a replay, until End replay.
    void replayOfASession() {
        QWidget *main = rtPanelWidget(panelHandle);
        const QString file =
            qEnvironmentVariable("RMOX_SOURCE_DIR") + "/fuzz/seeds/session_file/start-up.txt";
        QAction *replay = main->findChild<QAction *>("Replay session");
        replay->trigger();
        auto *dialog = main->findChildren<QFileDialog *>().last();
        dialog->selectFile(file);
        static_cast<QDialog *>(dialog)->accept();
        auto *banner = main->findChild<QMenuBar *>()->findChild<QLabel *>("Replay banner");
        // The main panel is not shown here: the banner is not hidden.
        QVERIFY(PumpUntil([&] { return !banner->isHidden(); }, 5000));
        QVERIFY(banner->text().contains("start-up.txt: the answers come from a recorded session"));
        // Tinted on the menu bar too, whose own background role its children would take.
        const QRgb strip = banner->grab().toImage().pixel(1, 1);
        QCOMPARE(strip, banner->palette().color(QPalette::Window).rgb());
        auto *bar = main->findChild<QMenuBar *>();
        QVERIFY(strip != bar->palette().color(bar->backgroundRole()).rgb());
        QVERIFY(PumpUntil([&] { return StatusText() == "Parameter-frame received! - Line Ok!"; },
                          5000));
        QCOMPARE(PortTable::pathOf(ToolPortInUse()).left(9), QStringLiteral("/dev/pts/"));

        main->findChild<QAction *>("Communication log")->trigger();
        auto *log = main->findChild<QWidget *>("Communication log");
        QVERIFY(log->findChild<QLabel *>("Replay banner")->isVisible());
        main->findChild<QAction *>("Service report")->trigger();
        const QString pdf = dir.filePath("replay.pdf");
        QString error;
        QVERIFY2(main->findChild<ReportDialog *>()->saveTo(pdf, &error), qPrintable(error));
        const QString text = pdfText(pdf);
        QVERIFY2(text.contains("Sensor a replay of the recorded session") &&
                     text.contains("start-up.txt, not a live sensor"),
                 qPrintable(text));

        QCOMPARE(replay->text(), QStringLiteral("End rep&lay"));
        replay->trigger();
        QVERIFY(PumpUntil([&] { return banner->isHidden(); }, 5000));
        QVERIFY(!log->findChild<QLabel *>("Replay banner")->isVisible());
        log->close();
    }
};

QTEST_MAIN(ReportTest)
#include "test_workbench_report.moc"
