// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/video_snapshot.h"

#include <algorithm>

VideoSnapshot SnapshotOf(const ShownVideoSignal &signal, const QDateTime &at) {
    VideoSnapshot s;
    s.at = at;
    std::copy_n(signal.samples, kVideoSamples, s.samples.begin());
    std::copy_n(signal.positions, kVideoSamples, s.positions.begin());
    std::copy_n(signal.thresholds, kVideoSamples, s.thresholds.begin());
    return s;
}

QByteArray CsvOf(const VideoSnapshot &snapshot) {
    QByteArray csv = "sample,position_px,value,threshold\n";
    for (std::size_t i = 0; i < snapshot.samples.size(); ++i)
        csv += QByteArray::number(qulonglong(i)) + ',' + QByteArray::number(snapshot.positions[i]) +
               ',' + QByteArray::number(snapshot.samples[i]) + ',' +
               QByteArray::number(snapshot.thresholds[i]) + '\n';
    return csv;
}
