// SPDX-License-Identifier: GPL-3.0-or-later
// The 36-byte frame: the encoder and the decoder.
#include "link/COM232.h"

#include <algorithm>

static_assert(kFrameDataWords == PNUM, "a frame carries the whole parameter packet");

void FillTxBuf(unsigned short order, const unsigned short *data) {
    PutWord(szWriteBuf + kSyncAt, static_cast<unsigned>(sync));
    PutWord(szWriteBuf + kOrderAt, order);
    for (int i = 0; i < PNUM; ++i)
        PutWord(szWriteBuf + kDataAt + 2 * i, data[i]);
}

// The sync and order words of a reply are not examined: any 36 bytes count as a frame. The
// count is held to the packet's size so no caller can write past pp.
void GetRxBuf(int count) {
    const int words = std::clamp(count, 0, PNUM);
    for (int i = 0; i < words; ++i)
        pp[i] = WordAt(szReadBuf + kDataAt + 2 * i);
}
