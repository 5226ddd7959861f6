// SPDX-License-Identifier: GPL-3.0-or-later
// One video signal as the video graph shows it: the 256 samples, where the graph places each
// of them and the threshold line, taken when the signal is read (the graph draws it right
// after, with the CCD mode and window start in force at that moment).
#pragma once

#include "state/globals.h"

#include <QByteArray>
#include <QDateTime>
#include <array>
#include <cstdint>

struct VideoSnapshot {
    QDateTime at;
    std::array<std::uint16_t, kVideoSamples> samples{};
    std::array<std::uint16_t, kVideoSamples> positions{};
    std::array<std::uint16_t, kVideoSamples> thresholds{};
};

VideoSnapshot SnapshotOf(const std::uint16_t *samples, const QDateTime &at);
// "sample,position_px,value,threshold" and one row per sample.
QByteArray CsvOf(const VideoSnapshot &snapshot);
