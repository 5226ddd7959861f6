// SPDX-License-Identifier: GPL-3.0-or-later
// One video signal as the video graph showed it: the 256 samples, where the graph placed each
// of them and the threshold line.
#pragma once

#include "state/notify.h"

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

VideoSnapshot SnapshotOf(const ShownVideoSignal &signal, const QDateTime &at);
// "sample,position_px,value,threshold" and one row per sample.
QByteArray CsvOf(const VideoSnapshot &snapshot);
