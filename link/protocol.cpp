// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/protocol.h"

#include "state/tick_timer.h"

namespace {

// The set-point teach waits half as long as the others: it gives up at the 15th tick.
constexpr unsigned short kSetPointTicks = 14;

} // namespace

const OrderInfo kOrders[kHighestOrder + 1] = {
    {nullptr, 0, 0},
    {"write RAM set", 0, 0},
    {"read RAM set", kFrameBytes, kTimeoutTicks},
    {"write EEPROM set", 0, 0},
    {"read EEPROM set", kFrameBytes, kTimeoutTicks},
    {"teach set point", kFrameBytes, kSetPointTicks},
    {"teach background", kFrameBytes, kTimeoutTicks},
    {"echo check", kFrameBytes, kTimeoutTicks},
    {"live values", kFrameBytes, kTimeoutTicks},
    {"video block", kVideoBlockBytes, kTimeoutTicks},
};

// In the order of the LIVE_ words.
const char *const kLiveWordNames[LIVE_WORDS] = {
    "edge1", "edge2", "value3", "tVal", "tTol", "pix1", "edcnt", "mvstart", "mvend",
};
