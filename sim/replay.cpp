// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/replay.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace sim {

namespace {

constexpr std::string_view kMagic = "# rmox-sensor-tool session log, format ";
constexpr int kFormat = 2;
constexpr std::size_t kFields = 12;
constexpr std::size_t kOrderAt = 3; // the low byte of a frame's order word

std::vector<std::string_view> split(std::string_view text, char by) {
    std::vector<std::string_view> parts;
    for (std::size_t from = 0;;) {
        const std::size_t at = text.find(by, from);
        parts.push_back(text.substr(from, at == text.npos ? text.npos : at - from));
        if (at == text.npos) {
            return parts;
        }
        from = at + 1;
    }
}

double seconds(std::string_view text) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size()) {
        throw std::invalid_argument("a time");
    }
    return value;
}

std::vector<std::uint8_t> hexBytes(std::string_view text) {
    std::vector<std::uint8_t> bytes;
    if (text == "-") {
        return bytes;
    }
    for (std::string_view pair : split(text, ' ')) {
        unsigned value = 0;
        const auto [ptr, ec] = std::from_chars(pair.data(), pair.data() + pair.size(), value, 16);
        if (pair.size() != 2 || ec != std::errc() || ptr != pair.data() + 2) {
            throw std::invalid_argument("the bytes");
        }
        bytes.push_back(static_cast<std::uint8_t>(value));
    }
    return bytes;
}

// The pieces of a row from the sensor, with their times after `requestAt`.
void addPieces(Exchange &exchange, const std::vector<std::uint8_t> &bytes, double rowAt,
               std::string_view arrivals, double requestAt) {
    if (arrivals == "-") {
        exchange.reply.push_back({bytes, rowAt - requestAt});
        return;
    }
    std::size_t begin = 0;
    for (std::string_view piece : split(arrivals, ' ')) {
        const std::size_t at = piece.find('@');
        std::size_t end = 0;
        const auto [ptr, ec] = std::from_chars(piece.data(), piece.data() + at, end);
        if (at == piece.npos || ec != std::errc() || end <= begin || end > bytes.size()) {
            throw std::invalid_argument("the arrivals");
        }
        exchange.reply.push_back(
            {std::vector<std::uint8_t>(bytes.begin() + static_cast<std::ptrdiff_t>(begin),
                                       bytes.begin() + static_cast<std::ptrdiff_t>(end)),
             seconds(piece.substr(at + 1)) - requestAt});
        begin = end;
    }
}

constexpr std::size_t kFirstWordAt = 4;
constexpr std::uint8_t kVideoBlockOrder = 9;

std::uint8_t orderOf(const std::vector<std::uint8_t> &frame) {
    return frame.size() > kOrderAt ? frame[kOrderAt] : 0;
}

// Requests the sensor answers alike: of the same order and, for a video block, of the same
// block. The data words of other requests (the tool's panels, sent along with an echo check or
// a read) do not change the reply.
bool sameRequest(const std::vector<std::uint8_t> &a, const std::vector<std::uint8_t> &b) {
    if (orderOf(a) != orderOf(b)) {
        return false;
    }
    if (orderOf(a) != kVideoBlockOrder) {
        return true;
    }
    return a.size() > kFirstWordAt + 1 && b.size() > kFirstWordAt + 1 &&
           a[kFirstWordAt] == b[kFirstWordAt] && a[kFirstWordAt + 1] == b[kFirstWordAt + 1];
}

} // namespace

Replay Replay::load(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw std::runtime_error("cannot read " + path + ": " + std::strerror(errno));
    }
    std::string line;
    std::getline(in, line);
    if (!line.starts_with(kMagic)) {
        throw std::runtime_error(path + " is not a session log of the tool (format " +
                                 std::to_string(kFormat) + ")");
    }
    if (line.substr(kMagic.size()) != std::to_string(kFormat)) {
        throw std::runtime_error(path + " is a session log of format " +
                                 line.substr(kMagic.size()) + "; this simulator plays format " +
                                 std::to_string(kFormat));
    }
    std::vector<Exchange> exchanges;
    double requestAt = 0;
    std::size_t number = 1;
    while (std::getline(in, line)) {
        ++number;
        if (in.eof()) {
            break; // a last line without its end was cut short while it was written
        }
        if (line.starts_with('#')) {
            continue;
        }
        const std::vector<std::string_view> f = split(line, '\t');
        try {
            if (f.size() != kFields) {
                throw std::invalid_argument("its fields");
            }
            const std::string_view kind = f[2];
            if (kind == "to") {
                requestAt = seconds(f[0]);
                exchanges.push_back({hexBytes(f[9]), {}, number});
            } else if ((kind == "from" || kind == "in-flushed" || kind == "unread") &&
                       !exchanges.empty()) {
                addPieces(exchanges.back(), hexBytes(f[9]), seconds(f[0]), f[10], requestAt);
            }
        } catch (const std::invalid_argument &e) {
            throw std::runtime_error(path + ", line " + std::to_string(number) + ": " + e.what() +
                                     " cannot be read");
        }
    }
    return Replay(std::move(exchanges));
}

Replay::Answer Replay::answer(const std::vector<std::uint8_t> &request) {
    for (std::size_t i = next_; i < exchanges_.size(); ++i) {
        if (sameRequest(exchanges_[i].request, request)) {
            Answer a{How::Recorded, &exchanges_[i], i - next_};
            next_ = i + 1;
            return a;
        }
    }
    // The same request answered before here, else the same order.
    const Exchange *sameOrder = nullptr;
    for (std::size_t i = next_; i-- > 0;) {
        const Exchange &e = exchanges_[i];
        if (e.reply.empty()) {
            continue;
        }
        if (sameRequest(e.request, request)) {
            return {How::LastKnown, &e, 0};
        }
        if (!sameOrder && orderOf(e.request) == orderOf(request)) {
            sameOrder = &e;
        }
    }
    return sameOrder ? Answer{How::LastKnown, sameOrder, 0} : Answer{};
}

} // namespace sim
