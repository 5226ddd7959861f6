// SPDX-License-Identifier: GPL-3.0-or-later
// The order codes of the frame's order word; the high byte is 0 for every code.
#pragma once

enum {
    ORDER_WRITE_RAM = 1,        // the parameter set into the sensor's RAM; no reply awaited
    ORDER_READ_RAM = 2,         // the RAM parameter set, answered by one parameter frame
    ORDER_WRITE_EEPROM = 3,     // the parameter set into the EEPROM; no reply awaited
    ORDER_READ_EEPROM = 4,      // the EEPROM parameter set, answered by one parameter frame
    ORDER_TEACH_SETPOINT = 5,   // teach the set point; any frame answers
    ORDER_TEACH_BACKGROUND = 6, // teach the background; answered by its echo
    ORDER_ECHO = 7,             // line check; the reply's data word 0 is 0x00AA
    ORDER_LIVE_VALUES = 8,      // one live frame
    ORDER_VIDEO_BLOCK = 9,      // 64 video samples, answered by 128 bytes without a frame
};

// Data word 0 of a sensor's reply to the line check.
constexpr unsigned short ECHO_ANSWER = 0x00AA;
