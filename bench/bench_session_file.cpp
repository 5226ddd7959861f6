// SPDX-License-Identifier: GPL-3.0-or-later
// The session file of the communication log, over ten minutes of paced Run (a request and a
// live frame in pieces of 8 bytes, 26 exchanges a second, as the line allows):
//   - what writing the rows costs: the session lines that --log writes now, and the text lines
//     it wrote before, both timed over the same rows, as a share of a core over the ten minutes;
//   - the file's size, and opening it: reading, parsing, and the window showing its last rows.
#include "link/protocol.h"
#include "support/frames.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_log_window.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/commlog/session_reader.h"
#include "workbench/commlog/session_text.h"
#include "workbench/commlog/session_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace {

constexpr qint64 kSpanNs = 600LL * 1000 * 1000 * 1000;
constexpr qint64 kExchangeNs = 1'000'000'000 / 26;
constexpr int kPiece = 8;

void fill(CommLog &log) {
    SerialTapEvent e;
    e.port = 1;
    e.device = QStringLiteral("/dev/ttyUSB0");
    e.kind = SerialTapEvent::Opened;
    e.nanoseconds = log.startNs();
    log.take(e);
    for (quint16 i = 0; e.nanoseconds - log.startNs() < kSpanNs - kExchangeNs; ++i) {
        const qint64 start = e.nanoseconds;
        e.kind = SerialTapEvent::Written;
        e.bytes = FrameOf(ORDER_LIVE_VALUES);
        e.requested = kFrameBytes;
        log.take(e);
        const QByteArray reply = FrameOf(ORDER_LIVE_VALUES, {300 + i % 200, 700 + i % 150});
        e.kind = SerialTapEvent::Received;
        for (int at = 0; at < reply.size(); at += kPiece) {
            e.nanoseconds = start + 19'000'000 + at * 520'000;
            e.bytes = reply.mid(at, kPiece);
            log.take(e);
        }
        e.kind = SerialTapEvent::Read;
        e.bytes = reply;
        log.take(e);
        e.nanoseconds = start + kExchangeNs;
    }
}

// The CPU of turning every row into text, in ms, and the bytes it makes.
template <typename Line> std::pair<double, qint64> timeLines(const CommLog &log, Line line) {
    QElapsedTimer clock;
    clock.start();
    qint64 bytes = 0;
    for (qint64 seq = log.ring().firstSeq(); seq < log.ring().endSeq(); ++seq)
        bytes += (line(*log.ring().at(seq)) + QLatin1Char('\n')).toUtf8().size();
    return {double(clock.nsecsElapsed()) / 1e6, bytes};
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    CommLog log;
    fill(log);
    const qint64 rows = log.ring().endSeq() - log.ring().firstSeq();
    std::printf("ten minutes of paced Run: %lld rows\n", rows);
    for (int round = 0; round < 3; ++round) {
        const auto [oldMs, oldBytes] =
            timeLines(log, [&](const CommRow &row) { return TextLine(log, row); });
        const auto [newMs, newBytes] =
            timeLines(log, [&](const CommRow &row) { return SessionLine(log, row); });
        std::printf("text lines (before): %7.1f ms, %5.2f us a row, %.4f %% of a core, %lld KiB\n",
                    oldMs, oldMs * 1000 / double(rows), oldMs / 6000, oldBytes / 1024);
        std::printf("session lines (now): %7.1f ms, %5.2f us a row, %.4f %% of a core, %lld KiB\n",
                    newMs, newMs * 1000 / double(rows), newMs / 6000, newBytes / 1024);
    }

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ten-minutes.txt"));
    {
        QString text = SessionHeader(log) + QLatin1Char('\n');
        for (qint64 seq = log.ring().firstSeq(); seq < log.ring().endSeq(); ++seq)
            text += SessionLine(log, *log.ring().at(seq)) + QLatin1Char('\n');
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0)
            return 1;
    }
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const SessionFile session = ReadSession(file.readAll());
        const qint64 parsed = clock.elapsed();
        clock.restart();
        QWidget *window = OpenSessionWindow(path, nullptr);
        if (!window)
            return 1;
        if (!QTest::qWaitForWindowExposed(window))
            return 1;
        QApplication::processEvents();
        std::printf("open %lld KiB, %zu rows: read and parsed in %lld ms; File -> Open session "
                    "shows it in %lld ms\n",
                    file.size() / 1024, session.rows.size(), parsed, clock.elapsed());
        window->close();
        QApplication::processEvents();
    }
    return 0;
}
