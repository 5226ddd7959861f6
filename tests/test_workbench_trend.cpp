// SPDX-License-Identifier: GPL-3.0-or-later
// The live trend: its statistics against values worked out by hand, its memory over ten hours,
// its steps through buckets and frames, a step of the wall clock, its cursors on frames, its
// chart's bounded drawing, the recording of a Run against the simulated sensor started with
// --record and that recording opened again, a recording that meets a file size limit and
// recordings that cannot be written.
#include "link/COM232.h"
#include "ops/run_stop.h"
#include "params/units.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/text_files.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"
#include "workbench/program/options.h"
#include "workbench/program/workbench.h"
#include "workbench/trend/live_recorder.h"
#include "workbench/trend/recording_reader.h"
#include "workbench/trend/recording_window.h"
#include "workbench/trend/trend_chart.h"
#include "workbench/trend/trend_feature.h"
#include "workbench/trend/trend_statistics.h"
#include "workbench/trend/trend_window.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QDateTime>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

LiveValues valuesOf(float firstEdge) {
    LiveValues v;
    v.pixels[kFirstEdgeChannel] = firstEdge;
    v.micrometres[kFirstEdgeChannel] = firstEdge * 7.8f;
    return v;
}

void expectSame(const ValueStats &a, const ValueStats &b) {
    QCOMPARE(a.count(), b.count());
    QCOMPARE(a.min(), b.min());
    QCOMPARE(a.max(), b.max());
    QVERIFY(std::abs(a.mean() - b.mean()) < 1e-9);
    QVERIFY(std::abs(a.standardDeviation() - b.standardDeviation()) < 1e-9);
}

QDateTime timeOf(const QByteArrayList &row) {
    return QDateTime::fromString(QString::fromLatin1(row[0]), Qt::ISODateWithMs);
}

} // namespace

class TrendTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;
    std::unique_ptr<Workbench> workbench;
    TrendFeature *trend = nullptr;

  private slots:
    // The tool as started with --record: the recording begins with the first live frame.
    void initTestCase() {
        const ParseResult parsed =
            ParseCommandLine({"rmox-sensor-tool", "--record", dir.filePath("run.csv")});
        QVERIFY(parsed.proceed);
        workbench = std::make_unique<Workbench>(parsed.options);
        QVERIFY(StartToolPanels());
        trend = workbench->trend();
        QVERIFY(trend);
    }
    void cleanupTestCase() {
        StopToolPanels();
        workbench.reset();
    }

    // 2, 4, 4, 4, 5, 5, 7, 9: mean 5, squared deviations 32, sample deviation sqrt(32 / 7).
    void statisticsOfKnownValues() {
        ValueStats all, low, high;
        const double values[] = {2, 4, 4, 4, 5, 5, 7, 9};
        for (int i = 0; i < 8; ++i) {
            all.add(values[i]);
            (i < 3 ? low : high).add(values[i]);
        }
        QCOMPARE(all.count(), 8);
        QCOMPARE(all.mean(), 5.0);
        QCOMPARE(all.min(), 2.0);
        QCOMPARE(all.peakToPeak(), 7.0);
        QVERIFY(std::abs(all.standardDeviation() - std::sqrt(32.0 / 7.0)) < 1e-12);
        low.merge(high);
        expectSame(low, all);

        // Frames 10 a second for 1,000 s, values 0..10 repeating, in a store that keeps 10 s
        // of frames and at most 8 buckets: the buckets merge several times over.
        TrendStore store({10'000, 100, 8, 1000});
        ValueStats expected, lastFive;
        for (int i = 0; i < 10'000; ++i) {
            const float v = float(i % 11);
            store.append(Millis(i) * 100, Millis(i) * 100, valuesOf(v));
            expected.add(v);
            if (i >= 9950)
                lastFive.add(v);
        }
        QVERIFY(store.frames().size() <= 100);
        QVERIFY(store.buckets().size() <= 8);
        QVERIFY(store.bucketMs() > 1000);
        expectSame(store.whole(Unit::Pixels).values[0], expected);
        expectSame(store.over(store.firstMs(), store.lastMs(), Unit::Pixels).values[0], expected);
        const TrendSummary recent = store.over(995'000, 999'900, Unit::Pixels);
        expectSame(recent.values[0], lastFive);
        QCOMPARE(recent.framesPerSecond(), 10.0);
        QCOMPARE(store.whole(Unit::Micrometres).values[0].max(), double(10 * 7.8f));
    }

    // Ten hours at the paced rate: what is kept stays within the store's limits.
    void tenHoursStayBounded() {
        TrendStore store;
        const Millis frameMs = 38;
        const std::int64_t frames = 10LL * 3600 * 1000 / frameMs;
        for (std::int64_t i = 0; i < frames; ++i)
            store.append(i * frameMs, i * frameMs, valuesOf(float(i % 5)));
        QCOMPARE(store.whole(Unit::Pixels).frames(), frames);
        QVERIFY(store.frames().size() <= TrendStore::Limits{}.maxFrames);
        QVERIFY(store.buckets().size() <= TrendStore::Limits{}.maxBuckets);
        QVERIFY(store.firstMs() == 0);
    }

    // A cursor's steps go through the older buckets' means, at their middles, then through the
    // frames kept whole; a span counts the buckets that reach into it whole. A frame out of
    // order comes with the newest; clearing starts anew.
    void cursorStepsThroughBucketsAndFrames() {
        TrendStore store({1'000, 100, 8, 500}); // the last second whole, 0.5 s buckets before
        for (int i = 0; i <= 30; ++i)
            store.append(i * 100, i * 100, valuesOf(float(i)));
        QCOMPARE(store.buckets().size(), 4u);
        QList<Millis> later, values;
        for (auto f = store.nearest(0); f && later.size() < 100; f = store.neighbour(f->ms, true))
            later << f->ms, values << Millis(f->values.pixels[kFirstEdgeChannel]);
        QList<Millis> expected{200, 700, 1200, 1700};
        for (Millis ms = 2000; ms <= 3000; ms += 100)
            expected << ms;
        QCOMPARE(later, expected);
        QCOMPARE(values.mid(0, 6), (QList<Millis>{2, 7, 12, 17, 20, 21}));
        QList<Millis> earlier;
        for (auto f = store.nearest(3000); f && earlier.size() < 100;
             f = store.neighbour(f->ms, false))
            earlier.prepend(f->ms);
        QCOMPARE(earlier, expected);
        QCOMPARE(store.nearest(650)->ms, 700);
        QCOMPARE(store.nearest(2040)->ms, 2000);
        QCOMPARE(store.over(600, 2050, Unit::Pixels).frames(), 16);

        store.append(2500, 2500, valuesOf(99));
        QCOMPARE(store.lastMs(), 3000);
        QCOMPARE(store.whole(Unit::Pixels).values[0].max(), 99.0);
        const std::int64_t revision = store.revision();
        store.clear();
        QVERIFY(store.empty() && store.buckets().empty() && store.revision() > revision);
        QCOMPARE(store.whole(Unit::Pixels).frames(), 0);
    }

    // The wall clock set back an hour in the middle of ten seconds of frames: the frames keep
    // their spacing and are labelled by the clock's newest reading. A cursor stands on a frame,
    // and its readout names that frame; the arrow keys step it, + zooms.
    void clockStepKeepsSpacingAndCursorsStandOnFrames() {
        TrendStore store;
        const Millis wall = 1'700'000'000'000;
        const Millis hour = 3'600'000;
        for (int i = 0; i < 100; ++i)
            store.append(5'000 + i * 100, wall + i * 100 - (i >= 50 ? hour : 0),
                         valuesOf(float(i)));
        const TrendSummary whole = store.whole(Unit::Pixels);
        QCOMPARE(whole.framesPerSecond(), 10.0);
        QCOMPARE(store.over(7'000, 7'900, Unit::Pixels).frames(), 10);
        QCOMPARE(whole.firstWallMs(), wall - hour);
        QCOMPARE(whole.lastWallMs(), wall + 9'900 - hour);

        QAction record;
        TrendWindow window(store, &record, nullptr);
        window.show();
        window.follow(TrendWindow::Span::All);
        TrendChart *chart = window.chart();
        const int x = int(chart->xAxis->coordToPixel((5'000 + 20 * 100 + 70) / 1000.0));
        QTest::mouseClick(chart, Qt::LeftButton, {}, QPoint(x, chart->axisRect()->center().y()));
        QCOMPARE(chart->cursorA(), std::optional<Millis>(5'000 + 21 * 100));
        const auto *readout = window.findChild<QLabel *>("Cursor readout");
        const QString at =
            QDateTime::fromMSecsSinceEpoch(wall + 2'100 - hour).toString("HH:mm:ss.zzz");
        QVERIFY2(readout->text().startsWith("A " + at + ": first edge 21,"),
                 qPrintable(readout->text()));
        QTest::keyClick(chart, Qt::Key_Right);
        QCOMPARE(chart->cursorA(), std::optional<Millis>(5'000 + 22 * 100));
        QVERIFY(readout->text().contains("first edge 22,"));
        const double span = chart->xAxis->range().size();
        QTest::keyClick(chart, Qt::Key_Plus);
        QVERIFY(chart->xAxis->range().size() < span * 0.9);
    }

    // Ten minutes of frames on a chart some hundred pixels wide: a few points per column.
    void chartDrawsAFewPointsPerColumn() {
        TrendStore store;
        const Millis now = QDateTime::currentMSecsSinceEpoch();
        for (int i = 0; i < 15'000; ++i)
            store.append(now - 600'000 + i * 40, now - 600'000 + i * 40,
                         valuesOf(float(300 + i % 9)));
        QAction record;
        TrendWindow window(store, &record, nullptr);
        window.show();
        window.follow(TrendWindow::Span::LastTenMinutes);
        TrendChart *chart = window.chart();
        const int columns = chart->axisRect()->width();
        const QSharedPointer<QCPGraphDataContainer> edge = chart->graph(2)->data();
        QVERIFY(edge->size() > columns / 2);
        QVERIFY(edge->size() <= 2 * (columns + 2));
        QCOMPARE(chart->yAxis->range().contains(300) && chart->yAxis->range().contains(308), true);
        QVERIFY(window.statisticsText().contains("\t15000\t300\t308\t"));
    }

    // The recording started by --record holds every frame of the Run, each row with its time,
    // the frame's words and the values in micrometres as the indicators show them.
    void recordingFollowsRun() {
        SimProcess sim;
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        toolprobe::attach(sim.devicePath());
        SetCtrlVal(panelHandle, MAIN_UNIT, 0);
        scaleF = 1.5f; // kept in evaluation mode 2, the simulator's
        const QString path = dir.filePath("run.csv");
        QList<QByteArrayList> early;
        QDateTime readAt;
        QTimer::singleShot(2500, [&] {
            early = CsvRows(path);
            readAt = QDateTime::currentDateTime();
        });
        QTimer::singleShot(
            3500, [] { CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0); });
        CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
        CloseCom(com);
        QVERIFY(trend->recorder().isOn());
        QVERIFY(early.size() > 1);
        QVERIFY(timeOf(early.last()).msecsTo(readAt) < 1500); // the last second at most is lost

        trend->recorder().stop();
        const QList<QByteArrayList> rows = CsvRows(path);
        QCOMPARE(rows[0].join(',') + '\n', QByteArray(LiveRecorder::header()));
        QCOMPARE(rows.size() - 1, trend->store().whole(Unit::Pixels).frames());
        QVERIFY(rows.size() > 40);
        for (int r = 1; r < rows.size(); ++r) {
            const QByteArrayList &row = rows[r];
            QCOMPARE(row.size(), 16);
            QVERIFY(timeOf(row).isValid());
            if (r > 1)
                QVERIFY(timeOf(rows[r - 1]) <= timeOf(row));
            QCOMPARE(row[10], QByteArray("um"));
            const auto word = [&](int i) {
                return static_cast<unsigned short>(row[1 + i].toUInt());
            };
            QCOMPARE(row[11].toInt(), int(MicrometresOf(word(0))));
            QCOMPARE(row[12].toInt(), int(MicrometresOf(word(1))));
            QCOMPARE(row[13].toInt(), int(ScaledMicrometresOf(word(2), 1.5f)));
            QCOMPARE(row[14].toInt(), int(ScaledMicrometresOf(word(3), 1.5f)));
            QCOMPARE(row[15].toInt(), int(MicrometresOf(word(4))));
        }
        QCOMPARE(rows.last()[11].toInt(), toolprobe::valueOf(panelHandle, MAIN_FIRSTEDGE));
        QCOMPARE(rows.last()[13].toInt(), toolprobe::valueOf(panelHandle, MAIN_THIRDVALUE));
        scaleF = 1.0f;
        SetCtrlVal(panelHandle, MAIN_UNIT, 1);
    }

    // That recording opened with File → Open recording…: a trend window of its own with every
    // row, each frame's values as recorded, and the statistics the live trend had of the same
    // frames. Cut short, with a damaged row or not a recording at all, it is read up to its
    // last whole row or refused, and says where.
    void recordingOpensInATrendWindow() {
        const QString path = dir.filePath("run.csv");
        const QList<QByteArrayList> rows = CsvRows(path);
        QVERIFY(rows.size() > 40);
        QWidget *main = rtPanelWidget(panelHandle);
        main->findChild<QAction *>("Open recording")->trigger();
        auto *dialog = main->findChildren<QFileDialog *>().last();
        dialog->selectFile(path);
        static_cast<QDialog *>(dialog)->accept();
        TrendWindow *opened = nullptr;
        for (auto *w : main->findChildren<TrendWindow *>())
            if (w->windowTitle() == "Live trend: run.csv")
                opened = w;
        QVERIFY(opened && opened->isVisible());
        const auto valueLines = [](const QString &statistics) {
            return statistics.section("Whole recording", 1).split('\n').mid(2, kStatChannels);
        };
        const QStringList recorded = valueLines(opened->statisticsText());
        QCOMPARE(recorded, valueLines(TabSeparatedStatistics(
                               {{"Whole recording", trend->store().whole(Unit::Micrometres)}},
                               Unit::Micrometres)));
        QVERIFY2(recorded[0].startsWith(QString("First edge\t%1\t").arg(rows.size() - 1)),
                 qPrintable(recorded.join('\n')));
        opened->close();

        const QByteArray content = ContentOf(path);
        const auto read = [](const QByteArray &text, TrendStore &store) {
            QBuffer buffer;
            buffer.setData(text);
            buffer.open(QIODevice::ReadOnly);
            return ReadRecording(buffer, store);
        };
        TrendStore store;
        const RecordingFile whole = read(content, store);
        QVERIFY2(whole.problem.isEmpty(), qPrintable(whole.problem));
        QCOMPARE(whole.unit, Unit::Micrometres);
        QCOMPARE(qsizetype(store.frames().size()), rows.size() - 1);
        for (int r = 1; r < rows.size(); ++r) {
            const LiveValues &v = store.frames()[std::size_t(r - 1)].values;
            QCOMPARE(v.pixels[kFirstEdgeChannel], rows[r][1].toFloat());
            QCOMPARE(v.micrometres[kThirdValueChannel], rows[r][13].toFloat());
            QCOMPARE(v.micrometres[kBandHighChannel],
                     rows[r][14].toFloat() + rows[r][15].toFloat());
        }

        const qsizetype lastRow = content.lastIndexOf('\n', content.size() - 2) + 1;
        const qsizetype thirdLine = content.indexOf('\n', content.indexOf('\n') + 1) + 1;
        QByteArray damaged = content;
        damaged.replace(content.indexOf(',', thirdLine), 2, ",x");
        const struct {
            QByteArray text;
            qsizetype rows;
            QString problem;
        } broken[] = {
            {content.left(content.size() - 20), rows.size() - 2,
             QString("The file ends inside line %1, a row cut short. The %2 rows before it are "
                     "shown.")
                 .arg(rows.size())
                 .arg(rows.size() - 2)},
            {damaged, 1,
             "Line 3 is not a row of a recording: word 0 is not a number from 0 to 65535. The "
             "row before it is shown."},
            {content.left(lastRow).replace("um", "px") + content.mid(lastRow), rows.size() - 1,
             QString()},
            {"# rmox-sensor-tool session log, format 2\n", 0,
             "It is not a recording of live frames: its first line is not the recording's "
             "header."},
            {LiveRecorder::header(), 0, "It holds no live frames."},
        };
        for (const auto &b : broken) {
            TrendStore part;
            const RecordingFile file = read(b.text, part);
            QCOMPARE(file.problem, b.problem);
            QCOMPARE(file.rows, b.rows);
            QCOMPARE(file.refused, b.rows == 0);
        }
        TrendStore mixed;
        const RecordingFile changed = read(broken[2].text, mixed);
        QVERIFY(changed.unitChanged && changed.unit == Unit::Pixels);
        QCOMPARE(mixed.whole(Unit::Pixels).values[0].max(),
                 store.whole(Unit::Pixels).values[0].max());
        WriteContent(dir.filePath("session.csv"), broken[3].text);
        QVERIFY(!OpenRecordingWindow(dir.filePath("session.csv"), main));
        auto *told = main->findChildren<QMessageBox *>().last();
        QVERIFY(told->isVisible() &&
                told->text().endsWith("cannot be opened. " + broken[3].problem));
        told->close();
    }

    // A file that reaches the size limit ends the recording: whole rows only, the reason told,
    // and no signal disposition of the process changed for it.
    void fileSizeLimitEndsRecording() {
        LiveRecorder recorder;
        QSignalSpy stopped(&recorder, &LiveRecorder::stopped);
        const QString path = dir.filePath("full.csv");
        QString error;
        QVERIFY2(recorder.start(path, &error), qPrintable(error));
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit small = saved;
        small.rlim_cur = 4000;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const std::uint16_t words[9] = {100, 200, 150, 150, 10, 0, 2, 700, 700};
        for (int i = 0; i < 200; ++i)
            recorder.append(1'700'000'000'000 + i, words, valuesOf(100));
        const bool stoppedInTime = stopped.wait(3000);
        setrlimit(RLIMIT_FSIZE, &saved);
        QVERIFY(stoppedInTime);
        // The write failed by itself; the signal still ends the program as by default.
        struct sigaction fileSize {};
        sigaction(SIGXFSZ, nullptr, &fileSize);
        QVERIFY(fileSize.sa_handler == SIG_DFL);
        QVERIFY(stopped[0][0].toString().contains("largest size"));
        QVERIFY(!recorder.isOn());
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.size() <= 4000 && text.size() > 3000);
        QVERIFY(text.endsWith('\n'));
        const QList<QByteArrayList> rows = CsvRows(path);
        QCOMPARE(rows.size() - 1, recorder.rowsWritten());
        for (int r = 1; r < rows.size(); ++r)
            QCOMPARE(timeOf(rows[r]).toMSecsSinceEpoch(), 1'700'000'000'000 + r - 1);
    }

    // A recording that cannot be written, to a FIFO nobody reads or a device that takes
    // nothing: opening does not wait, Run goes on and Stop ends it, and the reason is told in
    // the trend window and the status line's tool tip, never by a box that waits for a click.
    void unwritableRecordingIsToldWithoutABox() {
        const QString fifo = dir.filePath("nobody-reads");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        SimProcess sim;
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        toolprobe::attach(sim.devicePath());
        QLabel *told = nullptr;
        for (QLabel *label : trend->window()->findChildren<QLabel *>())
            if (label->accessibleName() == "Recording")
                told = label;
        QVERIFY(told);
        for (const auto &[path, why] :
             {std::pair{fifo, QString("it is a FIFO")},
              std::pair{QString("/dev/full"), QString("No space left on device")}}) {
            trend->recorder().startWithNextFrame(path);
            QTimer::singleShot(
                1000, [] { CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0); });
            CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
            QVERIFY(!trend->recorder().isOn());
            const QString expected = QStringLiteral("Cannot record to %1: %2").arg(path, why);
            QVERIFY2(told->text().startsWith(expected), qPrintable(told->text()));
            const QString tip = rtControlWidget(panelHandle, MAIN_STATUS)->toolTip();
            QVERIFY2(tip.contains(expected), qPrintable(tip));
            for (QWidget *window : QApplication::topLevelWidgets())
                QVERIFY(!(qobject_cast<QMessageBox *>(window) && window->isVisible()));
        }
        CloseCom(com);
    }
};

QTEST_MAIN(TrendTest)
#include "test_workbench_trend.moc"
