// SPDX-License-Identifier: GPL-3.0-or-later
// The workbench's models on their own, without panels, the tool or the simulated sensor: the
// communication log's ring at its bounds, the log's rows and marks from what the serial ports
// report, the log window's filters, the reopening of a port whose adapter was pulled out, and
// the video signal's figures on the simulator's synthetic lines.
#include "link/protocol.h"
#include "runtime/serial_tap.h"
#include "sim/scene_conditions.h"
#include "state/globals.h"
#include "support/frames.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_log_filter.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/commlog/comm_table_model.h"
#include "workbench/commlog/session_reader.h"
#include "workbench/commlog/session_text.h"
#include "workbench/finder/device_search.h"
#include "workbench/ports/port_reconnect.h"
#include "workbench/videosignal/signal_figures.h"
#include "workbench/videosignal/video_csv.h"
#include "workbench/videosignal/waterfall_view.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <chrono>
#include <malloc.h>
#include <thread>

namespace {

// What one port did `ms` into a script, or the status text the tool showed then.
struct Step {
    int ms = 0;
    SerialTapEvent event;
    QString status;
};
using Script = QList<Step>;

Step tap(int ms, SerialTapEvent::Kind kind, const QByteArray &bytes = {}) {
    SerialTapEvent e;
    e.kind = kind;
    e.port = 1;
    e.bytes = bytes;
    e.requested = int(bytes.size());
    return {ms, e, {}};
}
Step request(int ms, int order, const QList<int> &words = {}) {
    return tap(ms, SerialTapEvent::Written, FrameOf(order, words));
}
Step arrive(int ms, const QByteArray &bytes) {
    return tap(ms, SerialTapEvent::Received, bytes);
}
Step read(int ms, const QByteArray &bytes) {
    return tap(ms, SerialTapEvent::Read, bytes);
}
Step flush(int ms, const QByteArray &bytes, bool input = true) {
    Step s = tap(ms, SerialTapEvent::Flushed, bytes);
    s.event.input = input;
    return s;
}
Step portEvent(int ms, SerialTapEvent::Kind kind, const QString &device, const QString &error) {
    Step s = tap(ms, kind);
    s.event.device = device;
    s.event.errorText = error;
    return s;
}
Step status(int ms, const QString &text) {
    return {ms, {}, text};
}

// A status text takes the log's clock as it comes, so the script's times are laid around the
// (first) status text's.
void feed(CommLog &log, const Script &script) {
    qint64 statusMs = 0;
    for (const Step &s : script)
        if (!s.status.isEmpty()) {
            statusMs = s.ms;
            break;
        }
    const qint64 startNs = rtSerialClock() - statusMs * 1'000'000;
    for (const Step &s : script) {
        if (!s.status.isEmpty()) {
            log.takeStatus(s.status);
            continue;
        }
        SerialTapEvent e = s.event;
        e.nanoseconds = startNs + s.ms * 1'000'000LL;
        log.take(e);
    }
}

// "reply 40 ms short": the row's kind, a reply's time after its request, its marks; a port
// event's text.
QString described(const CommLog &log, const CommRow &row) {
    static const char *const kKinds[] = {"request", "reply",  "flushed in",  "flushed out",
                                         "unread",  "opened", "open failed", "closed",
                                         "failed",  "status", "note"};
    QString text = QString::fromLatin1(kKinds[int(row.kind)]);
    if (row.latencyNs >= 0)
        text += QStringLiteral(" %1 ms").arg(qRound64(double(row.latencyNs) / 1e6));
    if (row.marks)
        text += ' ' + MarksText(row.marks);
    if (row.kind == RowKind::OpenFailed || row.kind == RowKind::Failed)
        text += ": " + CellText(log, row, CommColumn::Decoding);
    return text;
}

// Everything a row holds, its time counted from the log's start.
QString whole(const CommLog &log, const CommRow &row) {
    QStringList arrivals;
    for (const Arrival &a : row.arrivals)
        arrivals << QStringLiteral("%1@%2").arg(a.end).arg(log.sinceStart(a.ns));
    return QStringLiteral("%1 %2 p%3 o%4 f%5 m%6 l%7 r%8 e%9 [%10] [%11] %12")
        .arg(int(row.kind))
        .arg(log.sinceStart(row.ns))
        .arg(row.port)
        .arg(row.order)
        .arg(row.firstSample)
        .arg(row.marks)
        .arg(row.latencyNs)
        .arg(row.requested)
        .arg(row.systemError)
        .arg(QString::fromLatin1(row.bytes.toHex(' ')), arrivals.join(' '), row.text);
}

// The rows of `log` written with `header` and `line`, read back.
template <typename Header, typename Line>
SessionFile writtenAndRead(const CommLog &log, Header header, Line line) {
    QString text = header(log) + '\n';
    for (qint64 seq = log.ring().firstSeq(); seq < log.ring().endSeq(); ++seq)
        text += line(log, *log.ring().at(seq)) + '\n';
    return ReadSession(text.toUtf8());
}

QStringList rowsOf(const CommLog &log) {
    QStringList rows;
    for (qint64 seq = log.ring().firstSeq(); seq < log.ring().endSeq(); ++seq)
        rows << described(log, *log.ring().at(seq));
    return rows;
}

SerialTapEvent portEvent(SerialTapEvent::Kind kind, int port, const QString &device = {}) {
    SerialTapEvent e;
    e.kind = kind;
    e.port = port;
    e.device = device;
    return e;
}

// The simulator's synthetic line as the video graph places it on the whole line: sample i at
// pixel 4i, the object over samples 96 to 159 (pixels 384 to 636).
VideoSnapshot patternSignal(const QByteArray &pattern, int threshold) {
    VideoSnapshot s;
    s.samples = *sim::VideoPattern(pattern.toStdString());
    for (int i = 0; i < kVideoSamples; ++i)
        s.positions[std::size_t(i)] = std::uint16_t(4 * i);
    s.thresholds.fill(std::uint16_t(threshold));
    return s;
}

} // namespace

Q_DECLARE_METATYPE(Step)

class WorkbenchModelsTest : public QObject {
    Q_OBJECT

  private slots:
    // Full, never over its bound, the newest rows kept; by bytes, then by time. At the default
    // bound, replies fill the budget: the slots cost about what the rows held need, and the
    // heap the ring takes stays within what it accounts for.
    void ringKeepsItsBounds() {
        constexpr qint64 kBytes = 200'000;
        CommRing ring(RingBounds{1'000'000'000'000, kBytes});
        CommRow row;
        row.bytes = QByteArray(1000, 'x');
        for (int i = 0; i < 1000; ++i) {
            row.ns = i;
            ring.append(row);
            QVERIFY(ring.heldBytes() <= kBytes);
        }
        QVERIFY(ring.heldBytes() + CommRing::costOf(row) > kBytes);
        QCOMPARE(ring.endSeq(), 1000);
        QCOMPARE(ring.at(ring.firstSeq())->ns, ring.firstSeq());
        QVERIFY(!ring.at(ring.firstSeq() - 1));
        QVERIFY(!ring.at(ring.endSeq()));

        CommRing byTime(RingBounds{2'000'000'000, 1 << 20});
        for (int i = 0; i < 100; ++i) {
            row.ns = i * 100'000'000LL; // 0.1 s apart
            byTime.append(row);
        }
        QCOMPARE(byTime.at(byTime.firstSeq())->ns, 7'900'000'000LL); // the last 2 s, both ends
        QCOMPARE(byTime.endSeq() - byTime.firstSeq(), 21);

        // A row larger than the whole bound still stays while it is the newest.
        CommRing tiny(RingBounds{1'000'000'000, 1});
        for (int i = 0; i < 3; ++i)
            tiny.append(row);
        QCOMPARE(tiny.firstSeq(), 2);
        QCOMPARE(tiny.endSeq(), 3);

        const std::size_t heapBefore = mallinfo2().uordblks;
        {
            CommRing full;
            for (int i = 0; i < 300'000; ++i) {
                CommRow reply;
                reply.kind = RowKind::Reply;
                reply.ns = i;
                reply.bytes = QByteArray(kFrameBytes, 'r');
                full.append(std::move(reply));
            }
            const qint64 held = full.endSeq() - full.firstSeq();
            QVERIFY2(held > 185'000, qPrintable(QString::number(held)));
            QVERIFY(full.heldBytes() <= RingBounds{}.bytes);
            const qint64 heapTaken = qint64(mallinfo2().uordblks) - qint64(heapBefore);
            QVERIFY2(heapTaken <= full.heldBytes(),
                     qPrintable(QStringLiteral("%1 > %2").arg(heapTaken).arg(full.heldBytes())));
        }
    }

    // What the ports reported, as rows: a reply's time is when its last byte came, and only
    // what the sensor or the port did wrong is marked. The waits are 1.55 s, 0.75 s for the
    // set-point teach (order 5).
    void logMarksWhatWentWrong_data() {
        QTest::addColumn<Script>("script");
        QTest::addColumn<QStringList>("rows");
        const QByteArray read2 = FrameOf(2, {500});
        const auto answered = [](int order, int ms, const QByteArray &reply) {
            return Script{request(0, order), arrive(ms, reply), read(ms, reply)};
        };
        QTest::newRow("in time") << answered(2, 40, read2) + Script{status(50, "Line Ok!")}
                                 << QStringList{"request", "reply 40 ms", "status"};
        QTest::newRow("read at 1 s")
            << answered(2, 1000, read2) << QStringList{"request", "reply 1000 ms"};
        QTest::newRow("echo at its wait")
            << answered(7, 1550, FrameOf(7, {0xAA})) << QStringList{"request", "reply 1550 ms"};
        QTest::newRow("echo after its wait") << answered(7, 1551, FrameOf(7, {0xAA}))
                                             << QStringList{"request", "reply 1551 ms late"};
        QTest::newRow("teach after its wait")
            << answered(5, 751, FrameOf(5)) << QStringList{"request", "reply 751 ms late"};
        QTest::newRow("after the time-out text")
            << Script{request(0, 2), status(1000, "Timeout-RS-232..."), arrive(1100, read2),
                      read(1100, read2)}
            << QStringList{"request", "status failure", "reply 1100 ms late"};
        QTest::newRow("reply in pieces") << Script{request(0, 2), arrive(10, read2.left(20)),
                                                   arrive(30, read2.mid(20)), read(200, read2)}
                                         << QStringList{"request", "reply 30 ms"};
        const QByteArray shortBlock = SamplesOf({5}, 100);
        QTest::newRow("short video block")
            << Script{request(0, 9, {192}), arrive(50, shortBlock), read(1600, shortBlock),
                      status(1601, "Timeout-RS-232 while reading 64 data-words!")}
            << QStringList{"request", "reply 50 ms short", "status failure"};
        QTest::newRow("video block and more") << answered(9, 20, SamplesOf({}, 131))
                                              << QStringList{"request", "reply 20 ms trailing"};
        QTest::newRow("short reply dropped after the time-out")
            << Script{request(0, 2), arrive(50, read2.left(20)), status(1550, "Timeout-RS-232..."),
                      flush(1600, read2.left(20))}
            << QStringList{"request", "status failure", "flushed in short flushed"};
        QTest::newRow("reply dropped by Stop")
            << Script{request(0, 8), arrive(20, read2.left(20)), flush(30, read2.left(20))}
            << QStringList{"request", "flushed in"};
        QTest::newRow("late reply dropped")
            << Script{request(0, 2), arrive(2000, read2), flush(2100, read2)}
            << QStringList{"request", "flushed in late flushed"};
        QTest::newRow("bytes after a whole reply")
            << Script{request(0, 2), arrive(40, read2 + "xyz"), read(40, read2), flush(100, "xyz")}
            << QStringList{"request", "reply 40 ms", "flushed in trailing flushed"};
        QTest::newRow("left unread at the close")
            << Script{request(0, 2), arrive(40, read2 + "xyz"), read(40, read2),
                      tap(200, SerialTapEvent::Closed)}
            << QStringList{"request", "reply 40 ms", "unread trailing flushed", "closed"};
        QTest::newRow("bytes nobody awaits")
            << Script{request(0, 3), arrive(100, "abcde"), flush(150, "abcde")}
            << QStringList{"request", "flushed in flushed"};
        QTest::newRow("flushes") << Script{flush(0, {}), flush(10, {}, false),
                                           flush(20, "0123456789", false)}
                                 << QStringList{"flushed out flushed"};
        Step shortWrite = request(0, 2);
        shortWrite.event.bytes.truncate(20);
        QTest::newRow("short write") << Script{shortWrite} << QStringList{"request short"};
        QTest::newRow("other order")
            << answered(2, 40, FrameOf(3, {9})) << QStringList{"request", "reply 40 ms mismatch"};
        QTest::newRow("other sync") << answered(2, 40, FrameOf(2, {}, 0xFFFF))
                                    << QStringList{"request", "reply 40 ms mismatch"};
        QTest::newRow("wrong echo") << answered(7, 40, FrameOf(7, {0x55})) +
                                           Script{status(50, "read error - not sync byte 0xAA!")}
                                    << QStringList{"request", "reply 40 ms failure", "status"};
        QTest::newRow("port events")
            << Script{portEvent(0, SerialTapEvent::Opened, "/dev/ttyUSB0", {}),
                      portEvent(100, SerialTapEvent::Failed, {}, "Input/output error"),
                      tap(100, SerialTapEvent::Closed),
                      portEvent(200, SerialTapEvent::OpenFailed, "/nonexistent/tty",
                                "No such file or directory")}
            << QStringList{"opened", "failed failure: port 1 failed: Input/output error", "closed",
                           "open failed failure: port 1 could not be opened: /nonexistent/tty: "
                           "No such file or directory"};
    }

    void logMarksWhatWentWrong() {
        QFETCH(Script, script);
        QFETCH(QStringList, rows);
        CommLog log;
        feed(log, script);
        QCOMPARE(rowsOf(log), rows);

        // A session file gives every row back as it was; a text log of 1.1 the kinds, bytes,
        // marks and texts.
        const SessionFile session = writtenAndRead(log, SessionHeader, SessionLine);
        QVERIFY2(session.problem.isEmpty(), qPrintable(session.problem));
        CommLog back(session.started, {});
        for (const CommRow &row : session.rows)
            back.restore(row);
        QCOMPARE(back.ring().endSeq(), log.ring().endSeq());
        for (qint64 seq = 0; seq < log.ring().endSeq(); ++seq)
            QCOMPARE(whole(back, *back.ring().at(seq)), whole(log, *log.ring().at(seq)));
        const SessionFile old = writtenAndRead(log, TextHeader, TextLine);
        QVERIFY2(old.problem.isEmpty(), qPrintable(old.problem));
        QCOMPARE(old.format, 1);
        QCOMPARE(qsizetype(old.rows.size()), qsizetype(log.ring().endSeq()));
        for (qint64 seq = 0; seq < log.ring().endSeq(); ++seq) {
            const CommRow &was = *log.ring().at(seq);
            const CommRow &got = old.rows[std::size_t(seq)];
            QCOMPARE(int(got.kind), int(was.kind));
            QCOMPARE(got.bytes, was.bytes);
            QCOMPARE(got.marks, was.marks);
            QCOMPARE(got.text, was.text);
        }
    }

    // Files that are not whole sessions: refused, or read up to where they break.
    void sessionFileRefusesOrStops() {
        const QByteArray header =
            QByteArray(kSessionMagic) + "2\n# started: 2026-12-08T10:00:00.000\n";
        const QByteArray row = "0.5\t-\tstatus\t1\t0\t0\t-\t-\t-\t-\t-\tLine Ok!\n";
        const struct {
            QByteArray content;
            bool refused;
            int rows;
            const char *told;
        } cases[] = {
            {"", true, 0, "empty"},
            {"PK\3\4 a zip file", true, 0, "not a communication log of this tool"},
            {QByteArray(kSessionMagic) + "3\n", true, 0, "newer version of the tool (format 3)"},
            {header + row + row + row.left(10), false, 2, "ends in the middle of line 5"},
            {header + row + "0.6\tnot a row\n" + row, false, 1, "Line 4 is not a row"},
        };
        for (const auto &c : cases) {
            const SessionFile file = ReadSession(c.content);
            QCOMPARE(file.refused, c.refused);
            QCOMPARE(int(file.rows.size()), c.rows);
            QVERIFY2(file.problem.contains(QLatin1String(c.told)), qPrintable(file.problem));
        }
    }

    // By direction and order code (port and status rows pass both), only those marked, and
    // those holding a text once its search has run.
    void filterKeepsTheRowsAsked_data() {
        QTest::addColumn<int>("directions");
        QTest::addColumn<int>("orders");
        QTest::addColumn<bool>("problemsOnly");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QList<qint64>>("shown");
        using D = CommLogFilter::Directions;
        const int all = CommLogFilter::kAllOrders;
        QTest::newRow("all") << int(D::Both) << all << false << ""
                             << QList<qint64>{0, 1, 2, 3, 4, 5, 6};
        QTest::newRow("to sensor")
            << int(D::ToSensor) << all << false << "" << QList<qint64>{0, 1, 3, 5, 6};
        QTest::newRow("from sensor")
            << int(D::FromSensor) << all << false << "" << QList<qint64>{0, 2, 4, 6};
        QTest::newRow("order 8") << int(D::Both) << (1 << 8) << false << ""
                                 << QList<qint64>{0, 3, 4, 6};
        QTest::newRow("other orders") << int(D::Both) << 1 << false << "" << QList<qint64>{0, 5, 6};
        QTest::newRow("replies to 2")
            << int(D::FromSensor) << (1 << 2) << false << "" << QList<qint64>{0, 2, 6};
        QTest::newRow("problems") << int(D::Both) << all << true << "" << QList<qint64>{4, 6};
        QTest::newRow("search") << int(D::Both) << all << false << "READ ram"
                                << QList<qint64>{1, 2};
        QTest::newRow("search among problems")
            << int(D::Both) << all << true << "timeout" << QList<qint64>{6};
    }

    void filterKeepsTheRowsAsked() {
        QFETCH(int, directions);
        QFETCH(int, orders);
        QFETCH(bool, problemsOnly);
        QFETCH(QString, search);
        QFETCH(QList<qint64>, shown);
        CommLog log;
        const QByteArray live = FrameOf(8, {312});
        feed(log,
             {portEvent(0, SerialTapEvent::Opened, "/dev/ttyUSB0", {}), request(10, 2),
              arrive(50, FrameOf(2)), read(50, FrameOf(2)), request(100, 8), arrive(2200, live),
              read(2200, live), request(2300, 12), status(2400, "Timeout RS232-Line!")});
        QCOMPARE(log.ring().endSeq(), 7);
        CommTableModel rows(log);
        rows.catchUp();
        CommLogFilter filter(rows);
        QSignalSpy searched(&filter, &CommLogFilter::searchFinished);
        filter.setDirections(CommLogFilter::Directions(directions));
        filter.setOrders(quint16(orders));
        filter.setProblemsOnly(problemsOnly);
        filter.setSearch(search);
        if (!search.isEmpty())
            QVERIFY(searched.wait(5000));
        QList<qint64> seqs;
        for (int r = 0; r < filter.rowCount(); ++r)
            seqs << filter.index(r, 0).data(CommTableModel::SeqRole).toLongLong();
        QCOMPARE(seqs, shown);
    }

    // The port in use fails: it is reopened once its adapter (known by its serial number) was
    // seen gone and is back, when nothing runs; where an override names another device it is
    // only told; an open that fails waits for the next plug; a closed port is not followed.
    // Expected values by hand. The patterns' parts change between samples 95 and 96 and between
    // 159 and 160 (pixels 382 and 638); samples within 12 pixels of those are on the ramp, so
    // the flat dark part is samples 99 to 156 and the flat bright part the rest beyond 92 and
    // 163. A crossing between samples a and b lies at 4a + 4 (t - a) / (b - a) and moves
    // 4 w / |b - a| pixels per noise width w (at least 1).
    void videoSignalFigures_data() {
        QTest::addColumn<QByteArray>("pattern");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<QString>("levels"); // floor plateau noise saturated clipped suggested
        QTest::addColumn<QString>("crossings");
        QTest::addColumn<QString>("verdicts");
        // 800 outside, 100 inside: falling at 380 + 4 * 350/700 = 382, rising at 636 + 2;
        // each moves 4/700 px. Margins 350 = half the contrast.
        QTest::newRow("clean step")
            << QByteArray("clean-step") << 450 << "100.0 800.0 0.000 0 0 450"
            << "382.000 falling 0.006; 638.000 rising 0.006"
            << "good good good good good good good good";
        // The same line with the threshold 30 above the floor: 30 < 10 % of 700 is poor;
        // falling at 380 + 4 * 670/700 = 383.829, rising at 636 + 4 * 30/700 = 636.171.
        QTest::newRow("threshold near the floor")
            << QByteArray("clean-step") << 130 << "100.0 800.0 0.000 0 0 450"
            << "383.829 falling 0.006; 636.171 rising 0.006"
            << "good good good good good good poor good";
        // 800 and 200 with +60, 0, -60, 0: every neighbour differs by 60, so the noise is
        // sqrt(60^2 / 2) = 42.426, 7.07 % of the contrast 600 (poor). Medians: the flat dark
        // samples hold 29 zeros of 58, the bright ones 93 of 186. Margins 300 = 50 % of the
        // contrast but 7.07 noise widths: marginal. Sample 95 is 800, 96 is 260: falling at
        // 380 + 4 * 300/540 = 382.222, moving 4 * 42.426/540 = 0.314; sample 159 is 200, 160 is
        // 860: rising at 636 + 4 * 300/660 = 637.818, moving 4 * 42.426/660 = 0.257.
        QTest::newRow("noisy step")
            << QByteArray("noisy-step") << 500 << "200.0 800.0 42.426 0 0 500"
            << "382.222 falling 0.314; 637.818 rising 0.257"
            << "good good good poor good good marginal marginal";
        // 1023 outside, 100 inside: 192 samples at the top (poor), the plateau above 1000
        // (marginal); suggested (100 + 1023) / 2 = 561.5, rounded 562. Falling at
        // 380 + 4 * 573/923 = 382.483, rising at 636 + 4 * 350/923 = 637.517, moving 4/923.
        QTest::newRow("saturated plateau")
            << QByteArray("saturated") << 450 << "100.0 1023.0 0.000 192 0 562"
            << "382.483 falling 0.004; 637.517 rising 0.004"
            << "good marginal good good poor good good good";
        // 16, 8, 0, 8 repeated: one part (the best split explains 2/3 of the variance), its
        // median 8 is dark; 64 samples at 0; noise 8 / sqrt(2) = 5.657; nothing to judge.
        QTest::newRow("dark only") << QByteArray("dark") << 450 << "8.0 - 5.657 0 64 -"
                                   << ""
                                   << "— — — — — — — —";
    }
    void videoSignalFigures() {
        QFETCH(QByteArray, pattern);
        QFETCH(int, threshold);
        const SignalFigures f = AnalyseSignal(patternSignal(pattern, threshold));
        auto optional = [](const auto &v, int precision) {
            return v ? QString::number(double(*v), 'f', precision) : QStringLiteral("-");
        };
        QTEST(QStringList({optional(f.floor, 1), optional(f.plateau, 1),
                           QString::number(f.noise, 'f', 3), QString::number(f.saturated),
                           QString::number(f.clipped), optional(f.suggestedThreshold, 0)})
                  .join(' '),
              "levels");
        QStringList crossings;
        for (const Crossing &c : f.crossings)
            crossings << QStringLiteral("%1 %2 %3")
                             .arg(c.positionPx, 0, 'f', 3)
                             .arg(c.rising ? "rising" : "falling")
                             .arg(c.movePerNoisePx, 0, 'f', 3);
        QTEST(crossings.join(QStringLiteral("; ")), "crossings");
        QStringList verdicts;
        for (int i = 0; i < kFigureCount; ++i)
            verdicts << NameOf(VerdictOf(f, Figure(i)));
        QTEST(verdicts.join(' '), "verdicts");
        QCOMPARE(f.marginToFloor, std::optional<double>(threshold - *f.floor));
    }

    // A saved signal reads back as it was; a file that is not one is refused with the reason.
    void videoCsvReadsBack() {
        QTemporaryDir dir;
        const VideoSnapshot saved = patternSignal("noisy-step", 500);
        const QString path = dir.filePath("signal.csv");
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(CsvOf(saved));
        file.close();
        QString error;
        const std::optional<VideoSnapshot> read = ReadVideoCsv(path, &error);
        QVERIFY2(read, qPrintable(error));
        QCOMPARE(read->samples, saved.samples);
        QCOMPARE(read->positions, saved.positions);
        QCOMPARE(read->thresholds, saved.thresholds);

        const QList<QPair<QByteArray, QString>> broken = {
            {"sample,value\n", "the first line"},
            {CsvOf(saved).replace("\n255,", "\nx,"), "line 257"},
            {CsvOf(saved).replace(",1008,860,500", ",1008,1024,500"), "line 254"},
            {CsvOf(saved).replace(",1008,860,500", ",1008,860,501"), "the threshold differs"},
            {CsvOf(saved).left(CsvOf(saved).lastIndexOf("255,")), "255 rows"},
        };
        for (const auto &[bytes, why] : broken) {
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(bytes);
            file.close();
            QVERIFY(!ReadVideoCsv(path, &error));
            QVERIFY2(error.contains(why), qPrintable(error));
        }
        QVERIFY(!ReadVideoCsv(dir.path(), &error));
        QVERIFY2(error.contains("not a regular file"), qPrintable(error));
    }

    // The waterfall moved down by newer signals shows what one drawn whole over the same
    // history shows: the rows kept, the newest drawn again, gaps hatched in step.
    void waterfallMovesAsDrawnWhole() {
        SignalHistory history;
        const VideoSnapshot clean = patternSignal("clean-step", 450);
        const VideoSnapshot noisy = patternSignal("noisy-step", 500);
        auto take = [&](qint64 ms, const VideoSnapshot &s) {
            history.append(ms, ms, s, AnalyseSignal(s));
        };
        for (qint64 ms = 0; ms < 40'000; ms += 400)
            take(ms, ms % 2000 ? clean : noisy);
        WaterfallView moved(history, nullptr);
        moved.resize(900, 400);
        moved.grab();
        // Newer signals after a gap of 5 s: hatched rows, then rows drawn anew.
        for (qint64 ms = 45'000; ms < 52'000; ms += 350)
            take(ms, ms % 1400 ? noisy : clean);
        WaterfallView whole(history, nullptr);
        whole.resize(900, 400);
        QCOMPARE(moved.grab().toImage(), whole.grab().toImage());
        take(52'100, clean);
        take(52'500, noisy);
        WaterfallView again(history, nullptr);
        again.resize(900, 400);
        QCOMPARE(moved.grab().toImage(), again.grab().toImage());
    }

    // A device the system holds in open or close (a stalled adapter) is left behind at its
    // limit while the search ends; Cancel ends the probes still waiting at once.
    void searchLeavesAStalledProbeBehind() {
        using namespace std::chrono_literals;
        std::atomic_int stalledEnded{0};
        std::atomic_int waitingEnded{0};
        const DeviceSearch::Probe probe = [&](const SearchTarget &t,
                                              const std::atomic_bool &cancel) {
            if (t.path.endsWith("stalled")) { // deaf to cancel, as a hung open() is
                std::this_thread::sleep_for(2 * DeviceSearch::kProbeLimitMs * 1ms);
                ++stalledEnded;
            } else if (t.path.endsWith("waiting")) {
                while (!cancel)
                    std::this_thread::sleep_for(5ms);
                ++waitingEnded;
            } else {
                return ProbeFinding{ProbeFinding::Answered, {}, {}, 20.0};
            }
            return ProbeFinding{ProbeFinding::Silent, {}, {}};
        };
        const ProbeFinding own{ProbeFinding::InUse, {}, {}};
        DeviceSearch search({{1, "sensor"}, {2, "stalled"}, {3, "own", true, true, own}}, probe);
        for (int i = 0; i < 400 && !search.finished(); ++i)
            search.wait(50);
        QVERIFY(search.finished());
        QCOMPARE(stalledEnded.load(), 0);
        QCOMPARE(search.finding(0).kind, ProbeFinding::Answered);
        QCOMPARE(search.finding(1).kind, ProbeFinding::Abandoned);
        QCOMPARE(search.finding(2).kind, ProbeFinding::InUse);
        // Its late end changes nothing.
        QTRY_COMPARE_WITH_TIMEOUT(stalledEnded.load(), 1, 10000);
        QCOMPARE(search.finding(1).kind, ProbeFinding::Abandoned);

        DeviceSearch cancelled({{1, "waiting"}}, probe);
        cancelled.cancel();
        QVERIFY(cancelled.finished());
        QCOMPARE(cancelled.finding(0).kind, ProbeFinding::Cancelled);
        QTRY_COMPARE_WITH_TIMEOUT(waitingEnded.load(), 1, 10000);
    }

    void reconnectFollowsTheAdapter() {
        QTemporaryDir dir;
        const QString named = dir.filePath("ttyNamed"); // nothing there: opening it fails at once
        const QString elsewhere = dir.filePath("ttyElsewhere");
        QVERIFY(QFile(elsewhere).open(QIODevice::WriteOnly));
        qputenv("RMOX_COM5", named.toLocal8Bit());
        DeviceScan here, away, moved;
        here.devices = {{named, "FT232R USB UART", "FTDI", "A50285BI", ""}};
        moved.devices = {{elsewhere, "FT232R USB UART", "FTDI", "A50285BI", ""}};

        PortReconnect reconnect;
        QSignalSpy lost(&reconnect, &PortReconnect::lost);
        QSignalSpy told(&reconnect, &PortReconnect::told);
        rtSetSerialTap([&](const SerialTapEvent &e) { reconnect.noteSerial(e, here); });
        stop_flag = 1;
        reconnect.noteSerial(portEvent(SerialTapEvent::Opened, 5, named), here);
        reconnect.noteSerial(portEvent(SerialTapEvent::Failed, 4), here);
        QCOMPARE(lost.count(), 0);
        for (const auto kind : {SerialTapEvent::Failed, SerialTapEvent::Closed})
            reconnect.noteSerial(portEvent(kind, 5), here);
        QCOMPARE(lost.count(), 1);
        QCOMPARE(reconnect.lostPort(), 5);

        reconnect.noteScan(here); // not yet seen gone: no replug
        reconnect.noteScan(away);
        reconnect.noteScan(moved);
        reconnect.noteScan(moved);
        QCOMPARE(told.count(), 1);
        QCOMPARE(told[0][0].toString(), "port 5: the adapter came back as " + elsewhere +
                                            ", but RMOX_COM5 names " + named +
                                            "; pick the port that shows it");

        reconnect.noteScan(away);
        stop_flag = 0; // a Run: tried again a little later
        reconnect.noteScan(here);
        QCOMPARE(told.count(), 1);
        stop_flag = 1;
        QVERIFY(told.wait(20 * PortReconnect::kRetryMs));
        QVERIFY2(told[1][0].toString().startsWith(
                     "port 5 (" + named + "): the adapter came back; could not open it again"),
                 qPrintable(told[1][0].toString()));
        reconnect.noteScan(here); // back under its name, yet not to be opened: the next plug
        QCOMPARE(told.count(), 2);
        QCOMPARE(reconnect.lostPort(), 5);

        // Another port that cannot be opened ends the watch.
        reconnect.noteSerial(portEvent(SerialTapEvent::OpenFailed, 3), here);
        QCOMPARE(reconnect.lostPort(), 0);
        reconnect.noteScan(away);
        reconnect.noteScan(here);
        QCOMPARE(told.count(), 2);

        // A port the user closed is not followed.
        reconnect.noteSerial(portEvent(SerialTapEvent::Opened, 5, named), here);
        reconnect.noteSerial(portEvent(SerialTapEvent::Closed, 5), here);
        reconnect.noteSerial(portEvent(SerialTapEvent::Failed, 5), here);
        QCOMPARE(lost.count(), 1);
        rtSetSerialTap({});
        qunsetenv("RMOX_COM5");
    }
};

QTEST_MAIN(WorkbenchModelsTest)
#include "test_workbench_models.moc"
