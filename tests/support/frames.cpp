// SPDX-License-Identifier: GPL-3.0-or-later
#include "frames.h"

namespace {

// The tests keep their own idea of a frame, so that they can catch the tool getting it wrong.
constexpr qsizetype kFrameBytes = 36; // sync word, order word, 16 data words

void appendWord(QByteArray &out, int word) {
    out.append(char(word >> 8)).append(char(word & 0xFF));
}

} // namespace

QByteArray FrameOf(int order, const QList<int> &words, int sync) {
    QByteArray bytes;
    appendWord(bytes, sync);
    appendWord(bytes, order);
    for (const int w : words)
        appendWord(bytes, w);
    if (bytes.size() < kFrameBytes)
        bytes.resize(kFrameBytes, '\0');
    return bytes;
}

QByteArray SamplesOf(const QList<int> &values, int bytes) {
    QByteArray block;
    for (const int v : values)
        appendWord(block, v);
    block.resize(bytes, '\0');
    return block;
}
