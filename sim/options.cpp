// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/options.h"

#include "sim/eeprom_wear.h"

#include <charconv>
#include <limits>

namespace sim {

namespace {

constexpr int kMaxReplyDelayMs = 10000;
constexpr int kMaxTrailingBytes = 1024;
constexpr int kMaxChunkBytes = 64;
constexpr int kMaxUsbTickMs = 255; // the longest latency timer of such adapters
constexpr int kMaxLightDrift = 90; // percent: the light never goes out
constexpr int kMaxNoise = 200;     // levels
constexpr int kMinTalkerBaud = 300;
constexpr int kMaxTalkerBaud = 921600;

template <typename T> bool parseNumber(std::string_view text, T min, T max, T &value) {
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && ptr == end && value >= min && value <= max;
}

bool parseSpeed(std::string_view text, double &speed) {
    const char *end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, speed);
    return !text.empty() && ec == std::errc() && ptr == end && speed >= 0.01 && speed <= 100;
}

} // namespace

ParsedOptions parseOptions(std::span<const std::string_view> args) {
    ParsedOptions parsed;
    Options &o = parsed.options;
    bool shapesLine = false; // --chunk or --usb given
    for (std::size_t i = 0; i < args.size() && parsed.error.empty(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> inlineValue;
        if (const auto eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        // Fetches the option's value; records an error when there is none.
        auto value = [&]() -> std::optional<std::string_view> {
            if (inlineValue) {
                return inlineValue;
            }
            if (i + 1 < args.size()) {
                return args[++i];
            }
            parsed.error = "option " + std::string(name) + " needs a value";
            return std::nullopt;
        };
        auto number = [&]<typename T>(T max, T &target, T min = T{}) {
            if (const auto v = value(); v && !parseNumber(*v, min, max, target)) {
                parsed.error = "option " + std::string(name) + ": \"" + std::string(*v) +
                               "\" is not a number from " + std::to_string(min) + " to " +
                               std::to_string(max);
            }
        };
        auto flag = [&](bool &target) {
            if (inlineValue) {
                parsed.error = "option " + std::string(name) + " takes no value";
            }
            target = true;
        };

        if (name == "--help" || name == "-h") {
            flag(parsed.help);
        } else if (name == "--version") {
            flag(parsed.version);
        } else if (name == "--link" || name == "--eeprom" || name == "--replay") {
            if (const auto v = value(); v && v->empty()) {
                parsed.error = "option " + std::string(name) + " needs a path";
            } else if (v) {
                (name == "--link"     ? o.linkPath
                 : name == "--eeprom" ? o.eepromFile
                                      : o.replayFile) = *v;
            }
        } else if (name == "--speed") {
            if (const auto v = value(); v && !parseSpeed(*v, o.speed)) {
                parsed.error =
                    "option --speed: \"" + std::string(*v) + "\" is not a number from 0.01 to 100";
            }
        } else if (name == "--seed") {
            number(std::numeric_limits<std::uint64_t>::max(), o.seed);
        } else if (name == "--reply-delay") {
            int ms = 0;
            number(kMaxReplyDelayMs, ms);
            o.replyDelayMs = ms;
        } else if (name == "--chunk") {
            number(kMaxChunkBytes, o.delivery.chunkBytes, 1);
            shapesLine = true;
        } else if (name == "--usb") {
            number(kMaxUsbTickMs, o.delivery.usbTickMs, 1);
            shapesLine = true;
        } else if (name == "--no-pacing") {
            bool on = false;
            flag(on);
            o.pacing = !on;
        } else if (name == "--dirt" || name == "--light-drift" || name == "--noise") {
            int n = 0;
            number(name == "--dirt"          ? 100
                   : name == "--light-drift" ? kMaxLightDrift
                                             : kMaxNoise,
                   n);
            (name == "--dirt"          ? o.scene.dirtPercentPerMinute
             : name == "--light-drift" ? o.scene.lightDriftPercent
                                       : o.scene.readNoise) = n;
        } else if (name == "--video-pattern") {
            if (const auto v = value(); v && !VideoPattern(*v)) {
                parsed.error = "option --video-pattern: \"" + std::string(*v) +
                               "\" is not one of " + std::string(VideoPatternNames());
            } else if (v) {
                o.scene.videoPattern = *v;
            }
        } else if (name == "--verbose") {
            flag(o.verbose);
        } else if (name == "--silent") {
            flag(o.silent);
        } else if (name == "--wrong-echo") {
            flag(o.wrongEcho);
        } else if (name == "--live-limit") {
            std::uint64_t n = 0;
            number(std::numeric_limits<std::uint64_t>::max(), n);
            o.liveLimit = n;
        } else if (name == "--short-video") {
            flag(o.shortVideo);
        } else if (name == "--trailing-bytes") {
            number(kMaxTrailingBytes, o.trailingBytes);
        } else if (name == "--split-bytes") {
            flag(o.splitBytes);
        } else if (name == "--garbage") {
            flag(o.garbage);
        } else if (name == "--loopback") {
            flag(o.loopback);
        } else if (name == "--talker") {
            number(kMaxTalkerBaud, o.talkerBaud, kMinTalkerBaud);
        } else if (name == "--corrupt-eeprom") {
            int word = 0;
            number(kMaxParameterWord, word);
            o.corruptEepromWord = word;
        } else {
            parsed.error = "unknown option " + std::string(args[i]);
        }
    }
    if (parsed.error.empty() && o.loopback && o.talkerBaud > 0) {
        parsed.error = "options --loopback and --talker are two different lines: give one";
    }
    if (parsed.error.empty() && shapesLine && !o.pacing) {
        parsed.error = "options --chunk and --usb shape the paced line, not --no-pacing";
    }
    const bool faults = o.silent || o.wrongEcho || o.liveLimit || o.shortVideo ||
                        o.trailingBytes > 0 || o.splitBytes || o.garbage;
    if (parsed.error.empty() && !o.replayFile.empty() && (faults || !o.eepromFile.empty())) {
        parsed.error = "option --replay plays the session's own faults and parameter sets: it "
                       "takes no fault options and no --eeprom";
    }
    return parsed;
}

std::string usageText(std::string_view program) {
    return "Usage: " + std::string(program) +
           " [OPTION]...\n"
           "Simulates a CCD line sensor of the R-MOX-QF series on a pseudo-terminal.\n"
           "Prints \"device PATH\" on standard output as soon as the device can be opened,\n"
           "then answers requests on it until SIGINT or SIGTERM. SIGUSR1 pauses it (requests\n"
           "wait unanswered, replies on their way wait), SIGUSR2 resumes it.\n"
           "\n"
           "Options:\n"
           "  --link PATH         also make PATH a symbolic link to the device (removed on exit)\n"
           "  --eeprom FILE       keep the EEPROM parameter set in FILE: 16 numbers, loaded at\n"
           "                      start if the file exists, written on every EEPROM write\n"
           "  --seed N            seed of the scene and the noise (default 1)\n"
           "  --reply-delay MS    processing time before each reply, 0-10000 ms\n"
           "                      (default 2, or 0 with --no-pacing)\n"
           "  --chunk N           hand each reply over N bytes at a time as they cross the\n"
           "                      line, like a UART's FIFO, 1-64 (default 8)\n"
           "  --usb MS            hand replies over like a USB adapter: one packet of up to\n"
           "                      62 bytes per tick of MS ms (1, or its latency timer), 1-255\n"
           "  --no-pacing         no 19200-baud line timing: answer at once, in one piece\n"
           "  --verbose           log every request on standard error\n"
           "\n"
           "Scene:\n"
           "  --dirt N            dirt on the window takes N % of the light more every minute,\n"
           "                      0-100, until a tenth is left (default 0)\n"
           "  --light-drift N     the light swings by N % over five minutes, 0-90 (default 0)\n"
           "  --noise N           read noise of a video sample in levels (standard\n"
           "                      deviation), 0-200 (default 4)\n"
           "  --video-pattern P   send a fixed synthetic video line instead of the scene's:\n"
           "                      clean-step, noisy-step, saturated or dark (live frames still\n"
           "                      follow the scene)\n"
           "\n"
           "Replay:\n"
           "  --replay FILE       answer as the sensor of a session log the tool wrote (--log,\n"
           "                      or Save in its communication log): each request gets the\n"
           "                      reply the session recorded for the same request (the same\n"
           "                      order; for a video block, the same block), in the\n"
           "                      session's order, after the recorded reply time, faults and\n"
           "                      silences included. A request the session did not have is\n"
           "                      answered with the last reply it recorded to the same request\n"
           "                      (or another video block), or left silent; standard error\n"
           "                      says which\n"
           "  --speed X           play the recorded reply times X times as fast, 0.01-100\n"
           "                      (with --no-pacing every reply goes at once)\n"
           "\n"
           "Faults:\n"
           "  --silent            never answer\n"
           "  --wrong-echo        answer the echo check with data word 0 = 0x0055\n"
           "  --live-limit N      stop answering live-value requests after N replies\n"
           "  --short-video       send 100 bytes instead of 128 for each video block\n"
           "  --trailing-bytes N  append N extra bytes to every reply frame, 0-1024\n"
           "  --split-bytes       write replies one byte at a time, about 1 ms apart\n"
           "  --garbage           send short bursts of random bytes now and then between "
           "replies\n"
           "  --corrupt-eeprom W  keep parameter word W (0-15) wrong after each EEPROM write,\n"
           "                      its lowest bit flipped, like a worn cell\n"
           "\n"
           "No sensor on the line (the protocol is not answered):\n"
           "  --loopback          a loop-back plug: every byte written comes back\n"
           "  --talker BAUD       another device that talks unasked (a scale's reading ten\n"
           "                      times a second) at BAUD 8N1, as a 19200-baud receiver\n"
           "                      hears it; 19200 gives text in another format, 300-921600\n"
           "A sensor that answers late: --reply-delay MS.\n"
           "\n"
           "  --help              show this text and exit\n"
           "  --version           show the version and exit\n"
           "\n"
           "Exit status: 0 after a clean stop, 1 when the device or the EEPROM file fails,\n"
           "2 for bad options.\n";
}

} // namespace sim
