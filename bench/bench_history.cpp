// SPDX-License-Identifier: GPL-3.0-or-later
// The time to record one event in the service history: a parameter set added as its own
// transaction, as the history's thread does for every set read or written, in SQLite (a file
// in a temporary folder, WAL) and in PostgreSQL when RMOX_TEST_POSTGRES names a server
// (scripts/test-postgres.sh starts one). Prints the median, the 99th percentile and the worst.
//
//   build/bench/bench_history [EVENTS]
#include "workbench/history/history_store.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

void measure(const QString &name, const QString &location, int events) {
    HistoryStore store(name);
    if (!store.open(location)) {
        std::printf("%-10s not measured: %s\n", qPrintable(name), qPrintable(store.lastError()));
        return;
    }
    const SessionRecord session = NewSession();
    store.addSession(session);
    std::vector<double> ms;
    QElapsedTimer clock;
    for (int i = 0; i < events; ++i) {
        SetRecord set;
        set.id = NewRecordId();
        set.sessionId = session.id;
        set.at = QDateTime::currentDateTimeUtc();
        set.place = QStringLiteral("RAM");
        set.words[0] = static_cast<unsigned short>(i);
        clock.start();
        if (!store.addSet(set)) {
            std::printf("%-10s failed: %s\n", qPrintable(name), qPrintable(store.lastError()));
            return;
        }
        ms.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    std::printf("%-10s %d events: median %.2f ms, 99th percentile %.2f ms, worst %.2f ms\n",
                qPrintable(name), events, ms[ms.size() / 2], ms[ms.size() * 99 / 100], ms.back());
}

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const int events = argc > 1 ? std::max(10, atoi(argv[1])) : 500;
    QTemporaryDir dir;
    measure(QStringLiteral("SQLite"), dir.filePath(QStringLiteral("history.sqlite")), events);
    const QString postgres = qEnvironmentVariable("RMOX_TEST_POSTGRES");
    if (postgres.isEmpty())
        std::printf("PostgreSQL not measured: RMOX_TEST_POSTGRES is not set\n");
    else
        measure(QStringLiteral("PostgreSQL"), postgres, events);
    return 0;
}
