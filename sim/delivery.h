// SPDX-License-Identifier: GPL-3.0-or-later
// How bytes that have crossed the simulated line reach the host.
#pragma once

namespace sim {

struct Delivery {
    int chunkBytes = 8; // a UART hands over this many bytes at a time
    int usbTickMs = 0;  // above 0: a USB adapter, one packet per tick of this many ms instead
};

// The payload of one packet of a full-speed USB serial adapter.
inline constexpr int kUsbPacketBytes = 62;

} // namespace sim
