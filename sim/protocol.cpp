// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/protocol.h"

#include "sim/eeprom_wear.h"

#include <algorithm>

namespace sim {

namespace {

constexpr std::uint16_t kEchoMark = 0x00AA;
constexpr std::uint16_t kWrongEchoMark = 0x0055;
constexpr std::size_t kBlockSamples = 64;
constexpr std::size_t kShortBlockBytes = 100;
constexpr std::uint16_t kHighestTeachValue = 1024;

} // namespace

Protocol::Protocol(const Options &options, ParameterStore &parameters, const Scene &scene)
    : options_(options), parameters_(parameters), scene_(scene),
      noise_(options.seed ^ 0x0015E0015Eull), filler_(options.seed ^ 0xF111E4ull) {}

std::vector<std::uint8_t> Protocol::frameReply(std::uint16_t order, const Words &words) {
    std::vector<std::uint8_t> out = encodeFrame(Frame{order, words});
    for (int i = 0; i < options_.trailingBytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(filler_.next()));
    }
    return out;
}

// A block request names the first of 64 samples. Block 0 starts a new video line; the other
// blocks come from the same line, so the four blocks of a sweep show one coherent picture.
std::vector<std::uint8_t> Protocol::videoBlock(const Frame &request) {
    const std::size_t first = request.data[0] % kVideoSamples;
    if (first == 0 || !video_) {
        video_ = captureVideo(scene_, parameters_.ram(), noise_);
    }
    std::array<std::uint16_t, kBlockSamples> samples{};
    for (std::size_t i = 0; i < kBlockSamples; ++i) {
        samples[i] = (*video_)[(first + i) % kVideoSamples];
    }
    std::vector<std::uint8_t> out;
    appendBigEndian(out, samples);
    if (options_.shortVideo) {
        out.resize(kShortBlockBytes);
    }
    return out;
}

std::vector<std::uint8_t> Protocol::handle(const Frame &request) {
    if (options_.silent) {
        return {};
    }
    switch (request.order) {
    case kWriteRam:
        parameters_.setRam(request.data);
        return {};
    case kReadRam:
        return frameReply(kReadRam, parameters_.ram());
    case kWriteEeprom:
        error_ = parameters_.setEeprom(wornEepromWrite(request.data, options_.corruptEepromWord));
        return {};
    case kReadEeprom:
        return frameReply(kReadEeprom, parameters_.eeprom());
    case kTeachSetPoint: {
        const Words &ram = parameters_.ram();
        const std::uint16_t value = evaluatedValue(measure(scene_, ram), ram[kEvaluationMode]);
        parameters_.setRamWord(kTeachValue, std::min(value, kHighestTeachValue));
        return frameReply(kTeachSetPoint, parameters_.ram());
    }
    case kTeachBackground:
        return frameReply(kTeachBackground, request.data);
    case kEcho: {
        Words words = request.data;
        words[0] = options_.wrongEcho ? kWrongEchoMark : kEchoMark;
        return frameReply(kEcho, words);
    }
    case kLiveValues:
        if (options_.liveLimit && liveReplies_ >= *options_.liveLimit) {
            return {};
        }
        ++liveReplies_;
        return frameReply(kLiveValues,
                          liveWords(measure(scene_, parameters_.ram()), parameters_.ram()));
    case kVideoBlock:
        return videoBlock(request);
    default:
        return {};
    }
}

} // namespace sim
