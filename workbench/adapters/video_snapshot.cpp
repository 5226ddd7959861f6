// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/adapters/video_snapshot.h"

#include "display/video_curve.h"

VideoSnapshot SnapshotOf(const std::uint16_t *samples, const QDateTime &at) {
    VideoSnapshot s;
    s.at = at;
    for (int i = 0; i < kVideoSamples; ++i) {
        const auto k = std::size_t(i);
        s.samples[k] = samples[i];
        s.positions[k] = VideoSamplePosition(ccdMode, pix1, i);
        s.thresholds[k] = thdArray[i];
    }
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
