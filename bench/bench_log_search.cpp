// SPDX-License-Identifier: GPL-3.0-or-later
// The communication log window's search on a full log: a log filled to its memory bound with
// the rows of Run (a request and a live frame per exchange), the window shown, a text typed
// into Search one key at a time. For each key: how long the key held the window, and when the
// rows shown were those of the text typed. Target: no key and no other event holds the window
// for more than 30 ms.
#include "link/protocol.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_log_window.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <cstdio>

namespace {

QByteArray frame(quint16 order, quint16 first, quint16 second) {
    QByteArray bytes(kFrameBytes, '\0');
    PutWord(bytes.data() + kSyncAt, SYNC_WORD);
    PutWord(bytes.data() + kOrderAt, order);
    PutWord(bytes.data() + kDataAt, first);
    PutWord(bytes.data() + kDataAt + 2, second);
    return bytes;
}

// Exchanges 0.25 ms apart until the ring has begun to drop its oldest rows.
void fill(CommLog &log) {
    SerialTapEvent e;
    e.port = 1;
    e.device = QStringLiteral("/dev/ttyUSB0");
    e.kind = SerialTapEvent::Opened;
    e.nanoseconds = rtSerialClock();
    log.take(e);
    for (quint16 i = 0; log.ring().firstSeq() == 0; ++i) {
        e.nanoseconds += 250'000;
        e.kind = SerialTapEvent::Written;
        e.bytes = frame(ORDER_LIVE_VALUES, 0, 0);
        e.requested = kFrameBytes;
        log.take(e);
        e.nanoseconds += 250'000;
        e.bytes = frame(ORDER_LIVE_VALUES, 300 + i % 200, 700 + i % 150);
        for (const auto kind : {SerialTapEvent::Received, SerialTapEvent::Read}) {
            e.kind = kind;
            log.take(e);
        }
    }
}

bool searching(const QWidget &window) {
    return window.findChild<QLabel *>(QStringLiteral("Row counts"))
        ->text()
        .contains(QStringLiteral("searching"));
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    CommLog log;
    QElapsedTimer clock;
    clock.start();
    fill(log);
    std::printf("log: %lld rows, %lld KiB, filled in %lld ms\n",
                log.ring().endSeq() - log.ring().firstSeq(), log.ring().heldBytes() / 1024,
                clock.elapsed());
    CommLogWindow window(log, nullptr);
    window.show();
    QTest::qWait(1500);
    auto *search = window.findChild<QLineEdit *>(QStringLiteral("Search"));
    auto *counts = window.findChild<QLabel *>(QStringLiteral("Row counts"));

    const QString typed = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("edge1=42");
    std::printf("%-8s %10s %14s %12s\n", "text", "key [ms]", "longest [ms]", "shown [ms]");
    qint64 worst = 0;
    for (int n = 1; n <= typed.size(); ++n) {
        clock.restart();
        QTest::keyClick(search, typed.at(n - 1).toLatin1());
        const qint64 key = clock.elapsed();
        qint64 longest = key;
        while (searching(window)) {
            QElapsedTimer pass;
            pass.start();
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            longest = std::max(longest, pass.elapsed());
        }
        worst = std::max(worst, longest);
        std::printf("%-8s %10lld %14lld %12lld   %s\n", qPrintable(typed.left(n)), key, longest,
                    clock.elapsed(), qPrintable(counts->text()));
    }
    std::printf("longest hold of the window: %lld ms (target 30 ms): %s\n", worst,
                worst <= 30 ? "met" : "NOT met");
    return 0;
}
