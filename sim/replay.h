// SPDX-License-Identifier: GPL-3.0-or-later
// A recorded session played back as the sensor: the tool's session log read into exchanges
// (each request with every byte the sensor sent after it, until the next request, with when
// each piece reached the tool), and the answer to a request taken from them in the session's
// order. Requests are the same when their order is, and for a video block its block: the data
// words of other requests do not change the sensor's reply. The simulator reads the file with
// its own code, apart from the tool's reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

struct ReplayPiece {
    std::vector<std::uint8_t> bytes;
    double afterRequest = 0; // seconds from the request's write to this piece's last byte
};

struct Exchange {
    std::vector<std::uint8_t> request;
    std::vector<ReplayPiece> reply; // empty: the sensor stayed silent
    std::size_t line = 0;           // the request's line in the file
};

class Replay {
  public:
    // Reads a session log (format 2); throws std::runtime_error saying why it cannot.
    static Replay load(const std::string &path);
    explicit Replay(std::vector<Exchange> exchanges) : exchanges_(std::move(exchanges)) {}

    enum class How {
        Recorded,  // the next request of the session that is the same
        LastKnown, // not in the session from here on: the last reply to the same request
                   // before here, else to another block of the video
        Silent,    // not in the session, and no reply known for its order
    };
    struct Answer {
        How how = How::Silent;
        const Exchange *exchange = nullptr; // where the reply comes from; null when silent
        std::size_t skipped = 0;            // recorded requests passed over to find it
    };
    Answer answer(const std::vector<std::uint8_t> &request);

    const std::vector<Exchange> &exchanges() const { return exchanges_; }

  private:
    std::vector<Exchange> exchanges_;
    std::size_t next_ = 0;
};

} // namespace sim
