// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pty_line.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace sim {

namespace {

constexpr auto kSeparateGap = std::chrono::milliseconds(1);

[[noreturn]] void fail(const std::string &what) {
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace

PtyLine::PtyLine(bool pacing, Delivery delivery)
    : pacing_(pacing), delivery_(delivery),
      byteTime_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::duration<double>(1.0 / kLineBytesPerSecond))),
      opened_(Clock::now()) {
    std::array<char, 256> name{};
    termios raw{};
    cfmakeraw(&raw);
    cfsetispeed(&raw, B19200);
    cfsetospeed(&raw, B19200);
    if (openpty(&master_, &slave_, name.data(), &raw, nullptr) != 0) {
        fail("cannot open a pseudo-terminal");
    }
    devicePath_ = name.data();
    const int flags = fcntl(master_, F_GETFL);
    if (flags < 0 || fcntl(master_, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(master_, F_SETFD, FD_CLOEXEC) != 0 || fcntl(slave_, F_SETFD, FD_CLOEXEC) != 0) {
        const int saved = errno;
        close(master_);
        close(slave_);
        errno = saved;
        fail("cannot set up the pseudo-terminal");
    }
}

PtyLine::~PtyLine() {
    close(master_);
    close(slave_);
}

void PtyLine::receive(Clock::time_point now, std::vector<Arrival> &out) {
    std::array<std::uint8_t, 4096> buffer{};
    for (;;) {
        const ssize_t n = read(master_, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            return;
        }
        if (n <= 0) {
            fail("cannot read from " + devicePath_);
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (pacing_) {
                inboundFree_ = std::max(inboundFree_, now) + byteTime_;
            }
            out.push_back({buffer[static_cast<std::size_t>(i)], pacing_ ? inboundFree_ : now});
        }
    }
}

void PtyLine::send(std::span<const std::uint8_t> bytes, Clock::time_point earliest,
                   bool separately) {
    Clock::time_point t = std::max(earliest, outboundFree_);
    const std::size_t first = queue_.size();
    for (std::uint8_t b : bytes) {
        if (pacing_) {
            t += byteTime_; // the byte is written when it would have finished on the line
        }
        if (separately && !queue_.empty()) {
            t = std::max(t, queue_.back().due + kSeparateGap);
        }
        queue_.push_back({b, t, separately});
    }
    outboundFree_ = t;
    if (pacing_ && !separately) {
        if (delivery_.usbTickMs > 0) {
            handOverInPackets(first);
        } else {
            handOverInChunks(first);
        }
    }
}

void PtyLine::sendAsOne(std::span<const std::uint8_t> bytes, Clock::time_point due) {
    if (!queue_.empty()) {
        due = std::max(due, queue_.back().due);
    }
    for (std::uint8_t b : bytes) {
        queue_.push_back({b, due, false});
    }
    outboundFree_ = std::max(outboundFree_, due);
}

// A receiving UART hands bytes to the host a few at a time, not byte by byte: each byte of a
// chunk is written when the chunk's last byte has crossed the line. The last byte of a reply
// keeps its own time, so the line's throughput is unchanged.
void PtyLine::handOverInChunks(std::size_t first) {
    const auto chunk = static_cast<std::size_t>(std::max(delivery_.chunkBytes, 1));
    for (std::size_t start = first; start < queue_.size(); start += chunk) {
        const std::size_t last = std::min(start + chunk, queue_.size()) - 1;
        for (std::size_t i = start; i < last; ++i) {
            queue_[i].due = queue_[last].due;
        }
    }
}

// A USB adapter sends what it has received on its own ticks, at most one packet a tick: each
// byte leaves at the first tick after it has crossed the line that still has room for it.
void PtyLine::handOverInPackets(std::size_t first) {
    const auto tick =
        std::chrono::duration_cast<Clock::duration>(std::chrono::milliseconds(delivery_.usbTickMs));
    for (std::size_t i = first; i < queue_.size(); ++i) {
        const auto sinceOpen = queue_[i].due - opened_;
        Clock::time_point at =
            std::max(opened_ + (sinceOpen + tick - Clock::duration(1)) / tick * tick, lastPacket_);
        if (at == lastPacket_ && lastPacketBytes_ >= kUsbPacketBytes) {
            at += tick;
        }
        if (at != lastPacket_) {
            lastPacket_ = at;
            lastPacketBytes_ = 0;
        }
        ++lastPacketBytes_;
        queue_[i].due = at;
    }
}

std::size_t PtyLine::writeDue(Clock::time_point now) {
    std::size_t written = 0;
    std::array<std::uint8_t, 4096> chunk{};
    while (!queue_.empty() && queue_.front().due <= now) {
        // Due bytes go out together, except those that must go out one by one.
        std::size_t n = 0;
        const bool alone = queue_.front().alone;
        while (n < queue_.size() && n < chunk.size() && queue_[n].due <= now &&
               queue_[n].alone == alone && (!alone || n == 0)) {
            chunk[n] = queue_[n].byte;
            ++n;
        }
        const ssize_t w = write(master_, chunk.data(), n);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            full_ = true;
            return written;
        }
        if (w < 0) {
            fail("cannot write to " + devicePath_);
        }
        queue_.erase(queue_.begin(), queue_.begin() + w);
        written += static_cast<std::size_t>(w);
    }
    full_ = false;
    return written;
}

PtyLine::Clock::time_point PtyLine::nextDue() const {
    return queue_.empty() || full_ ? Clock::time_point::max() : queue_.front().due;
}

} // namespace sim
