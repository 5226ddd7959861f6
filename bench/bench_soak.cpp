// SPDX-License-Identifier: GPL-3.0-or-later
// Soak run: the tool drives the simulated sensor for a given time, a cycle at a time. Each
// cycle starts a fresh sensor with the next fault mode, chooses the port again through the
// port ring's callback (line check and read-back), then runs Run, Data and Get. Resident
// memory, open descriptors and CPU are sampled between cycles, with no sensor running and the
// port closed, so that every sample sees the same state.
//
//   bench_soak [--minutes M] [--max-growth-kib K]
//
// The first round of fault modes warms the process up (fonts, caches, first allocations); the
// figures at its end are the baseline. Exit status 1 when resident memory at the end exceeds
// the baseline by more than K KiB (default 4096) or descriptors are more than at the baseline;
// 2 when the panels or a sensor cannot be started.
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "ops/port_setup.h"
#include "ops/run_stop.h"
#include "ops/transfer.h"
#include "ops/video_capture.h"
#include "runtime/runtime.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <map>
#include <string>
#include <sys/resource.h>

namespace {

struct Settings {
    double minutes = 10;
    long maxGrowthKiB = 4096;
};

struct Sample {
    double wallSeconds = 0;
    double cpuSeconds = 0;
    long residentKiB = 0;
    long descriptors = 0;
};

// Each cycle runs against one of these sensors, in turn.
const QStringList kFaultModes[] = {
    {},
    {"--garbage"},
    {"--trailing-bytes", "8"},
    {"--split-bytes"},
    {"--live-limit", "15"},
    {"--short-video"},
    {"--wrong-echo"},
    {"--silent"},
    {"--garbage", "--split-bytes"},
};
constexpr int kModes = int(std::size(kFaultModes));

constexpr int kRunMs = 2500; // longer than a time-out, so a silent sensor ends Run itself
constexpr int kDataMs = 1000;

bool parseArguments(int argc, char **argv, Settings &s) {
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (hasValue && std::strcmp(argv[i], "--minutes") == 0)
            s.minutes = std::atof(argv[++i]);
        else if (hasValue && std::strcmp(argv[i], "--max-growth-kib") == 0)
            s.maxGrowthKiB = std::atol(argv[++i]);
        else
            return false;
    }
    return s.minutes > 0 && s.maxGrowthKiB >= 0;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    auto seconds = [](timeval t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            long kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(4096, '\n');
    }
    return -1;
}

long openDescriptors() {
    std::error_code ec;
    long count = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
        ++count;
    return count;
}

// Freed heap is handed back first, so that the figure shows what is still allocated.
Sample sampleNow(const QElapsedTimer &clock) {
    malloc_trim(0);
    return {clock.elapsed() / 1000.0, cpuSeconds(), residentKiB(), openDescriptors()};
}

void printSample(const char *label, const Sample &s, const Sample &since) {
    const double wall = s.wallSeconds - since.wallSeconds;
    const double cpu = wall > 0 ? 100 * (s.cpuSeconds - since.cpuSeconds) / wall : 0;
    std::printf("%-9s %8.1f s  RSS %7ld KiB  fds %3ld  CPU %5.1f %% since previous\n", label,
                s.wallSeconds, s.residentKiB, s.descriptors, cpu);
    std::fflush(stdout);
}

// Clicks Stop after `ms` unless the operation has ended before.
template <typename Operation> void withStopAfter(int ms, Operation operation) {
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout,
                     [] { CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0); });
    stop.start(ms);
    operation();
    stop.stop();
}

// The final status of every operation, counted by operation and fault mode.
std::map<std::string, int> outcomes;

void countOutcome(const char *operation, const QStringList &mode) {
    const QString key =
        QString("%1 [%2]: %3")
            .arg(operation, mode.isEmpty() ? "no fault" : mode.join(' '), StatusText());
    ++outcomes[key.toStdString()];
}

bool cycle(const QStringList &mode, int seed) {
    SimProcess sim(mode + QStringList{"--seed", QString::number(seed)});
    if (!sim.isRunning()) {
        std::fprintf(stderr, "bench_soak: %s\n", qPrintable(sim.errorString()));
        return false;
    }
    qputenv("RMOX_COM1", sim.devicePath().toLocal8Bit());
    SetCtrlVal(panelHandle, MAIN_PORT, 1);
    CC_DropDCom(panelHandle, MAIN_PORT, EVENT_COMMIT, nullptr, 0, 0);
    countOutcome("port", mode);
    withStopAfter(kRunMs, [] { CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0); });
    countOutcome("Run", mode);
    withStopAfter(kDataMs, [] { CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0); });
    countOutcome("Data", mode);
    CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0);
    target = RAM;
    CC_BTNGet(panelHandle, MAIN_GET, EVENT_COMMIT, nullptr, 0, 0);
    countOutcome("Get", mode);
    CloseCom(com);
    return true;
}

void printOutcomes() {
    std::printf("\nFinal status of each operation, by fault mode:\n");
    for (const auto &[key, count] : outcomes)
        std::printf("%6d  %s\n", count, key.c_str());
}

} // namespace

int main(int argc, char **argv) {
    Settings settings;
    if (!parseArguments(argc, argv, settings)) {
        std::fprintf(stderr, "usage: bench_soak [--minutes M] [--max-growth-kib K]\n");
        return 2;
    }
    QApplication app(argc, argv);
    QDir::setCurrent(QCoreApplication::applicationDirPath() + "/..");
    if (!StartToolPanels())
        return 2;
    QElapsedTimer clock;
    clock.start();
    const Sample start = sampleNow(clock);
    printSample("start", start, start);
    Sample baseline = start;
    Sample previous = start;
    int cycles = 0;
    while (clock.elapsed() < settings.minutes * 60000) {
        if (!cycle(kFaultModes[cycles % kModes], cycles + 1))
            return 2;
        ++cycles;
        if (cycles % kModes != 0)
            continue;
        const Sample now = sampleNow(clock);
        printSample(cycles == kModes ? "baseline" : "round", now, previous);
        if (cycles == kModes)
            baseline = now;
        previous = now;
    }
    const Sample end = sampleNow(clock);
    StopToolPanels();
    printSample("end", end, previous);
    printOutcomes();

    const long growth = end.residentKiB - baseline.residentKiB;
    const long moreFds = end.descriptors - baseline.descriptors;
    std::printf("\n%d cycles in %.1f min. CPU %.1f %% over the run.\n", cycles,
                end.wallSeconds / 60,
                100 * (end.cpuSeconds - start.cpuSeconds) / (end.wallSeconds - start.wallSeconds));
    std::printf("RSS start %ld KiB, baseline %ld KiB, end %ld KiB: %+ld KiB since baseline "
                "(limit %ld).\n",
                start.residentKiB, baseline.residentKiB, end.residentKiB, growth,
                settings.maxGrowthKiB);
    std::printf("Descriptors start %ld, baseline %ld, end %ld.\n", start.descriptors,
                baseline.descriptors, end.descriptors);
    if (cycles <= kModes)
        std::printf("Too short: no cycles after the warm-up round to compare.\n");
    const bool ok = cycles > kModes && growth <= settings.maxGrowthKiB && moreFds <= 0;
    std::printf("%s\n", ok ? "PASS" : "FAIL");
    return ok ? 0 : 1;
}
