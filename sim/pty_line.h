// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's end of the serial line: a pseudo-terminal in raw mode that models the timing
// of a 19200-baud line. Each received byte is given the time it would have finished arriving
// on such a line; bytes to send are queued with the time they may leave, one byte time apart,
// and handed to the host as the receiving hardware would: in chunks as a UART's FIFO raises
// them, or in packets on the ticks of a USB adapter.
// Without pacing, bytes arrive when read and leave as soon as they are queued.
#pragma once

#include "sim/delivery.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

namespace sim {

// 19200 baud, 10 bits a byte on the line (start, 8 data, stop).
inline constexpr double kLineBytesPerSecond = 1920.0;

class PtyLine {
  public:
    using Clock = std::chrono::steady_clock;

    struct Arrival {
        std::uint8_t byte;
        Clock::time_point at;
    };

    // Opens the pseudo-terminal; throws std::runtime_error when that fails.
    PtyLine(bool pacing, Delivery delivery);
    ~PtyLine();
    PtyLine(const PtyLine &) = delete;
    PtyLine &operator=(const PtyLine &) = delete;

    const std::string &devicePath() const { return devicePath_; }
    int fd() const { return master_; }

    // Reads everything waiting and appends it to `out`. Throws on a read error.
    void receive(Clock::time_point now, std::vector<Arrival> &out);

    // Queues bytes to leave no earlier than `earliest`. `separately` writes each byte on its
    // own, at least a millisecond after the one before.
    void send(std::span<const std::uint8_t> bytes, Clock::time_point earliest, bool separately);

    // Queues bytes to reach the host together at `due` (or after the bytes queued before them),
    // as a recorded piece of a reply did: the line's timing is already in `due`.
    void sendAsOne(std::span<const std::uint8_t> bytes, Clock::time_point due);

    // Writes the bytes that are due; returns how many were written. Throws on a write error.
    std::size_t writeDue(Clock::time_point now);

    // When the next queued byte is due; max() when nothing is queued or the terminal's buffer
    // is full (then wait until it is writable).
    Clock::time_point nextDue() const;
    bool waitingForRoom() const { return full_; }
    bool idle() const { return queue_.empty(); }

  private:
    void handOverInChunks(std::size_t first);
    void handOverInPackets(std::size_t first);

    struct Outgoing {
        std::uint8_t byte;
        Clock::time_point due;
        bool alone;
    };

    bool pacing_;
    Delivery delivery_;
    Clock::duration byteTime_;
    Clock::time_point opened_;       // the adapter's ticks count from here
    Clock::time_point lastPacket_{}; // when the last packet leaves the adapter
    int lastPacketBytes_ = 0;
    int master_ = -1;
    int slave_ = -1; // kept open so that the master never sees a hang-up
    std::string devicePath_;
    Clock::time_point inboundFree_{};  // when the inbound line has carried every byte so far
    Clock::time_point outboundFree_{}; // and the outbound line
    std::deque<Outgoing> queue_;
    bool full_ = false;
};

} // namespace sim
