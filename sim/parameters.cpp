// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/parameters.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace sim {

Words factoryParameters() {
    Words w{};
    w[kPower] = 650;
    w[kPowerMode] = 1;
    w[kVideoThreshold] = 480;
    w[kBackgroundValue] = 120;
    w[kPolarity] = 1;
    w[kEvaluationMode] = 2;
    w[kEvaluationBegin] = 150;
    w[kEvaluationEnd] = 870;
    w[kTeachValue] = 200;
    w[kTolerance] = 24;
    w[kGain] = 0;
    w[kToleranceEnable] = 0;
    w[kCcdMode] = 0;
    w[kPixelStart] = 256;
    w[kBackgroundMode] = 1;
    w[kScaleFactor] = 1000;
    return w;
}

namespace {

// The file format of a parameter file: 16 unsigned decimal numbers, one a line.
Words loadParameterFile(const std::string &path) {
    std::ifstream in(path);
    if (!in) {
        throw std::runtime_error("cannot read EEPROM file " + path + ": " + std::strerror(errno));
    }
    Words words{};
    std::size_t count = 0;
    std::string token;
    while (in >> token) {
        unsigned value = 0;
        const char *end = token.data() + token.size();
        const auto [ptr, ec] = std::from_chars(token.data(), end, value);
        if (ec != std::errc() || ptr != end || value > 0xFFFF) {
            throw std::runtime_error("EEPROM file " + path + ": \"" + token +
                                     "\" is not a number from 0 to 65535");
        }
        if (count == kDataWords) {
            throw std::runtime_error("EEPROM file " + path + ": more than 16 numbers");
        }
        words[count++] = static_cast<std::uint16_t>(value);
    }
    if (count != kDataWords) {
        throw std::runtime_error("EEPROM file " + path + ": " + std::to_string(count) +
                                 " numbers instead of 16");
    }
    return words;
}

// Writes beside the file and renames, so that a crash never leaves half a parameter set.
std::string saveParameterFile(const std::string &path, const Words &words) {
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::trunc);
        for (std::uint16_t w : words) {
            out << w << '\n';
        }
        out.flush();
        if (!out) {
            return "cannot write EEPROM file " + temp + ": " + std::strerror(errno);
        }
    }
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        return "cannot replace EEPROM file " + path + ": " + ec.message();
    }
    return {};
}

} // namespace

ParameterStore::ParameterStore(std::string eepromFile)
    : file_(std::move(eepromFile)), eeprom_(factoryParameters()) {
    if (!file_.empty() && std::filesystem::exists(file_)) {
        eeprom_ = loadParameterFile(file_);
    }
    ram_ = eeprom_;
}

std::string ParameterStore::setEeprom(const Words &words) {
    eeprom_ = words;
    return file_.empty() ? std::string() : saveParameterFile(file_, words);
}

} // namespace sim
