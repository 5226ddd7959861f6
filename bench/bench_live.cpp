// SPDX-License-Identifier: GPL-3.0-or-later
// Live operation against the simulated sensor, measured from outside the operations:
//   - Run's exchanges and Data's sweeps per second on a paced 19200-baud line, as a share of
//     what the line can carry (the sensor answers without delay) and of the rate of a plain
//     client on the same line, the ceiling that the simulator and the operating system allow;
//     for each way the replies may reach the tool (in UART chunks of 8 or 4 bytes, in USB
//     packets on 1 ms or 16 ms ticks), with the tool's CPU during both;
//   - Run's exchanges per second with an unpaced sensor: the tool's own cost per exchange;
//   - the tool's CPU time as a share of wall time during a paced Run, with the sensor in a
//     process of its own so that only the tool is counted;
//   - resident memory after 1,000 and after 100,000 unpaced exchanges;
//   - the live trend's memory after ten hours of frames, and the CPU of the port finder's look
//     at the devices and of a full device list.
// With --workbench the workbench runs as in the tool (the communication log records every
// byte); with --windows every window of its View menu is shown as well (live trend, compare
// view, port diagnostics, communication log following) and every live frame is recorded to a
// file. With the workbench, memory growth is counted from exchange 100,000, once the log is
// full, to 300,000.
// Exchanges are counted by the sensor and watched from a thread of their own, so that the
// watching never wakes the tool's waits; Stop is clicked from a timer inside the running loop.
// Targets are reported, not asserted: the exit code is 0 unless the set-up fails.
//
// Usage: bench_live [--quick] [--hidden] [--workbench] [--windows | --window NAME]
//                   [--only PHASE] [--delivery NAME] [--cpu-seconds S]
//   --quick      shorter runs (10,000 unpaced exchanges instead of 100,000)
//   --hidden     leaves the main panel hidden, which tells the cost of drawing from the rest
//   --workbench  the workbench built over the tool, as the program has it
//   --windows    the workbench with all its windows open, following and recording
//   --window     the same with only the windows whose names hold NAME, e.g. "trend"
//   --only       measures one figure: run, data, unpaced, cpu, store or watch
//   --delivery   Run and Data in one way of delivery only: uart8, uart4, usb1 or usb16
//   --cpu-seconds  how long the CPU figure's Run goes on (10 s; longer evens out noise)
// (with QT_QPA_PLATFORM=offscreen where there is no display)
#include "app/VidaREZezad11.h"
#include "link/COM232.h"
#include "link/protocol.h"
#include "ops/port_setup.h"
#include "ops/run_stop.h"
#include "ops/video_capture.h"
#include "params/params.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "sim/sensor.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/tool_fixture.h"
#include "workbench/ports/port_table.h"
#include "workbench/ports/serial_devices.h"
#include "workbench/program/workbench.h"
#include "workbench/trend/trend_feature.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <string>
#include <sys/resource.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kExchangeBytes = 2 * kFrameBytes;
constexpr int kSweepBytes =
    (kVideoSamples / kVideoBlockSamples) * (kFrameBytes + kVideoBlockBytes) + kExchangeBytes;
constexpr double kLineExchangesPerSecond = sim::kLineBytesPerSecond / kExchangeBytes;
constexpr double kLineSweepsPerSecond = sim::kLineBytesPerSecond / kSweepBytes;

constexpr double kClientShareTarget = 0.993; // of the plain client, for Run and for Data
constexpr double kUnpacedTarget = 3000;
constexpr double kCpuShareTarget = 0.03;
constexpr long kRssGrowthLimitKiB = 64;

// The first replies may still carry start-up cost (first drawing, first allocations).
constexpr std::uint64_t kWarmUpExchanges = 3;
constexpr std::uint64_t kWarmUpSweeps = 1;
constexpr int kPollMs = 2;
constexpr int kReferenceTimeoutMs = 2000;
constexpr auto kQuietBeforeClient = std::chrono::milliseconds(100);

// The ways a reply may reach the tool, as the simulator hands them over.
struct DeliveryMode {
    const char *name;
    const char *label;
    sim::Delivery delivery;
};

constexpr DeliveryMode kDeliveries[] = {
    {"uart8", "8-byte chunks", {8, 0}},
    {"uart4", "4-byte chunks", {4, 0}},
    {"usb1", "USB, 1 ms ticks", {8, 1}},
    {"usb16", "USB, 16 ms ticks", {8, 16}},
};

struct Settings {
    double pacedRunSeconds;
    double dataSeconds;
    std::uint64_t firstRssExchanges; // where the unpaced Run's memory growth is counted from
    std::uint64_t longRunExchanges;
    double longRunLimitSeconds; // ends the unpaced Run early on a slow machine
    double cpuRunSeconds;
};

// A full run takes about four and a half minutes; the plain clients run as long as the tool.
constexpr Settings kFull{10, 12, 1000, 100000, 100, 10};
constexpr Settings kQuick{4, 5, 1000, 10000, 20, 4};

double cpuSeconds(int who = RUSAGE_SELF) {
    rusage usage{};
    getrusage(who, &usage);
    auto seconds = [](timeval t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// CPU of the calling thread alone: the tool's, without the sensor's thread or a watcher's.
double threadCpuSeconds() {
    return cpuSeconds(RUSAGE_THREAD);
}

// VmRSS of this process in KiB, read without allocating; -1 when it cannot be read.
long residentKiB() {
    char text[4096];
    const int fd = open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return -1;
    const ssize_t n = read(fd, text, sizeof text - 1);
    close(fd);
    if (n <= 0)
        return -1;
    text[n] = '\0';
    const char *line = std::strstr(text, "VmRSS:");
    return line ? std::strtol(line + 6, nullptr, 10) : -1;
}

void clickStop() {
    CC_BTNStop(panelHandle, MAIN_STOP, EVENT_LEFT_CLICK, nullptr, 0, 0);
}

// Points port 1 at a device and opens it as start-up does; true when the line check passed.
bool attach(const std::string &device) {
    CloseCom(com);
    qputenv("RMOX_COM1", QByteArray::fromStdString(device));
    com = 1;
    InitRS232(com);
    return ret == 1;
}

// Closes the tool's port when it goes out of scope. Declared after a sensor, it closes the port
// before the sensor goes away, so that the tool never sees the line hang up.
struct PortGuard {
    PortGuard() = default;
    PortGuard(const PortGuard &) = delete;
    PortGuard &operator=(const PortGuard &) = delete;
    ~PortGuard() { CloseCom(com); }
};

// True when the operation that just ended was stopped rather than timed out.
bool endedByStop(const char *what) {
    if (StatusText() != "Timeout RS232-Line!")
        return true;
    std::fprintf(stderr, "bench_live: %s ended in a time-out\n", what);
    return false;
}

// The simulated sensor on a thread of this process, for its counters.
class ThreadSensor {
  public:
    explicit ThreadSensor(const sim::Options &options) : sensor_(options) {
        thread_ = std::thread([this] {
            try {
                sensor_.run();
            } catch (const std::exception &e) {
                std::fprintf(stderr, "bench_live: sensor failed: %s\n", e.what());
            }
        });
    }
    ~ThreadSensor() {
        sensor_.requestStop();
        thread_.join();
    }
    ThreadSensor(const ThreadSensor &) = delete;
    ThreadSensor &operator=(const ThreadSensor &) = delete;

    const std::string &devicePath() const { return sensor_.devicePath(); }
    std::uint64_t liveRequests() const { return sensor_.counters().requestsOf(ORDER_LIVE_VALUES); }

  private:
    sim::Sensor sensor_;
    std::thread thread_;
};

// Polls a counter from the tool's own event processing while an operation runs and reports
// every change with the count and the seconds since the watch began; the moment of a change
// is known to within the polling interval. Its timer wakes the tool's waits, so it serves
// only where the tool hardly waits (the unpaced Run).
class CounterWatch {
  public:
    CounterWatch(std::function<std::uint64_t()> counter,
                 std::function<void(std::uint64_t, double)> changed)
        : counter_(std::move(counter)), changed_(std::move(changed)), base_(counter_()),
          start_(Clock::now()) {
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.callOnTimeout([this] { poll(); });
        timer_.start(kPollMs);
    }

  private:
    void poll() {
        const std::uint64_t count = counter_() - base_;
        if (count == last_)
            return;
        last_ = count;
        changed_(count, std::chrono::duration<double>(Clock::now() - start_).count());
    }

    std::function<std::uint64_t()> counter_;
    std::function<void(std::uint64_t, double)> changed_;
    std::uint64_t base_;
    std::uint64_t last_ = 0;
    Clock::time_point start_;
    QTimer timer_;
};

// Rate between the first and the last change noted.
struct RateSpan {
    std::uint64_t firstCount = 0, lastCount = 0;
    double firstSeconds = 0, lastSeconds = 0;
    bool started = false;

    void note(std::uint64_t count, double seconds) {
        if (!started) {
            firstCount = count;
            firstSeconds = seconds;
            started = true;
        }
        lastCount = count;
        lastSeconds = seconds;
    }
    double perSecond() const {
        const double span = lastSeconds - firstSeconds;
        return span > 0 ? double(lastCount - firstCount) / span : 0;
    }
};

// Polls a counter on a thread of its own and notes the moment of every change from `warmUp`
// on, to within the polling interval, until stopped.
class ThreadWatch {
  public:
    ThreadWatch(std::function<std::uint64_t()> counter, std::uint64_t warmUp)
        : counter_(std::move(counter)) {
        const std::uint64_t base = counter_();
        const auto start = Clock::now();
        thread_ = std::thread([this, base, start, warmUp] {
            std::uint64_t last = 0;
            while (!stop_.load()) {
                const std::uint64_t count = counter_() - base;
                if (count != last && count >= warmUp)
                    span_.note(count, std::chrono::duration<double>(Clock::now() - start).count());
                last = count;
                std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
            }
        });
    }
    ~ThreadWatch() { stop(); }
    ThreadWatch(const ThreadWatch &) = delete;
    ThreadWatch &operator=(const ThreadWatch &) = delete;

    // Ends the watch; the span is complete from then on.
    const RateSpan &stop() {
        stop_.store(true);
        if (thread_.joinable())
            thread_.join();
        return span_;
    }

  private:
    std::function<std::uint64_t()> counter_;
    RateSpan span_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Units, seconds and CPU summed over several spans of measuring.
struct Tally {
    double units = 0, seconds = 0;
    double cpu = 0, wall = 0; // the tool's thread alone

    void add(const RateSpan &span) {
        if (!span.started)
            return;
        units += double(span.lastCount - span.firstCount);
        seconds += span.lastSeconds - span.firstSeconds;
    }
    double perSecond() const { return seconds > 0 ? units / seconds : 0; }
    double cpuShare() const { return wall > 0 ? cpu / wall : 0; }
};

// Runs an operation for its warm-up and `seconds` more, then clicks Stop from a timer inside
// its loop, and adds the counted units after the warm-up and the tool's CPU to the tally.
void measureRate(const std::function<std::uint64_t()> &counter, std::uint64_t warmUp,
                 double seconds, double warmUpSeconds, const std::function<void()> &operation,
                 Tally &tally) {
    ThreadWatch watch(counter, warmUp);
    QTimer::singleShot(int((warmUpSeconds + seconds) * 1000), clickStop);
    const auto start = Clock::now();
    const double cpuStart = threadCpuSeconds();
    operation();
    tally.cpu += threadCpuSeconds() - cpuStart;
    tally.wall += std::chrono::duration<double>(Clock::now() - start).count();
    tally.add(watch.stop());
}

void run() {
    CC_BTNRun(panelHandle, MAIN_RUN, EVENT_COMMIT, nullptr, 0, 0);
}

void data() {
    CC_BTNData(panelHandle, MAIN_DATA, EVENT_COMMIT, nullptr, 0, 0);
}

template <typename... Args> std::string format(const char *pattern, Args... args) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, args...);
    return text;
}

struct Row {
    std::string figure, measured, target, verdict;
};

using Rows = std::vector<Row>;

std::string verdict(bool met) {
    return met ? "met" : "NOT met";
}

// The plain client's rate, the tool's, and how they compare with the line and each other.
Rows compareRows(const char *what, const DeliveryMode &mode, double client, const Tally &tool,
                 double linePerSecond) {
    const double share = tool.perSecond() / client;
    return {{format("%s, plain client, %s", what, mode.label),
             format("%.3f/s = %.1f %% of line", client, 100 * client / linePerSecond), "-", "-"},
            {format("%s, the tool, %s", what, mode.label),
             format("%.3f/s = %.1f %% of line, %.2f %% of client", tool.perSecond(),
                    100 * tool.perSecond() / linePerSecond, 100 * share),
             format(">= %.1f %% of client", 100 * kClientShareTarget),
             verdict(share >= kClientShareTarget)},
            {format("%s, CPU of the tool, %s", what, mode.label),
             format("%.2f %% of a core", 100 * tool.cpuShare()), "-", "-"}};
}

// A sensor on a paced line that answers without delay.
sim::Options pacedOptions(const DeliveryMode &mode) {
    sim::Options options;
    options.replyDelayMs = 0;
    options.delivery = mode.delivery;
    return options;
}

// Writes the frame in szWriteBuf and waits until `replyBytes` have come back.
bool exchangeOnce(int fd, int replyBytes) {
    if (write(fd, szWriteBuf, kFrameBytes) != kFrameBytes)
        return false;
    char reply[kVideoBlockBytes];
    for (int got = 0; got < replyBytes;) {
        pollfd ready{fd, POLLIN, 0};
        if (poll(&ready, 1, kReferenceTimeoutMs) != 1)
            return false;
        const ssize_t n = read(fd, reply, std::size_t(replyBytes - got));
        if (n <= 0)
            return false;
        got += int(n);
    }
    return true;
}

// A live-data exchange as Run makes it.
bool liveExchange(int fd) {
    CopyVarsToPP();
    FillTxBuf(ORDER_LIVE_VALUES, pp);
    return exchangeOnce(fd, kFrameBytes);
}

// A sweep as Data makes it: the four video blocks, then a live-data exchange.
bool sweep(int fd) {
    for (int start = 0; start < kVideoSamples; start += kVideoBlockSamples) {
        const bool last = start + kVideoBlockSamples == kVideoSamples;
        const unsigned short request[PNUM] = {static_cast<unsigned short>(start),
                                              static_cast<unsigned short>(last)};
        FillTxBuf(ORDER_VIDEO_BLOCK, request);
        if (!exchangeOnce(fd, kVideoBlockBytes))
            return false;
    }
    return liveExchange(fd);
}

// What the simulator and the operating system allow on the paced line: a plain client that
// writes each request and waits for the whole reply, over and over. The gap between its rate
// and the tool's is the tool's own doing. False when the device fails.
bool clientRate(const std::string &device, std::uint64_t warmUp, double seconds, bool (*unit)(int),
                Tally &tally) {
    const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A reply to the tool's last request may still be on its way; taken for the client's, it
    // would keep two requests on the line at once.
    std::this_thread::sleep_for(kQuietBeforeClient);
    tcflush(fd, TCIFLUSH);
    RateSpan span;
    const auto start = Clock::now();
    for (std::uint64_t count = 1; !span.started || span.lastSeconds - span.firstSeconds < seconds;
         ++count) {
        if (!unit(fd)) {
            close(fd);
            return false;
        }
        if (count >= warmUp)
            span.note(count, std::chrono::duration<double>(Clock::now() - start).count());
    }
    close(fd);
    tally.add(span);
    return true;
}

// The way of delivery named by --delivery; empty measures them all.
std::string onlyDelivery;

// The plain client and the tool take turns on one sensor for each way of delivery, in slices
// of `slice` seconds, so that a slow phase of the machine falls on both alike. Both send one
// live-data request a unit (an exchange of Run, a sweep of Data), so those requests count
// the units. The tool gives the port up for the client's turns: it opens it exclusively.
bool measurePaced(const char *what, std::uint64_t warmUp, double seconds, double slice,
                  double warmUpSeconds, bool (*unit)(int), void (*operation)(),
                  double linePerSecond, Rows &rows) {
    const int turns = std::max(1, int(std::lround(seconds / slice)));
    for (const DeliveryMode &mode : kDeliveries) {
        if (!onlyDelivery.empty() && onlyDelivery != mode.name)
            continue;
        ThreadSensor sensor(pacedOptions(mode));
        const PortGuard port;
        Tally client, tool;
        for (int turn = 0; turn < turns; ++turn) {
            CloseCom(com);
            if (!clientRate(sensor.devicePath(), warmUp, seconds / turns, unit, client)) {
                std::fprintf(stderr, "bench_live: the plain client got no reply\n");
                return false;
            }
            if (!attach(sensor.devicePath()))
                return false;
            measureRate([&] { return sensor.liveRequests(); }, warmUp, seconds / turns,
                        warmUpSeconds, operation, tool);
            if (!endedByStop(what))
                return false;
        }
        for (Row &row : compareRows(what, mode, client.perSecond(), tool, linePerSecond))
            rows.push_back(std::move(row));
    }
    return true;
}

bool measurePacedRun(const Settings &settings, Rows &rows) {
    return measurePaced("Run", kWarmUpExchanges, settings.pacedRunSeconds, 2, 0.5, liveExchange,
                        run, kLineExchangesPerSecond, rows);
}

bool measurePacedData(const Settings &settings, Rows &rows) {
    return measurePaced("Data", kWarmUpSweeps, settings.dataSeconds, 3, 1.0, sweep, data,
                        kLineSweepsPerSecond, rows);
}

struct MemoryProbe {
    std::uint64_t firstAt = 0, lastAt = 0;
    long firstKiB = -1, lastKiB = -1;
};

// One long unpaced Run: the rate, and resident memory after the first thousand exchanges and
// at the end.
bool measureUnpaced(const Settings &settings, Rows &rows) {
    sim::Options options;
    options.pacing = false;
    ThreadSensor sensor(options);
    const PortGuard port;
    if (!attach(sensor.devicePath()))
        return false;
    RateSpan span;
    MemoryProbe memory;
    bool stopped = false;
    CounterWatch watch([&] { return sensor.liveRequests(); },
                       [&](std::uint64_t count, double at) {
                           if (count < settings.firstRssExchanges || stopped)
                               return;
                           if (!span.started) {
                               memory.firstKiB = residentKiB();
                               memory.firstAt = count;
                           }
                           span.note(count, at);
                           if (count >= settings.longRunExchanges ||
                               at >= settings.longRunLimitSeconds) {
                               memory.lastKiB = residentKiB();
                               memory.lastAt = count;
                               stopped = true;
                               clickStop();
                           }
                       });
    run();
    if (!endedByStop("unpaced Run") || memory.firstKiB < 0 || memory.lastKiB < 0)
        return false;
    rows.push_back({"Run exchanges, unpaced", format("%.0f/s", span.perSecond()),
                    format(">= %.0f/s", kUnpacedTarget),
                    verdict(span.perSecond() >= kUnpacedTarget)});
    const long growth = memory.lastKiB - memory.firstKiB;
    rows.push_back({format("RSS growth, exchange %llu -> %llu",
                           static_cast<unsigned long long>(memory.firstAt),
                           static_cast<unsigned long long>(memory.lastAt)),
                    format("%+ld KiB (%ld -> %ld KiB)", growth, memory.firstKiB, memory.lastKiB),
                    format("< %ld KiB", kRssGrowthLimitKiB),
                    memory.lastAt >= settings.longRunExchanges
                        ? verdict(growth < kRssGrowthLimitKiB)
                        : "short run"});
    return true;
}

// The sensor runs as a process of its own here, so its CPU time is not counted.
bool measureCpu(const Settings &settings, Rows &rows) {
    SimProcess sim({"--reply-delay", "0"});
    if (!sim.isRunning()) {
        std::fprintf(stderr, "bench_live: %s\n", qPrintable(sim.errorString()));
        return false;
    }
    const PortGuard port;
    if (!attach(sim.devicePath().toStdString()))
        return false;
    QTimer::singleShot(int(settings.cpuRunSeconds * 1000), clickStop);
    const auto start = Clock::now();
    const double cpuStart = cpuSeconds();
    run();
    const double cpu = cpuSeconds() - cpuStart;
    const double share = cpu / std::chrono::duration<double>(Clock::now() - start).count();
    rows.push_back({"CPU of the tool, paced Run", format("%.2f %% of a core", 100 * share),
                    format("< %.0f %%", 100 * kCpuShareTarget), verdict(share < kCpuShareTarget)});
    return endedByStop("paced Run with the sensor process");
}

// Ten hours of frames at the paced rate, with the clock made up, into a trend store of its own.
bool measureTrendStore(const Settings &, Rows &rows) {
    constexpr Millis kFrameMs = 38;
    constexpr Millis kHours = 10;
    constexpr std::int64_t kFrames = kHours * 3600 * 1000 / kFrameMs;
    TrendStore store;
    LiveValues v;
    const long before = residentKiB();
    long afterOneHour = 0;
    for (std::int64_t i = 0; i < kFrames; ++i) {
        v.pixels[kFirstEdgeChannel] = float(400 + i % 7);
        store.append(i * kFrameMs, i * kFrameMs, v);
        if (i == kFrames / kHours)
            afterOneHour = residentKiB();
    }
    const long after = residentKiB();
    rows.push_back({format("Trend store, %lld frames (10 h)", static_cast<long long>(kFrames)),
                    format("%+ld KiB, %+ld KiB after hour 1", after - before, after - afterOneHour),
                    "bounded", verdict(after - afterOneHour < kRssGrowthLimitKiB * 16)});
    rows.push_back({"Trend store, kept after 10 h",
                    format("%zu frames + %zu buckets of %lld s", store.frames().size(),
                           store.buckets().size(), static_cast<long long>(store.bucketMs() / 1000)),
                    "-", "-"});
    return true;
}

double cpuMillisecondsPerCall(const std::function<void()> &call, int times) {
    const double start = cpuSeconds();
    for (int i = 0; i < times; ++i)
        call();
    return (cpuSeconds() - start) * 1000 / times;
}

// The port finder's watch: a look once a second (the fingerprint), and the full device list it
// takes only when the fingerprint changed.
bool measureWatch(const Settings &, Rows &rows) {
    const QStringList watched = PortTable().watchedPaths();
    const double look = cpuMillisecondsPerCall([&] { DeviceFingerprint(watched); }, 200);
    const double scan = cpuMillisecondsPerCall([&] { ScanSerialDevices(watched); }, 50);
    rows.push_back({"Port watch, one look a second",
                    format("%.2f ms CPU = %.3f %% of a core", look, look / 10), "-", "-"});
    rows.push_back({"Port watch, full list on a change", format("%.2f ms CPU", scan), "-", "-"});
    return true;
}

struct Phase {
    const char *name;
    bool (*measure)(const Settings &, Rows &);
};

// The CPU figure comes before the unpaced Run: afterwards the trend's last minute would hold
// the 32,768 frames of that run, which no paced line can bring.
constexpr Phase kPhases[] = {
    {"run", measurePacedRun},    {"data", measurePacedData},   {"cpu", measureCpu},
    {"unpaced", measureUnpaced}, {"store", measureTrendStore}, {"watch", measureWatch},
};

// Every window of the View menu shown (or those whose names hold `only`), as a technician may
// have them, and every frame recorded.
bool openWindowsAndRecord(const Workbench &workbench, const QString &only, const QString &file) {
    const auto *bar = rtPanelWidget(panelHandle)->findChild<QMenuBar *>();
    for (QAction *menu : bar->actions())
        if (menu->menu() && menu->objectName() == "View")
            for (QAction *item : menu->menu()->actions())
                if (item->objectName().contains(only, Qt::CaseInsensitive))
                    item->trigger();
    auto *trend = workbench.trend();
    QString error;
    if (!trend || !trend->recorder().start(file, &error)) {
        std::fprintf(stderr, "bench_live: cannot record: %s\n", qPrintable(error));
        return false;
    }
    return true;
}

void printTable(const Rows &rows) {
    std::printf("\n%-44s %-46s %-22s %s\n", "figure", "measured", "target", "verdict");
    for (const Row &row : rows)
        std::printf("%-44s %-46s %-22s %s\n", row.figure.c_str(), row.measured.c_str(),
                    row.target.c_str(), row.verdict.c_str());
    std::printf("line limit: %.2f exchanges/s of %d bytes, %.3f sweeps/s of %d bytes\n",
                kLineExchangesPerSecond, kExchangeBytes, kLineSweepsPerSecond, kSweepBytes);
}

struct Arguments {
    Settings settings = kFull;
    std::string only;     // one phase by name; empty runs them all
    std::string delivery; // one way of delivery by name; empty measures them all
    bool hidden = false;
    bool workbench = false;
    bool windows = false;
    QString window; // part of the name of the one window to show; empty shows them all
    bool valid = true;
};

Arguments parseArguments(int argc, char **argv) {
    Arguments args;
    for (int i = 1; i < argc && args.valid; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            args.settings = kQuick;
        else if (std::strcmp(argv[i], "--hidden") == 0)
            args.hidden = true;
        else if (std::strcmp(argv[i], "--workbench") == 0)
            args.workbench = true;
        else if (std::strcmp(argv[i], "--windows") == 0)
            args.workbench = args.windows = true;
        else if (std::strcmp(argv[i], "--window") == 0 && i + 1 < argc) {
            args.workbench = args.windows = true;
            args.window = QString::fromLocal8Bit(argv[++i]);
        } else if (std::strcmp(argv[i], "--only") == 0 && i + 1 < argc)
            args.only = argv[++i];
        else if (std::strcmp(argv[i], "--delivery") == 0 && i + 1 < argc)
            args.delivery = argv[++i];
        else if (std::strcmp(argv[i], "--cpu-seconds") == 0 && i + 1 < argc)
            args.settings.cpuRunSeconds = std::max(1.0, std::atof(argv[++i]));
        else
            args.valid = false;
    }
    // The communication log's ring fills up to its bound in the first 100,000 unpaced exchanges
    // (two rows each); memory growth is counted from there, over twice as many again.
    if (args.workbench) {
        args.settings.firstRssExchanges = args.settings.longRunExchanges;
        args.settings.longRunExchanges *= 3;
    }
    const bool known = std::any_of(std::begin(kPhases), std::end(kPhases),
                                   [&](const Phase &p) { return args.only == p.name; });
    const bool knownDelivery =
        std::any_of(std::begin(kDeliveries), std::end(kDeliveries),
                    [&](const DeliveryMode &d) { return args.delivery == d.name; });
    args.valid =
        args.valid && (args.only.empty() || known) && (args.delivery.empty() || knownDelivery);
    return args;
}

} // namespace

int main(int argc, char **argv) {
    QApplication app(argc, argv);
    const Arguments args = parseArguments(argc, argv);
    if (!args.valid) {
        std::fprintf(stderr,
                     "usage: bench_live [--quick] [--hidden] [--workbench] "
                     "[--windows | --window NAME] [--only run|data|unpaced|cpu|store|watch] "
                     "[--delivery uart8|uart4|usb1|usb16] [--cpu-seconds S]\n");
        return 2;
    }
    onlyDelivery = args.delivery;
    QDir::setCurrent(QCoreApplication::applicationDirPath() + "/..");
    std::unique_ptr<Workbench> workbench;
    if (args.workbench)
        workbench = std::make_unique<Workbench>(Options{});
    if (!StartToolPanels())
        return 2;
    if (!args.hidden)
        DisplayPanel(panelHandle);
    const QTemporaryDir recordings;
    if (args.windows &&
        !openWindowsAndRecord(*workbench, args.window, recordings.filePath("live.csv")))
        return 2;
    Rows rows;
    bool ok = true;
    for (const Phase &phase : kPhases)
        if (ok && (args.only.empty() || args.only == phase.name))
            ok = phase.measure(args.settings, rows);
    if (!ok)
        std::fprintf(stderr, "bench_live: set-up failed: %s\n", qPrintable(StatusText()));
    StopToolPanels();
    if (!ok)
        return 2;
    printTable(rows);
    return 0;
}
