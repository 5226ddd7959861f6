// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes as the sensor's line carries them, for tests that play the sensor or feed what it sent.
#pragma once

#include <QByteArray>
#include <QList>

// A frame: the sync word, the order word and the data words, each high byte first, padded
// with zero words to a whole frame.
QByteArray FrameOf(int order, const QList<int> &words = {}, int sync = 0x55);
// Video samples, each high byte first, padded with zeros or cut to `bytes`.
QByteArray SamplesOf(const QList<int> &values, int bytes);
