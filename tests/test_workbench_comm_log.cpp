// SPDX-License-Identifier: GPL-3.0-or-later
// The communication log against the tool and the simulated sensor: decoding in the tool's
// terms, the marks on what the sensor's faults put on the line, the --log file of a start-up,
// and the window's batches, filters and saved rows. Its models alone: test_workbench_models.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/run_stop.h"
#include "ops/video_capture.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/frames.h"
#include "support/sim_process.h"
#include "support/text_files.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"
#include "support/tool_process.h"
#include "workbench/adapters/comm_decode.h"
#include "workbench/adapters/core_events.h"
#include "workbench/adapters/serial_events.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_log_feature.h"
#include "workbench/commlog/comm_log_file.h"
#include "workbench/commlog/comm_log_window.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/commlog/comm_table_model.h"
#include "workbench/commlog/session_reader.h"
#include "workbench/commlog/session_window.h"
#include "workbench/program/workbench.h"
#include "workbench/shared/menu_bar.h"

#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QSettings>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace {

QString zeros(int count) {
    return QStringLiteral(" 0").repeated(count);
}

QList<CommRow> rowsSince(const CommLog &log, qint64 seq) {
    QList<CommRow> rows;
    for (; seq < log.ring().endSeq(); ++seq)
        rows << *log.ring().at(seq);
    return rows;
}

QList<CommRow> rowsOf(const QList<CommRow> &rows, RowKind kind) {
    QList<CommRow> kept;
    for (const CommRow &row : rows)
        if (row.kind == kind)
            kept << row;
    return kept;
}

qsizetype bytesIn(const QList<CommRow> &rows, quint16 marks = 0) {
    qsizetype n = 0;
    for (const CommRow &row : rows)
        if ((row.marks & marks) == marks)
            n += row.bytes.size();
    return n;
}

// Runs the tool on `device` with `arguments` for `ms`, then kills it as a crash would end it.
// Returns what it wrote on standard error.
QByteArray runToolAndKill(const QString &device, const QStringList &arguments, int ms) {
    QProcess tool;
    StartTool(tool, QStringList{"--port", "1=" + device} + arguments);
    if (!tool.waitForStarted(5000))
        return "did not start";
    QTest::qWait(ms);
    const bool running = tool.state() == QProcess::Running;
    tool.kill();
    tool.waitForFinished(5000);
    return running ? tool.readAllStandardError() : "ended early";
}

} // namespace

class CommLogTest : public QObject {
    Q_OBJECT
    CoreEvents core;
    SerialEvents serial;
    CommLog log;
    std::unique_ptr<MenuBar> menus;

  private slots:
    void initTestCase() {
        QVERIFY(StartToolPanels());
        connect(&serial, &SerialEvents::happened, &log, &CommLog::take);
        connect(&core, &CoreEvents::status, &log, &CommLog::takeStatus);
        menus = std::make_unique<MenuBar>();
    }
    void cleanupTestCase() { StopToolPanels(); }

    void decodesRequestsAndReplies_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("request"); // the request answered; -1: the bytes are a request
        QTest::addColumn<int>("firstSample");
        QTest::addColumn<QString>("decoded");
        const QList<int> set{500, 0, 512, 64, 1, 1, 200, 800, 512, 100, 1, 1, 0, 1, 0, 1000};
        const QString named = "power=500 pwrMode=0 vThd=512 bVal=64 polarity=1 eMode=1 eBeg=200 "
                              "eEnd=800 tVal=512 tTol=100 iGain=1 ePoti=1 ccdMode=0 pStart=1 "
                              "bMode=0 para15=1000";
        for (const int order : {1, 2, 3, 4, 6, 7})
            QTest::addRow("request %d", order) << FrameOf(order, set) << -1 << 0 << named;
        QTest::newRow("request 5") << FrameOf(5, {7, 0xFFFF}) << -1 << 0
                                   << "w0=7 w1=65535 w2=0 w3=0 w4=0 w5=0 w6=0 w7=0 w8=0 w9=0 "
                                      "w10=0 w11=0 w12=0 w13=0 w14=0 w15=0";
        QTest::newRow("request 9")
            << FrameOf(9, {128, 1}) << -1 << 0 << "block 2 (samples 128–191), ref_flag 1";
        for (const int order : {2, 4, 6})
            QTest::addRow("reply to %d", order) << FrameOf(order, set) << order << 0 << named;
        QTest::newRow("reply to 7") << FrameOf(7, QList<int>{0xAA} + set.mid(1)) << 7 << 0
                                    << "echo=0x00AA (line ok)" + named.mid(named.indexOf(' '));
        QTest::newRow("wrong echo") << FrameOf(7, {0x55, 1}) << 7 << 0
                                    << "echo=0x0055 (not 0x00AA) pwrMode=1 vThd=0 bVal=0 "
                                       "polarity=0 eMode=0 eBeg=0 eEnd=0 tVal=0 tTol=0 iGain=0 "
                                       "ePoti=0 ccdMode=0 pStart=0 bMode=0 para15=0";
        QTest::newRow("reply to 8")
            << FrameOf(8, {312, 700, 506, 512, 100, 256, 1, 40, 30, 9}) << 8 << 0
            << "edge1=312 edge2=700 value3=506 tVal=512 tTol=100 "
               "pix1=256 edcnt=1 mvstart=40 mvend=30";
        QTest::newRow("reply to 9") << SamplesOf({0x1234, 0x3FF}, 128) << 9 << 64
                                    << "samples 64–127: 4660 1023" + zeros(62);
        QTest::newRow("short block")
            << SamplesOf({5}, 100) << 9 << 192 << "samples 192–241 (50 of 64): 5" + zeros(49);
        QTest::newRow("block and more")
            << SamplesOf({}, 131) << 9 << 0
            << "samples 0–63:" + zeros(64) + " +3 bytes beyond the block";
        QTest::newRow("shifted reply to 2") << FrameOf(0x0302, {0x0102}, 0xFFFF).left(8) << 2 << 0
                                            << "sync 0xFFFF order word 0x0302 power=258 pwrMode=0";
    }

    void decodesRequestsAndReplies() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, request);
        QFETCH(int, firstSample);
        QFETCH(QString, decoded);
        QCOMPARE(request < 0 ? DecodeRequest(bytes) : DecodeReply(bytes, request, firstSample),
                 decoded);
    }

    // Every reply carries three bytes more than a frame. However they fall (dropped after the
    // frame, or shifted into the next one), every received byte shows once, and all beyond
    // the frames read are marked trailing.
    void trailingBytesAreMarked() {
        SimProcess sim({"--trailing-bytes", "3"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        const qint64 from = log.ring().endSeq();
        toolprobe::attach(sim.devicePath());
        PumpEvents(100);
        toolprobe::getFromRam();
        PumpEvents(100);
        toolprobe::getFromRam();
        PumpEvents(100);
        CloseCom(com);

        const QList<CommRow> rows = rowsSince(log, from);
        const QList<CommRow> replies = rowsOf(rows, RowKind::Reply);
        const QList<CommRow> dropped =
            rowsOf(rows, RowKind::FlushedIn) + rowsOf(rows, RowKind::Unread);
        QCOMPARE(rowsOf(rows, RowKind::Request).size(), 4); // echo, read, read, read
        QCOMPARE(replies.size(), 4);
        QCOMPARE(bytesIn(replies), 4 * kFrameBytes);
        QCOMPARE(bytesIn(dropped), 4 * 3);
        QCOMPARE(bytesIn(dropped, MarkTrailing | MarkFlushed), 4 * 3);
        for (const CommRow &row : rows)
            QVERIFY2(!(row.marks & (MarkShort | MarkLate)), qPrintable(TextLine(log, row)));
    }

    // A session of Run, Data and Stop at line speed, each Run stopped while a reply is half
    // way in: its bytes show as dropped, unmarked. An echo with the wrong word is one failure,
    // on the reply; the status texts that report it are not a second one.
    void onlyRealFaultsAreMarked() {
        {
            SimProcess sim;
            QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
            toolprobe::attach(sim.devicePath());
            const qint64 from = log.ring().endSeq();
            int sinceRequest = 0;
            bool stopHalfWay = false;
            const auto stopper =
                connect(&serial, &SerialEvents::happened, this, [&](const SerialTapEvent &e) {
                    if (e.kind == SerialTapEvent::Written)
                        sinceRequest = 0;
                    if (e.kind != SerialTapEvent::Received)
                        return;
                    sinceRequest += int(e.bytes.size());
                    if (stopHalfWay && sinceRequest < kFrameBytes) {
                        stopHalfWay = false;
                        ClickStop();
                    }
                });
            // A pause after each Stop, as a technician's: the rest of the reply then waits in
            // the input queue, not in the next operation's first read.
            for (int i = 0; i < 3; ++i) {
                QTimer::singleShot(200, [&] { stopHalfWay = true; });
                CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
                PumpEvents(200);
                QTimer::singleShot(100, ClickStop);
                CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
                PumpEvents(200);
            }
            disconnect(stopper);
            toolprobe::getFromRam();
            CloseCom(com);
            const QList<CommRow> rows = rowsSince(log, from);
            QVERIFY(!(rowsOf(rows, RowKind::FlushedIn) + rowsOf(rows, RowKind::Unread)).isEmpty());
            for (const CommRow &row : rows)
                QVERIFY2(!row.marks, qPrintable(TextLine(log, row)));
        }
        SimProcess sim({"--no-pacing", "--wrong-echo"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        const qint64 from = log.ring().endSeq();
        toolprobe::attach(sim.devicePath());
        CloseCom(com);
        QList<CommRow> marked;
        for (const CommRow &row : rowsSince(log, from))
            if (row.marks)
                marked << row;
        QCOMPARE(marked.size(), 1);
        QCOMPARE(marked[0].kind, RowKind::Reply);
        QCOMPARE(marked[0].marks, MarkFailure);
    }

    // Start-up against the simulator, the tool then killed: the file holds the echo check and
    // the read with their parameter names. A file that cannot be written is reported once; a
    // FIFO is not waited on.
    void logFileRecordsStartUp() {
        SimProcess sim({"--seed", "3"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QTemporaryDir dir;
        const QString path = dir.filePath("start-up.log");
        runToolAndKill(sim.devicePath(), {"--log", path}, 4000);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        QVERIFY(lines[0].startsWith("# rmox-sensor-tool session log, format 2"));
        QVERIFY(lines[1].startsWith("# tool: rmox-sensor-tool "));
        // The kind, then the order word among the tab-separated fields.
        auto lineWith = [&](const QString &kind, int order) {
            for (const QString &line : lines) {
                const QStringList f = line.split('\t');
                if (f.size() == 12 && f[2] == kind && f[4] == QString::number(order))
                    return line;
            }
            return QString();
        };
        QVERIFY(lineWith("to", 7).contains("\t00 55 00 07 "));
        QVERIFY(lineWith("to", 7).contains("\tpower="));
        QVERIFY(lineWith("from", 7).contains("echo=0x00AA (line ok) pwrMode="));
        QVERIFY(lineWith("to", 2).contains(" para15="));
        QVERIFY(lineWith("from", 2).contains(" vThd="));
        QVERIFY(
            !lines.filter("\tstatus\t").filter("Parameter-frame received! - Line Ok!").isEmpty());

        const QByteArray errors = runToolAndKill(sim.devicePath(), {"--log", "/dev/full"}, 2500);
        QCOMPARE(errors.count("/dev/full"), 1);
        QVERIFY2(errors.contains("cannot be written (No space left on device)"),
                 errors.constData());

        // A FIFO nobody reads is refused once, unopened; the tool runs on and ends as asked.
        const QString fifo = dir.filePath("nobody-reads");
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        QProcess tool;
        StartTool(tool, {"--port", "1=" + sim.devicePath(), "--log", fifo});
        QVERIFY(tool.waitForStarted(5000));
        QTest::qWait(2500);
        tool.terminate();
        QVERIFY(tool.waitForFinished(15000));
        QCOMPARE(tool.exitStatus(), QProcess::NormalExit);
        QCOMPARE(tool.exitCode(), 0);
        const QByteArray told = tool.readAllStandardError();
        QCOMPARE(told.count("(it is a FIFO, not a regular file)"), 1);
    }

    // A session against a sensor with faults (three bytes after every frame, short video
    // blocks, silence after ten live frames), written to a file as --log writes it, played back
    // by the simulator from that file and logged again: the same requests, the same replies
    // byte for byte, the same marks and status texts, in the same order. The file opens in a
    // window of its own with the live log's rows and decoding.
    void replayRepeatsTheSession() {
        QTemporaryDir dir;
        const auto session = [&](const QStringList &sensor, const QString &path) {
            SimProcess sim(sensor);
            if (!sim.isRunning())
                return SessionFile{};
            CommLog own;
            connect(&serial, &SerialEvents::happened, &own, &CommLog::take);
            connect(&core, &CoreEvents::status, &own, &CommLog::takeStatus);
            {
                CommLogFile file(own, path);
                toolprobe::attach(sim.devicePath());
                toolprobe::getFromRam();
                QTimer::singleShot(100, ClickStop);
                CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
                CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
                PumpEvents(100);
                CloseCom(com);
            }
            disconnect(&serial, nullptr, &own, nullptr);
            disconnect(&core, nullptr, &own, nullptr);
            QFile file(path);
            return file.open(QIODevice::ReadOnly) ? ReadSession(file.readAll()) : SessionFile{};
        };
        // Both sessions begin with the sensor's set on the panels, as their echo frames carry it.
        {
            SimProcess sim;
            toolprobe::attach(sim.devicePath());
            CloseCom(com);
        }
        const QString first = dir.filePath("first.txt");
        const SessionFile recorded =
            session({"--trailing-bytes", "3", "--short-video", "--live-limit", "10"}, first);
        const SessionFile replayed = session({"--replay", first}, dir.filePath("second.txt"));
        // Port events name the device, which is another one in the replay.
        const auto traffic = [](const SessionFile &f) {
            QStringList rows;
            for (const CommRow &row : f.rows)
                if (row.kind != RowKind::Opened)
                    rows << QStringLiteral("%1 %2 [%3] %4")
                                .arg(int(row.kind))
                                .arg(QString::fromLatin1(row.bytes.toHex(' ')),
                                     MarksText(row.marks), row.text);
            return rows;
        };
        const QStringList expected = traffic(recorded);
        QVERIFY2(recorded.problem.isEmpty(), qPrintable(recorded.problem));
        QVERIFY(expected.filter("[trailing flushed]").size() >= 10);
        QVERIFY(expected.filter("[short]").size() >= 1);
        QVERIFY(expected.filter("Timeout RS232-Line!").size() == 1);
        const QStringList got = traffic(replayed);
        for (qsizetype i = 0; i < std::min(expected.size(), got.size()); ++i)
            QCOMPARE(got[i], expected[i]);
        QCOMPARE(got.size(), expected.size());

        QWidget *window = OpenSessionWindow(first, rtPanelWidget(panelHandle));
        QVERIFY(window);
        QCOMPARE(window->windowTitle(), QStringLiteral("Communication log: first.txt"));
        auto *table = window->findChild<QTableView *>("Rows");
        QVERIFY(PumpUntil([&] { return table->model()->rowCount() == int(recorded.rows.size()); },
                          3000));
        const QAbstractItemModel *shown = table->model();
        int live = 0;
        for (int r = 0; r < shown->rowCount(); ++r)
            if (shown->index(r, int(CommColumn::Direction)).data().toString() == "from sensor" &&
                shown->index(r, int(CommColumn::Order)).data().toString() == "8 live values" &&
                shown->index(r, int(CommColumn::Bytes)).data().toString() == "36") {
                QVERIFY(shown->index(r, int(CommColumn::Decoding))
                            .data()
                            .toString()
                            .contains("edge1="));
                ++live;
            }
        QCOMPARE(live, 10);
        window->close();
    }

    // The window takes rows in batches while shown, none while hidden; the filters and the
    // saved CSV work on what the log holds. At its smallest it still shows every control of
    // its filter bar whole, none over another.
    void windowFollowsFiltersAndSaves() {
        CommLogFeature feature(core, serial, *menus, {});
        QAction *show = menus->view()->findChild<QAction *>("Communication log");
        QVERIFY(show);
        show->trigger();
        QWidget *window = rtPanelWidget(panelHandle)->findChild<QWidget *>("Communication log");
        QVERIFY(window && window->isVisible());
        auto *table = window->findChild<QTableView *>("Rows");
        QAbstractItemModel *shown = table->model();

        window->resize(window->minimumSizeHint());
        PumpEvents(50);
        const QList<QWidget *> controls =
            window->findChild<QWidget *>("Search")->parentWidget()->findChildren<QWidget *>(
                Qt::FindDirectChildrenOnly);
        for (const QWidget *a : controls) {
            QVERIFY2(a->width() >= a->sizeHint().width(), qPrintable(a->objectName()));
            for (const QWidget *b : controls)
                QVERIFY(a == b || !a->geometry().intersects(b->geometry()));
        }

        SimProcess sim({"--no-pacing", "--trailing-bytes", "2"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        toolprobe::attach(sim.devicePath());
        QVERIFY(
            PumpUntil([&] { return shown->rowCount() == feature.log().ring().endSeq(); }, 3000));
        const int before = shown->rowCount();

        window->hide();
        toolprobe::getFromRam();
        PumpEvents(300);
        QCOMPARE(shown->rowCount(), before);
        window->show();
        QVERIFY(PumpUntil([&] { return shown->rowCount() > before; }, 3000));

        // The search runs on a worker; the rows shown are then exactly those holding the text,
        // also when a longer text looks only among the rows of the shorter one.
        auto *search = window->findChild<QLineEdit *>("Search");
        const auto *counts = window->findChild<QLabel *>("Row counts");
        const CommRing &ring = feature.log().ring();
        const int held = int(ring.endSeq() - ring.firstSeq());
        QVERIFY(PumpUntil([&] { return shown->rowCount() == held; }, 3000));
        for (const QString &text : {QStringLiteral("READ ram"), QStringLiteral("read RAM set  ")}) {
            search->setText(text);
            QVERIFY(PumpUntil([&] { return !counts->text().contains("searching"); }, 10000));
            QList<qint64> holding;
            for (qint64 seq = ring.firstSeq(); seq < ring.endSeq(); ++seq)
                if (TextLine(feature.log(), *ring.at(seq)).contains(text, Qt::CaseInsensitive))
                    holding << seq;
            QList<qint64> shownSeqs;
            for (int r = 0; r < shown->rowCount(); ++r)
                shownSeqs << shown->index(r, 0).data(CommTableModel::SeqRole).toLongLong();
            QVERIFY(!holding.isEmpty());
            QCOMPARE(shownSeqs, holding);
        }
        search->clear();
        QCOMPARE(shown->rowCount(), held);

        window->findChild<QCheckBox *>("Only problems")->setChecked(true);
        QVERIFY(shown->rowCount() > 0);
        for (int r = 0; r < shown->rowCount(); ++r)
            QVERIFY(!shown->index(r, int(CommColumn::Marks)).data().toString().isEmpty());

        QTemporaryDir dir;
        QList<qint64> all;
        for (qint64 seq = feature.log().ring().firstSeq(); seq < feature.log().ring().endSeq();
             ++seq)
            all << seq;
        QString error;
        qsizetype left = -1;
        QVERIFY(SaveCommRows(feature.log(), all, dir.filePath("log.csv"), &error, &left));
        QCOMPARE(left, 0);
        QFile csv(dir.filePath("log.csv"));
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), all.size() + 1);
        QCOMPARE(lines[0], CsvHeader());
        QVERIFY(lines.filter(",to sensor,2 read RAM set,,,36,00 55 00 02 ").size() >= 2);
        CloseCom(com);
    }

    // Rows come and the oldest leave while the save dialog is open: Save… writes what the log
    // holds when the user confirms; Save selection… says how many of its rows left.
    void saveTakesTheRowsWhenConfirmed() {
        CommLog small(RingBounds{1'000'000'000'000, 128 * 1024});
        int next = 0;
        const auto addRows = [&](qint64 count) {
            for (const qint64 end = next + count; next < end; ++next)
                small.note(QStringLiteral("row %1 ").arg(next) + QString(200, 'x'));
        };
        const auto held = [&] { return small.ring().endSeq() - small.ring().firstSeq(); };
        addRows(1000);
        CommLogWindow window(small, nullptr);
        window.show();
        QTemporaryDir dir;
        const auto saveWhileRowsCome = [&](const char *button, const QString &path, qint64 rows) {
            window.findChild<QToolButton *>(button)->click();
            auto *dialog = window.findChild<QFileDialog *>();
            QVERIFY(dialog);
            addRows(rows);
            dialog->selectFile(path);
            static_cast<QDialog *>(dialog)->accept(); // as the Save button does
            QTest::qWait(10);                         // the dialog goes
        };

        saveWhileRowsCome("Save", dir.filePath("all.csv"), 300);
        QFile all(dir.filePath("all.csv"));
        QVERIFY(all.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = all.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 1 + held());
        QVERIFY(lines.last().contains("row 1299 "));

        window.hide();
        window.show(); // takes in the rows that came, as the window's next batch does
        window.findChild<QTableView *>("Rows")->selectAll();
        const qint64 selected = held();
        saveWhileRowsCome("Save selection", dir.filePath("selection.txt"), selected / 2);
        const qint64 left = selected - held() + selected / 2;
        QVERIFY(left > 0 && left < selected);
        auto *told = window.findChild<QMessageBox *>();
        QVERIFY(told);
        QVERIFY2(
            told->text().startsWith(
                QStringLiteral("%1 of the %2 selected rows left the log").arg(left).arg(selected)),
            qPrintable(told->text()));
        QFile text(dir.filePath("selection.txt"));
        QVERIFY(text.open(QIODevice::ReadOnly));
        QVERIFY(text.readAll().contains(
            QStringLiteral("# %1 of the chosen rows left the log").arg(left).toUtf8()));
    }

    // The tool's whole life as main() leads it, with --log and the log window opened once; the
    // file system then refuses the log's last rows (the port's close), written after the panels
    // and the window are gone. The failure must reach nothing destroyed: the sanitizer build
    // checks. Last, as it puts panels and a core listener of its own in place of this test's.
    // The size limit holds for every file this process writes: run it with its output on a
    // pipe, not in a file.
    // The program's own end, in a process of its own: with the log window reopened from the
    // last session, the final rows of --log meet a full file after the window has gone.
    void lastLogWriteFailingAtTheEndHarmsNothing() {
        SimProcess sim({"--seed", "3"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QTemporaryDir dir;
        const QString logPath = dir.filePath("life.log");
        const QString memoryPath = dir.filePath("rmox-sensor-tool/workbench.conf");
        QSettings(memoryPath, QSettings::IniFormat).setValue("Communication_log/open", true);
        // On an X display, where the window's accessibility outlives it as on a desktop; the
        // offscreen platform keeps a reference that hid the fault.
        QProcess display;
        display.start("Xvfb",
                      {"-displayfd", "1", "-nolisten", "tcp", "-screen", "0", "1280x800x24"});
        if (!display.waitForReadyRead(10000))
            QSKIP("Xvfb cannot start here, so the program's end is not tried on an X display");
        QProcess tool;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("DISPLAY", ':' + display.readLine().trimmed());
        env.insert("XDG_CONFIG_HOME", dir.path());
        StartTool(tool, {"--port", "1=" + sim.devicePath(), "--log", logPath}, env);
        QVERIFY(tool.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(
            ContentOf(logPath).contains("Parameter-frame received! - Line Ok!"), 60000);
        // Start-up has settled when two periodic writes added nothing: the write that fails
        // is then the last one, made as the program ends.
        for (qint64 seen = -1; seen != QFileInfo(logPath).size();) {
            seen = QFileInfo(logPath).size();
            QTest::qWait(1500);
        }
        rlimit full{};
        full.rlim_cur = rlim_t(QFileInfo(logPath).size());
        full.rlim_max = RLIM_INFINITY;
        QCOMPARE(prlimit(pid_t(tool.processId()), RLIMIT_FSIZE, &full, nullptr), 0);
        const qint64 written = QFileInfo(logPath).size();
        ::kill(pid_t(tool.processId()), SIGTERM);
        QVERIFY(tool.waitForFinished(60000));
        const QByteArray errors = tool.readAllStandardError();
        QVERIFY2(tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0,
                 errors.constData());
        QVERIFY2(errors.contains("cannot be written (File too large)"), errors.constData());
        QCOMPARE(QFileInfo(logPath).size(), written);
        // Only a window that was shown has a place to remember.
        QVERIFY(QSettings(memoryPath, QSettings::IniFormat).contains("Communication_log/geometry"));
    }
};

QTEST_MAIN(CommLogTest)
#include "test_workbench_comm_log.moc"
