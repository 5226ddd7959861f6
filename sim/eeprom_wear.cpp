// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/eeprom_wear.h"

namespace sim {

Words wornEepromWrite(const Words &written, std::optional<int> wornWord) {
    Words kept = written;
    if (wornWord)
        kept[std::size_t(*wornWord)] ^= 1u;
    return kept;
}

} // namespace sim
