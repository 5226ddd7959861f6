// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sensor.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace sim {

namespace {

using Clock = PtyLine::Clock;
using std::chrono::milliseconds;

double lineSeconds(std::size_t bytes) {
    return static_cast<double>(bytes) / kLineBytesPerSecond;
}

} // namespace

Sensor::Sensor(const Options &options)
    : options_(options), line_(options.pacing, options.delivery), parameters_(options.eepromFile),
      scene_(options.seed), protocol_(options_, parameters_, scene_),
      faults_(options.seed ^ 0xFA017ull), other_(options_), started_(Clock::now()) {
    scene_.setConditions(options.scene);
    if (!options.replayFile.empty()) {
        replay_ = Replay::load(options.replayFile);
    }
    int fds[2];
    if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        throw std::runtime_error(std::string("cannot create a pipe: ") + std::strerror(errno));
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
}

Sensor::~Sensor() {
    close(wakeRead_);
    close(wakeWrite_);
}

void Sensor::requestStop() noexcept {
    stop_.store(true);
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(wakeWrite_, &byte, 1);
}

void Sensor::setPaused(bool paused) noexcept {
    paused_.store(paused);
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = write(wakeWrite_, &byte, 1);
}

void Sensor::log(const char *format, ...) const {
    if (!options_.verbose) {
        return;
    }
    const double t = std::chrono::duration<double>(Clock::now() - started_).count();
    std::fprintf(stderr, "%9.3f ", t);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
}

// The scene moves on by the line time of the exchange, so that it drifts at its real pace
// while the tool polls, whatever the pacing.
void Sensor::handle(const FrameFinder::Found &found) {
    const Frame &request = found.frame;
    ++counters_.requests[request.order];
    if (replay_) {
        replayAnswer(found);
        return;
    }
    const int delayMs = options_.effectiveReplyDelayMs();
    scene_.advance(lineSeconds(kFrameBytes) + delayMs / 1000.0);
    const std::vector<std::uint8_t> reply = protocol_.handle(request);
    if (const std::string error = protocol_.takeError(); !error.empty()) {
        std::fprintf(stderr, "rmox-sensor-sim: %s\n", error.c_str());
    }
    log("order %u (word 0 = %u): %zu bytes back", static_cast<unsigned>(request.order),
        static_cast<unsigned>(request.data[0]), reply.size());
    if (reply.empty()) {
        return;
    }
    line_.send(reply, found.complete + milliseconds(delayMs), options_.splitBytes);
    scene_.advance(lineSeconds(reply.size()));
    ++counters_.replies;
}

// Line noise: a few random bytes at random moments, only while no reply is on its way.
void Sensor::sendGarbage(Clock::time_point now) {
    if (line_.idle() && !finder_.holdsPartial()) {
        std::vector<std::uint8_t> bytes(faults_.between(1, 8));
        for (auto &b : bytes) {
            b = static_cast<std::uint8_t>(faults_.next());
        }
        line_.send(bytes, now, options_.splitBytes);
        log("%zu garbage bytes", bytes.size());
    }
    nextGarbage_ = now + milliseconds(faults_.between(150, 600));
}

void Sensor::run() {
    std::vector<PtyLine::Arrival> arrived;
    nextGarbage_ = Clock::now();
    while (!stop_.load()) {
        if (paused_.load()) {
            pollfd wake{wakeRead_, POLLIN, 0};
            if (poll(&wake, 1, -1) > 0) {
                char drain[64];
                while (read(wakeRead_, drain, sizeof drain) > 0) {
                }
            }
            continue;
        }
        Clock::time_point now = Clock::now();
        counters_.bytesSent += line_.writeDue(now);
        if (finder_.dropStalled(now)) {
            ++counters_.stalledFrames;
            log("partial frame dropped");
        }
        if (options_.garbage && now >= nextGarbage_) {
            sendGarbage(now);
            counters_.bytesSent += line_.writeDue(now);
        }

        Clock::time_point wake = std::min(line_.nextDue(), other_.talk(now, line_));
        if (const auto stall = finder_.stallDeadline()) {
            wake = std::min(wake, *stall);
        }
        if (options_.garbage) {
            wake = std::min(wake, nextGarbage_);
        }
        timespec timeout{};
        timespec *timeoutPtr = nullptr;
        if (wake != Clock::time_point::max()) {
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(
                std::max(wake - now, Clock::duration::zero()));
            timeout.tv_sec = static_cast<time_t>(ns.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(ns.count() % 1'000'000'000);
            timeoutPtr = &timeout;
        }
        pollfd fds[2] = {
            {line_.fd(), static_cast<short>(POLLIN | (line_.waitingForRoom() ? POLLOUT : 0)), 0},
            {wakeRead_, POLLIN, 0},
        };
        if (ppoll(fds, 2, timeoutPtr, nullptr) < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw std::runtime_error(std::string("poll failed: ") + std::strerror(errno));
        }
        if (fds[1].revents != 0) {
            char drain[64];
            while (read(wakeRead_, drain, sizeof drain) > 0) {
            }
        }
        if ((fds[0].revents & (POLLIN | POLLERR | POLLHUP)) != 0) {
            arrived.clear();
            line_.receive(Clock::now(), arrived);
            for (const PtyLine::Arrival &a : arrived) {
                if (other_.active()) {
                    other_.received(a, line_);
                } else if (const auto found = finder_.push(a.byte, a.at)) {
                    handle(*found);
                }
            }
        }
        counters_.bytesIgnored = finder_.skippedBytes();
    }
}

} // namespace sim
