// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's answers to the nine order codes, with the fault modes that distort them.
#pragma once

#include "sim/frame.h"
#include "sim/measurement.h"
#include "sim/options.h"
#include "sim/parameters.h"
#include "sim/random.h"
#include "sim/scene.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace sim {

class Protocol {
  public:
    Protocol(const Options &options, ParameterStore &parameters, const Scene &scene);

    // Acts on one request and returns the bytes to send back; empty when there is no reply.
    std::vector<std::uint8_t> handle(const Frame &request);

    // The last error to report (a failed EEPROM file write); cleared by reading it.
    std::string takeError() { return std::exchange(error_, {}); }

  private:
    std::vector<std::uint8_t> frameReply(std::uint16_t order, const Words &words);
    std::vector<std::uint8_t> videoBlock(const Frame &request);

    const Options &options_;
    ParameterStore &parameters_;
    const Scene &scene_;
    Random noise_;
    Random filler_;
    std::optional<VideoLine> video_;
    std::uint64_t liveReplies_ = 0;
    std::string error_;
};

} // namespace sim
