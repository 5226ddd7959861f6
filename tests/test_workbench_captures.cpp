// SPDX-License-Identifier: GPL-3.0-or-later
// Saving what the graphs show: the last video signal of Data as CSV beside a PNG of the video
// graph, in each CCD mode with the positions the graph gives the samples, and the main graph;
// saves of the graph, the report and the log on a full disk; and what the workbench remembers
// from one run to the next.
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
#include "workbench/captures/captures_feature.h"
#include "workbench/commlog/comm_log_feature.h"
#include "workbench/commlog/comm_log_file.h"
#include "workbench/commlog/comm_log_window.h"
#include "workbench/program/workbench.h"
#include "workbench/report/report_dialog.h"
#include "workbench/report/report_feature.h"
#include "workbench/shared/window_memory.h"
#include "workbench/trend/trend_window.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
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

// Sends the set shown on the panels, with `mode` and a window from pixel 300, to the sensor's RAM.
void sendCcdMode(int mode) {
    ccdMode = static_cast<unsigned short>(mode);
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
