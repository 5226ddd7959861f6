// SPDX-License-Identifier: GPL-3.0-or-later
// The 36-byte frame: the encoder and the decoder.
#include "link/COM232.h"

#include <algorithm>

namespace {

constexpr int kHeaderBytes = 4; // sync word and order word

void putWord(char *at, unsigned value) {
    at[0] = static_cast<char>((value >> 8) & 0xFF);
    at[1] = static_cast<char>(value & 0xFF);
}

// The buffer holds char, which is signed here: go through unsigned char so 0x80-0xFF stay bytes.
unsigned short getWord(const char *at) {
    const auto *bytes = reinterpret_cast<const unsigned char *>(at);
    return static_cast<unsigned short>(bytes[0] << 8 | bytes[1]);
}

} // namespace

void FillTxBuf(unsigned short order, const unsigned short *data) {
    putWord(szWriteBuf, static_cast<unsigned>(sync));
    putWord(szWriteBuf + 2, order);
    for (int i = 0; i < PNUM; ++i)
        putWord(szWriteBuf + kHeaderBytes + 2 * i, data[i]);
}

// The sync and order words of a reply are not examined: any 36 bytes count as a frame. The
// count is held to the packet's size so no caller can write past pp.
void GetRxBuf(int count) {
    const int words = std::clamp(count, 0, PNUM);
    for (int i = 0; i < words; ++i)
        pp[i] = getWord(szReadBuf + kHeaderBytes + 2 * i);
}
