// SPDX-License-Identifier: GPL-3.0-or-later
// Wall time of Find sensor over 1, 8 and 16 devices: pseudo-terminals with a line of each kind
// in turn (a sensor, a silent one, a loop-back line, another device talking at 9600 baud, a
// wrong echo, a device held by another process, one locked by another process, a missing
// one). Target: under 1.5 s for 16 devices.
#include "link/protocol.h"
#include "support/pty_pair.h"
#include "support/sim_process.h"
#include "workbench/finder/device_search.h"
#include "workbench/finder/sensor_probe.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr int kRuns = 5;
constexpr double kBoundMs = 1500;

// The devices and the processes behind them, for one search over `count` devices.
struct Bench {
    QTemporaryDir dir;
    std::vector<std::unique_ptr<SimProcess>> sims;
    std::vector<std::unique_ptr<PtyPair>> ptys;
    std::vector<std::unique_ptr<QProcess>> others;
    QStringList locks;
    QList<SearchTarget> targets;

    ~Bench() {
        for (const QString &lock : locks)
            QFile::remove(lock);
        for (auto &p : others) {
            p->kill();
            p->waitForFinished();
        }
    }

    QProcess *sleeper(const QString &stdinPath = {}) {
        others.push_back(std::make_unique<QProcess>());
        if (!stdinPath.isEmpty())
            others.back()->setStandardInputFile(stdinPath);
        others.back()->start("sleep", {"600"});
        others.back()->waitForStarted();
        return others.back().get();
    }

    void add(int kind) {
        const int port = int(targets.size()) + 1;
        static const QList<QStringList> simOptions = {
            {}, {"--silent"}, {"--loopback"}, {"--talker", "9600"}, {"--wrong-echo"}};
        if (kind < simOptions.size()) {
            sims.push_back(std::make_unique<SimProcess>(simOptions[kind]));
            targets.append({port, sims.back()->devicePath()});
            return;
        }
        if (kind == 7) {
            targets.append({port, dir.filePath(QString("missing%1").arg(port))});
            return;
        }
        ptys.push_back(std::make_unique<PtyPair>());
        const QString path = ptys.back()->slavePath();
        if (kind == 5) {
            sleeper(path);
        } else {
            QFile lock(SerialLockPath(path));
            if (lock.open(QIODevice::NewOnly))
                lock.write(QByteArray::number(sleeper()->processId()).rightJustified(10) + '\n');
            locks << lock.fileName();
        }
        targets.append({port, path});
    }
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const unsigned short words[kFrameDataWords] = {};
    const QByteArray frame = EchoFrame(words);
    std::printf("%-8s %9s %9s %9s\n", "devices", "min [ms]", "median", "max [ms]");
    double worst16 = 0;
    for (const int count : {1, 8, 16}) {
        Bench bench;
        for (int i = 0; i < count; ++i)
            bench.add(i % 8);
        std::vector<double> times;
        for (int run = 0; run < kRuns; ++run) {
            QElapsedTimer clock;
            clock.start();
            DeviceSearch search(bench.targets, frame);
            while (!search.finished())
                search.wait(50);
            times.push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        std::sort(times.begin(), times.end());
        std::printf("%-8d %9.0f %9.0f %9.0f\n", count, times.front(), times[kRuns / 2],
                    times.back());
        if (count == 16)
            worst16 = times.back();
    }
    std::printf("16 devices at worst %.0f ms (target under %.0f ms): %s\n", worst16, kBoundMs,
                worst16 < kBoundMs ? "met" : "NOT met");
    return worst16 < kBoundMs ? 0 : 1;
}
