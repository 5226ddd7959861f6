// SPDX-License-Identifier: GPL-3.0-or-later
// A worn EEPROM cell: with --corrupt-eeprom WORD, every EEPROM write stores that word with its
// lowest bit flipped, as a cell that no longer holds a bit would. A read then shows the set
// written with one word different.
#pragma once

#include "sim/frame.h"

#include <optional>

namespace sim {

constexpr int kMaxParameterWord = 15;

// `written` as a worn EEPROM keeps it; unchanged when no word is worn.
Words wornEepromWrite(const Words &written, std::optional<int> wornWord);

} // namespace sim
