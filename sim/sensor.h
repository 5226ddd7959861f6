// SPDX-License-Identifier: GPL-3.0-or-later
// A simulated sensor on a pseudo-terminal, usable in-process:
//
//   sim::Options options;
//   sim::Sensor sensor(options);            // opens the pseudo-terminal
//   std::thread t([&] { sensor.run(); });   // answers requests until stopped
//   ... open sensor.devicePath() as a serial port ...
//   sensor.requestStop();
//   t.join();
//
// The constructor throws std::runtime_error when the pseudo-terminal cannot be opened or the
// EEPROM file cannot be read. The options are copied.
#pragma once

#include "sim/counters.h"
#include "sim/frame_finder.h"
#include "sim/options.h"
#include "sim/other_device.h"
#include "sim/parameters.h"
#include "sim/protocol.h"
#include "sim/pty_line.h"
#include "sim/random.h"
#include "sim/replay.h"
#include "sim/scene.h"

#include <atomic>
#include <optional>
#include <string>

namespace sim {

class Sensor {
  public:
    explicit Sensor(const Options &options);
    ~Sensor();
    Sensor(const Sensor &) = delete;
    Sensor &operator=(const Sensor &) = delete;

    // The slave side to open, e.g. "/dev/pts/7".
    const std::string &devicePath() const { return line_.devicePath(); }

    // Serves requests until requestStop(); returns at once if a stop was requested before.
    // Throws std::runtime_error when the pseudo-terminal fails.
    void run();

    // Ends run(). Safe from any thread and from a signal handler.
    void requestStop() noexcept;
    // Holds the sensor: requests wait unanswered and replies on their way stay queued until it
    // resumes. Safe from any thread and from a signal handler.
    void setPaused(bool paused) noexcept;

    const Counters &counters() const { return counters_; }

  private:
    void handle(const FrameFinder::Found &found);
    void replayAnswer(const FrameFinder::Found &found);
    void sendGarbage(PtyLine::Clock::time_point now);
    void log(const char *format, ...) const;

    Options options_;
    PtyLine line_;
    ParameterStore parameters_;
    Scene scene_;
    Protocol protocol_;
    FrameFinder finder_;
    Random faults_;
    Counters counters_;
    OtherDevice other_;
    PtyLine::Clock::time_point nextGarbage_{};
    PtyLine::Clock::time_point started_;
    std::optional<Replay> replay_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> paused_{false};
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
};

} // namespace sim
