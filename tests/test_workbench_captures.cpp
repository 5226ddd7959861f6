// SPDX-License-Identifier: GPL-3.0-or-later
// Saving what the graphs show: the last video signal of Data as CSV beside a PNG of the video
// graph, in each CCD mode with the positions the graph gives the samples, and the main graph;
// saves of the graph, the report and the log on a full disk; what the workbench remembers
// from one run to the next; and the video signal analysed as Data reads it and as saved.
#include "display/video_curve.h"
#include "ops/run_stop.h"
#include "ops/transfer.h"
#include "ops/video_capture.h"
#include "params/panel_binding.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/notify.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/text_files.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"
#include "support/tool_process.h"
#include "workbench/captures/captures_feature.h"
#include "workbench/commlog/comm_log_feature.h"
#include "workbench/commlog/comm_log_file.h"
#include "workbench/commlog/comm_log_window.h"
#include "workbench/program/workbench.h"
#include "workbench/report/report_dialog.h"
#include "workbench/report/report_feature.h"
#include "workbench/shared/window_memory.h"
#include "workbench/trend/trend_window.h"
#include "workbench/videosignal/figures_text.h"
#include "workbench/videosignal/signal_window.h"
#include "workbench/videosignal/videosignal_feature.h"
#include "workbench/videosignal/waterfall_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Sends the set shown on the panels, with `mode` and a window from pixel 300 (and `threshold`
// when given), to the sensor's RAM.
void sendCcdMode(int mode, int threshold = -1) {
    ccdMode = static_cast<unsigned short>(mode);
    if (threshold >= 0)
        vThd = static_cast<unsigned short>(threshold);
    pStart = 300;
    WriteParameterControls();
    target = RAM;
    CC_BTNSend(panelHandle, MAIN_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0);
    PumpEvents(50);
}

// Fills the file system `folder` is on until it takes no further byte.
void fill(const QString &folder) {
    const int fd = ::open(QFile::encodeName(folder + "/filler").constData(),
                          O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    const QByteArray block(4096, 'f');
    while (::write(fd, block.constData(), std::size_t(block.size())) > 0) {
    }
    while (::write(fd, "f", 1) > 0) {
    }
    ::close(fd);
}

} // namespace

class CapturesTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<Workbench> workbench;
    CapturesFeature *exporter = nullptr;

  private slots:
    void initTestCase() {
        workbench = std::make_unique<Workbench>(Options{});
        QVERIFY(StartToolPanels());
        DisplayPanel(panelHandle);
        exporter = workbench->graphs();
        QVERIFY(exporter);
    }
    void cleanupTestCase() {
        StopToolPanels();
        workbench.reset();
    }

    void videoSignalAsTheGraphPlacesIt_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("whole line") << 0;
        QTest::newRow("window from pStart") << 1;
        QTest::newRow("window the sensor reports") << 2;
    }
    // The samples, positions and threshold of the last capture are those the video graph drew
    // last (xArray, adcbuf, thdArray after Data).
    void videoSignalAsTheGraphPlacesIt() {
        QFETCH(int, mode);
        SimProcess sim({"--no-pacing"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        toolprobe::attach(sim.devicePath());
        sendCcdMode(mode);
        QTimer::singleShot(800, ClickStop);
        CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
        CloseCom(com);
        pix1 += 7; // as a later live frame would move it; the graph keeps the capture's place

        const QString csv = dir.filePath(QStringLiteral("video-%1.csv").arg(mode));
        QString error;
        QVERIFY2(exporter->saveVideoSignal(csv, &error), qPrintable(error));
        const QList<QByteArrayList> rows = CsvRows(csv);
        QCOMPARE(rows.size(), 1 + kVideoSamples);
        QCOMPARE(rows[0].join(','), QByteArray("sample,position_px,value,threshold"));
        const int start = rows[1][1].toInt();
        for (int i = 0; i < kVideoSamples; ++i) {
            const QByteArrayList &row = rows[1 + i];
            QCOMPARE(row.size(), 4);
            QCOMPARE(row[0].toInt(), i);
            QCOMPARE(row[1].toInt(), int(xArray[i]));
            QCOMPARE(row[2].toInt(), int(adcbuf[i]));
            QCOMPARE(row[3].toInt(), int(thdArray[i]));
            QCOMPARE(row[1].toInt(), mode == 0 ? 4 * i : start + i);
        }
        if (mode == 1)
            QCOMPARE(start, 300);
        if (mode == 2)
            QVERIFY(start > 300 && start < 500); // the simulated object sways around 500

        const QImage picture(CapturesFeature::pngBeside(csv));
        QCOMPARE(picture.size(),
                 rtControlWidget(panelHandle, MAIN_VIDEOGRAPH)->size() *
                     rtControlWidget(panelHandle, MAIN_VIDEOGRAPH)->devicePixelRatio());
    }

    // The simulator's clean step (800 outside the object, 100 on samples 96 to 159) read by
    // Data on the whole line with threshold 200: the window's figures are the hand-computed
    // ones; the saved CSV gives the same figures in the window and from --analyse-video; Use
    // suggested threshold puts 450 into the field without sending it.
    void videoSignalAnalysedAsDataReadsIt() {
        SimProcess sim({"--no-pacing", "--video-pattern", "clean-step"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        toolprobe::attach(sim.devicePath());
        sendCcdMode(0, 200);
        // The graph's line follows the field's commit, as when the user types the level.
        CC_NEDITVideoThreshold(panelHandle, MAIN_VIDEOTHRESHOLD, EVENT_COMMIT, nullptr, 0, 0);
        VideoSignalFeature *feature = workbench->videoSignal();
        SignalWindow *window = feature->window();
        window->show();
        // Counted by revision: the earlier Data runs may have filled the history to its bound.
        const qint64 before = feature->history().revision();
        QTimer::singleShot(800, ClickStop);
        CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
        CloseCom(com);
        QVERIFY(feature->history().revision() >= before + 2);
        window->refresh();
        const SignalFigures &f = window->shownFigures();
        // Falling between pixels 380 (800) and 384 (100): 380 + 4 * 600/700 = 383.429; rising
        // between 636 (100) and 640 (800): 636 + 4 * 100/700 = 636.571. The margin to the
        // floor, 100, is under a quarter of the contrast 700: marginal.
        QCOMPARE(f.threshold, 200);
        QCOMPARE(QStringList({ValueText(f, Figure::Floor), ValueText(f, Figure::Plateau),
                              ValueText(f, Figure::MarginToFloor)}),
                 QStringList({"100.0", "800.0", "100.0 levels (100.0 noise widths)"}));
        QCOMPARE(VerdictOf(f, Figure::MarginToFloor), Verdict::Marginal);
        QCOMPARE(f.crossings.size(), 2);
        QCOMPARE(QString::number(f.crossings[0].positionPx, 'f', 3), QString("383.429"));
        QCOMPARE(QString::number(f.crossings[1].positionPx, 'f', 3), QString("636.571"));
        QCOMPARE(f.suggestedThreshold, std::optional<int>(450));

        const QString csv = dir.filePath("analysed.csv");
        QString error;
        QVERIFY2(exporter->saveVideoSignal(csv, &error), qPrintable(error));
        QVERIFY2(feature->open(csv, &error), qPrintable(error));
        QCOMPARE(FiguresText(window->shownFigures()), FiguresText(f));
        QProcess tool;
        StartTool(tool, {"--analyse-video", csv});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(tool.readAllStandardOutput()), FiguresText(f));
        StartTool(tool, {"--analyse-video", dir.filePath("missing.csv")});
        QVERIFY(tool.waitForFinished(30000));
        QCOMPARE(tool.exitCode(), 1);
        QVERIFY(tool.readAllStandardError().contains("missing.csv: no such file"));
        QVERIFY(!feature->open(dir.path(), &error));

        QTest::mouseClick(window->useSuggested(), Qt::LeftButton);
        PumpEvents(50);
        unsigned short field = 0;
        GetCtrlVal(panelHandle, MAIN_VIDEOTHRESHOLD, &field);
        QCOMPARE(field, 450);
        QCOMPARE(thdArray[0], 450); // the graph's line follows the field, as when typed
        QCOMPARE(vThd, 200);        // the set changes only with Send

        const QString png = dir.filePath("waterfall.png");
        QVERIFY2(window->savePicture(png, &error), qPrintable(error));
        const QImage picture(png);
        QCOMPARE(picture.size(),
                 window->waterfall()->size() * window->waterfall()->devicePixelRatio());
        QVERIFY(picture.pixelColor(picture.width() / 4, picture.height() / 10) !=
                picture.pixelColor(3, 3)); // the newest signals are drawn at the top
        QVERIFY2(window->saveFigures(dir.filePath("figures.csv"), &error), qPrintable(error));
        QCOMPARE(CsvRows(dir.filePath("figures.csv")).size(),
                 qsizetype(1 + feature->history().lines().size()));
        window->close();
    }

    void mainGraphAsPng() {
        const QString png = dir.filePath("main.png");
        QString error;
        QVERIFY2(exporter->saveMainGraph(png, &error), qPrintable(error));
        QCOMPARE(QImage(png).size(), rtControlWidget(panelHandle, MAIN_MAINGRAPH)->size());
        QVERIFY(!exporter->saveMainGraph(dir.filePath("no/such/folder/main.png"), &error));
        QVERIFY(error.contains("no/such/folder"));
    }

    // A full disk: each save fails in the system's words, the old file stays byte for byte and
    // no temporary file is left. The disk is a small tmpfs where the test may mount one, else
    // a file size limit stands in for it.
    void fullDiskKeepsTheOldFiles() {
        const QString folder = dir.filePath("small-disk");
        QVERIFY(QDir().mkpath(folder));
        const bool mounted =
            QProcess::execute("mount", {"-t", "tmpfs", "-o", "size=64k", "tmpfs", folder}) == 0;
        const auto unmount = qScopeGuard([&] {
            if (mounted)
                QProcess::execute("umount", {folder});
        });
        const QStringList names{"graph.png", "log.txt", "report.pdf"};
        for (const QString &name : names) {
            QFile old(folder + "/" + name);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("the old " + name.toUtf8());
        }
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        if (mounted) {
            fill(folder);
        } else {
            rlimit small = saved;
            small.rlim_cur = 10;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        }
        const QString expected = mounted ? "No space left on device" : "File too large";

        QString graphError, logError, reportError;
        const bool graphSaved = exporter->saveMainGraph(folder + "/graph.png", &graphError);
        const CommLog &log = workbench->log()->log();
        qsizetype left = 0;
        const bool logSaved =
            SaveCommRows(log, {log.ring().firstSeq()}, folder + "/log.txt", &logError, &left);
        const bool reportSaved =
            workbench->report()->dialog()->saveTo(folder + "/report.pdf", &reportError);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldSignal);

        QVERIFY2(!graphSaved && graphError.endsWith(expected), qPrintable(graphError));
        QVERIFY2(!logSaved && logError == expected, qPrintable(logError));
        QVERIFY2(!reportSaved && reportError.endsWith(expected), qPrintable(reportError));
        for (const QString &name : names)
            QCOMPARE(ContentOf(folder + "/" + name), "the old " + name.toUtf8());
        QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        files.removeOne("filler");
        QCOMPARE(files, names);
    }

    // What the workbench remembers: set, the tool ends, starts again, and it is back. The
    // settings live in the test's own folder, never the user's.
    void workbenchIsRememberedAcrossRuns() {
        QVERIFY(WorkbenchSettings().fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        QWidget *main = rtPanelWidget(panelHandle);
        const QSize mainSize = main->size() + QSize(60, 40);
        main->resize(mainSize);
        main->findChild<QAction *>("Live trend")->trigger();
        auto *trend = main->findChild<TrendWindow *>();
        trend->follow(TrendWindow::Span::LastTenMinutes);
        trend->resize(900, 640);
        main->findChild<QAction *>("Communication log")->trigger();
        auto *log = main->findChild<CommLogWindow *>();
        log->findChild<QComboBox *>("Directions")->setCurrentIndex(2);
        log->findChild<QCheckBox *>("Only problems")->setChecked(true);
        log->findChild<QTableView *>("Rows")->setColumnWidth(2, 222);
        log->close();
        main->findChild<QAction *>("Service report")->trigger();
        main->findChild<QPlainTextEdit *>("Note")->setPlainText("Window cleaned.");

        NotifyRunEnding();
        StopToolPanels();
        workbench.reset();
        workbench = std::make_unique<Workbench>(Options{});
        QVERIFY(StartToolPanels());
        DisplayPanel(panelHandle);
        PumpEvents(50);

        main = rtPanelWidget(panelHandle);
        QCOMPARE(main->size(), mainSize);
        trend = main->findChild<TrendWindow *>();
        QVERIFY(trend && trend->isVisible());
        QCOMPARE(trend->size(), QSize(900, 640));
        QVERIFY(trend->findChild<QToolButton *>("Last 10 min")->isChecked());
        QVERIFY(!main->findChild<CommLogWindow *>()); // it was closed
        main->findChild<QAction *>("Communication log")->trigger();
        log = main->findChild<CommLogWindow *>();
        QCOMPARE(log->findChild<QComboBox *>("Directions")->currentIndex(), 2);
        QVERIFY(log->findChild<QCheckBox *>("Only problems")->isChecked());
        QCOMPARE(log->findChild<QTableView *>("Rows")->columnWidth(2), 222);
        QCOMPARE(main->findChild<QPlainTextEdit *>("Note")->toPlainText(), "Window cleaned.");
    }
};

QTEST_MAIN(CapturesTest)
#include "test_workbench_captures.moc"
