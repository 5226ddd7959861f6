// SPDX-License-Identifier: GPL-3.0-or-later
// The sensor's serial protocol as the tool speaks it: the frame, the order codes with their
// replies and waits, the words of a live frame and the video block. Everything in the tool
// that builds, reads or names the traffic takes it from here.
#pragma once

// ---- Frame ------------------------------------------------------------------------------
// Every request, and every reply but a video block: the sync word, the order word and 16 data
// words, every word high byte first. The data words are the parameter packet pp, or whatever
// the reply carries.

constexpr unsigned short SYNC_WORD = 0x0055;
constexpr int kFrameDataWords = 16;
constexpr int kSyncAt = 0;  // byte offset of the sync word
constexpr int kOrderAt = 2; // of the order word
constexpr int kDataAt = 4;  // of data word 0; data word i lies at kDataAt + 2 * i
constexpr int kFrameBytes = kDataAt + 2 * kFrameDataWords;

// The word whose high byte is at `at`. Through unsigned char, so bytes 0x80-0xFF of a char
// buffer stay bytes.
inline unsigned short WordAt(const char *at) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(at);
    return static_cast<unsigned short>(bytes[0] << 8 | bytes[1]);
}

inline void PutWord(char *at, unsigned word) {
    at[0] = static_cast<char>((word >> 8) & 0xFF);
    at[1] = static_cast<char>(word & 0xFF);
}

// ---- Orders -----------------------------------------------------------------------------
// The order word's codes; its high byte is 0 for every one.

enum {
    ORDER_WRITE_RAM = 1,        // the parameter set into the sensor's RAM
    ORDER_READ_RAM = 2,         // the RAM parameter set, answered by one parameter frame
    ORDER_WRITE_EEPROM = 3,     // the parameter set into the EEPROM
    ORDER_READ_EEPROM = 4,      // the EEPROM parameter set, answered by one parameter frame
    ORDER_TEACH_SETPOINT = 5,   // teach the set point; any frame answers
    ORDER_TEACH_BACKGROUND = 6, // teach the background; answered by its echo
    ORDER_ECHO = 7,             // line check; the reply's data word 0 is ECHO_ANSWER
    ORDER_LIVE_VALUES = 8,      // one live frame
    ORDER_VIDEO_BLOCK = 9,      // one video block
};
constexpr int kHighestOrder = ORDER_VIDEO_BLOCK;

// Data word 0 of a sensor's reply to the line check.
constexpr unsigned short ECHO_ANSWER = 0x00AA;

struct OrderInfo {
    const char *name;         // what the order asks, e.g. "live values"
    int replyBytes;           // kFrameBytes, kVideoBlockBytes, or 0 when no reply is awaited
    unsigned short waitTicks; // the wait for the reply gives up once ttick exceeds this
};

// Indexed by order code, 1 to kHighestOrder; entry 0 is empty.
extern const OrderInfo kOrders[kHighestOrder + 1];

// ---- Live frame -------------------------------------------------------------------------
// The reply to ORDER_LIVE_VALUES: its first LIVE_WORDS data words, by the names the tool keeps
// them under. The rest are not read.

enum {
    LIVE_EDGE1,   // first edge position
    LIVE_EDGE2,   // second edge position
    LIVE_VALUE3,  // third live value, shown as a number only
    LIVE_TVAL,    // teach value
    LIVE_TTOL,    // tolerance
    LIVE_PIX1,    // first pixel of the window the sensor reports
    LIVE_EDCNT,   // edge count
    LIVE_MVSTART, // first comparison value
    LIVE_MVEND,   // second comparison value
    LIVE_WORDS
};

extern const char *const kLiveWordNames[LIVE_WORDS];

// ---- Video block ------------------------------------------------------------------------
// ORDER_VIDEO_BLOCK asks for 64 of the 256 video samples. The reply is the samples alone, high
// byte first, without sync word, order word or check sum.

constexpr int kVideoBlockSamples = 64;
constexpr int kVideoBlockBytes = 2 * kVideoBlockSamples;

// The request's data words; the others are 0.
enum {
    BLOCK_FIRST_SAMPLE, // index of the block's first sample: 0, 64, 128 or 192
    BLOCK_REF_FLAG,     // ref_flag: 1 for the last block of a sweep
};
