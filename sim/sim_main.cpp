// SPDX-License-Identifier: GPL-3.0-or-later
// rmox-sensor-sim: a simulated sensor on a pseudo-terminal, for trying the tool without a
// sensor and for end-to-end tests. See usageText() for the options.
#include "sim/options.h"
#include "sim/sensor.h"

#include <atomic>
#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The handler reaches the sensor through this pointer; a signal that comes before the sensor
// exists is remembered and acted on as soon as it does.
std::atomic<sim::Sensor *> runningSensor{nullptr};
volatile std::sig_atomic_t stopBeforeStart = 0;

extern "C" void onStopSignal(int) {
    if (sim::Sensor *sensor = runningSensor.load()) {
        sensor->requestStop();
    } else {
        stopBeforeStart = 1;
    }
}

extern "C" void onPauseSignal(int sig) {
    if (sim::Sensor *sensor = runningSensor.load()) {
        sensor->setPaused(sig == SIGUSR1);
    }
}

void installStopHandlers() {
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) {
        sigaction(sig, &action, nullptr);
    }
    action.sa_handler = onPauseSignal;
    for (int sig : {SIGUSR1, SIGUSR2}) {
        sigaction(sig, &action, nullptr);
    }
}

// A symbolic link to the device for as long as the sensor runs. An existing link at the path
// is replaced (a stale one from an earlier run); anything else there is left alone.
class DeviceLink {
  public:
    DeviceLink(std::string path, const std::string &target) : path_(std::move(path)) {
        namespace fs = std::filesystem;
        std::error_code ec;
        const auto status = fs::symlink_status(path_, ec);
        if (fs::exists(status) && !fs::is_symlink(status)) {
            throw std::runtime_error(path_ + " exists and is not a symbolic link");
        }
        const std::string temp = path_ + ".new";
        fs::remove(temp, ec);
        fs::create_symlink(target, temp, ec);
        if (!ec) {
            fs::rename(temp, path_, ec);
        }
        if (ec) {
            throw std::runtime_error("cannot create link " + path_ + ": " + ec.message());
        }
        target_ = target;
    }
    ~DeviceLink() {
        std::error_code ec;
        if (std::filesystem::read_symlink(path_, ec) == target_) {
            std::filesystem::remove(path_, ec);
        }
    }
    DeviceLink(const DeviceLink &) = delete;
    DeviceLink &operator=(const DeviceLink &) = delete;

  private:
    std::string path_;
    std::filesystem::path target_;
};

} // namespace

int main(int argc, char **argv) {
    const std::string_view program = "rmox-sensor-sim";
    const std::vector<std::string_view> args(argv + 1, argv + argc);
    const sim::ParsedOptions parsed = sim::parseOptions(args);
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", program.data(),
                     parsed.error.c_str(), program.data());
        return kExitUsage;
    }
    if (parsed.help) {
        std::fputs(sim::usageText(program).c_str(), stdout);
        return 0;
    }
    if (parsed.version) {
        std::printf("%s %s\n", program.data(), RMOX_VERSION);
        return 0;
    }

    try {
        installStopHandlers();
        sim::Sensor sensor(parsed.options);
        std::optional<DeviceLink> link;
        if (!parsed.options.linkPath.empty()) {
            link.emplace(parsed.options.linkPath, sensor.devicePath());
        }
        runningSensor = &sensor;
        if (stopBeforeStart != 0) {
            sensor.requestStop();
        }
        std::printf("device %s\n", sensor.devicePath().c_str());
        std::fflush(stdout);
        sensor.run();
        runningSensor = nullptr;
        if (parsed.options.verbose) {
            const sim::Counters &c = sensor.counters();
            std::fprintf(stderr, "%llu requests, %llu replies, %llu bytes sent\n",
                         static_cast<unsigned long long>(c.totalRequests()),
                         static_cast<unsigned long long>(c.replies.load()),
                         static_cast<unsigned long long>(c.bytesSent.load()));
        }
    } catch (const std::exception &e) {
        runningSensor = nullptr;
        std::fprintf(stderr, "%s: %s\n", program.data(), e.what());
        return kExitFailure;
    }
    return 0;
}
