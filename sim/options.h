// SPDX-License-Identifier: GPL-3.0-or-later
// Command-line options of the simulated sensor, also used to configure it in-process.
#pragma once

#include "sim/delivery.h"
#include "sim/scene_conditions.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sim {

struct Options {
    std::string linkPath;   // --link: a symbolic link to the device, made by the executable
    std::string eepromFile; // --eeprom: where the EEPROM set persists; empty keeps it in memory
    std::uint64_t seed = 1;
    bool pacing = true;              // model the 19200-baud line in both directions
    std::optional<int> replyDelayMs; // unset: 2 ms with pacing, none without
    Delivery delivery;               // how replies reach the host on the paced line
    bool verbose = false;            // log every request on standard error
    SceneConditions scene;           // dirt, drifting light, noise, a synthetic video line
    std::string replayFile;          // --replay: answer as the sensor of this session log
    double speed = 1.0;              // --speed: the recorded reply times divided by this

    // Faults
    bool silent = false;
    bool wrongEcho = false;
    std::optional<std::uint64_t> liveLimit;
    bool shortVideo = false;
    int trailingBytes = 0;
    bool splitBytes = false;
    bool garbage = false;
    std::optional<int> corruptEepromWord; // each EEPROM write keeps this word wrong
    // No sensor on the line
    bool loopback = false; // every byte written comes back
    int talkerBaud = 0;    // another device talks unasked at this baud rate; 0: none

    int effectiveReplyDelayMs() const { return replyDelayMs.value_or(pacing ? 2 : 0); }
};

struct ParsedOptions {
    Options options;
    bool help = false;
    bool version = false;
    std::string error; // set when the arguments are not valid
};

// Parses the arguments after the program name. Accepts "--name value" and "--name=value".
ParsedOptions parseOptions(std::span<const std::string_view> args);

std::string usageText(std::string_view program);

} // namespace sim
