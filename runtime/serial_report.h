// SPDX-License-Identifier: GPL-3.0-or-later
// The serial ports' side of the tap: whether anyone listens, and the reporting itself.
#pragma once

#include "serial_tap.h"

// True while a tap is set; the ports copy bytes for it only then.
bool rtTapping();
// Stamps the event with the tap's clock and hands it to the tap.
void rtReport(SerialTapEvent event);
