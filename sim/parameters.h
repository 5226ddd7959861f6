// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's two parameter sets, RAM and EEPROM, in packet word order. The RAM set starts as
// a copy of the EEPROM set; the EEPROM set can live in a file so that it survives restarts.
#pragma once

#include "sim/frame.h"

#include <string>

namespace sim {

enum ParameterWord : std::size_t {
    kPower = 0,
    kPowerMode,
    kVideoThreshold,
    kBackgroundValue,
    kPolarity,
    kEvaluationMode,
    kEvaluationBegin,
    kEvaluationEnd,
    kTeachValue,
    kTolerance,
    kGain,
    kToleranceEnable,
    kCcdMode,
    kPixelStart,
    kBackgroundMode,
    kScaleFactor,
};

// The EEPROM set of a sensor fresh from the factory: valid everywhere, and different enough
// from the tool's start-up values that a read of it shows on the panel.
Words factoryParameters();

class ParameterStore {
  public:
    // `eepromFile` empty keeps the EEPROM set in memory only. An existing file is loaded;
    // throws std::runtime_error when it cannot be read or does not hold 16 numbers 0-65535.
    explicit ParameterStore(std::string eepromFile = {});

    const Words &ram() const { return ram_; }
    const Words &eeprom() const { return eeprom_; }
    void setRam(const Words &words) { ram_ = words; }
    void setRamWord(ParameterWord word, std::uint16_t value) { ram_[word] = value; }

    // Stores the EEPROM set and writes it to the file, if there is one. Returns an error
    // message when the file could not be written; the set in memory is updated regardless.
    std::string setEeprom(const Words &words);

  private:
    std::string file_;
    Words eeprom_;
    Words ram_;
};

} // namespace sim
