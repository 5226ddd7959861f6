// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/signal_history.h"

#include <QDateTime>

void SignalHistory::append(qint64 monoMs, qint64 wallMs, const VideoSnapshot &signal,
                           const SignalFigures &figures) {
    lines_.push_back({monoMs, wallMs, signal, figures});
    while (lines_.size() > kMostSignals || monoMs - lines_.front().monoMs > kKeptMs)
        lines_.pop_front();
    ++revision_;
}

namespace {

QByteArray number(const std::optional<double> &v) {
    return v ? QByteArray::number(*v, 'f', 3) : QByteArray();
}

} // namespace

QByteArray FiguresCsv(const SignalHistory &history) {
    QByteArray csv = "time,threshold,floor,plateau,contrast,noise,saturated,clipped,"
                     "margin_to_floor,margin_to_plateau,suggested_threshold,crossings_px\n";
    for (const HistoryLine &line : history.lines()) {
        const SignalFigures &f = line.figures;
        QByteArrayList crossings;
        for (const Crossing &c : f.crossings)
            crossings << (c.rising ? "+" : "-") + QByteArray::number(c.positionPx, 'f', 2);
        csv += QDateTime::fromMSecsSinceEpoch(line.wallMs).toString(Qt::ISODateWithMs).toUtf8() +
               ',' + QByteArray::number(f.threshold) + ',' + number(f.floor) + ',' +
               number(f.plateau) + ',' + number(f.contrast) + ',' +
               QByteArray::number(f.noise, 'f', 3) + ',' + QByteArray::number(f.saturated) + ',' +
               QByteArray::number(f.clipped) + ',' + number(f.marginToFloor) + ',' +
               number(f.marginToPlateau) + ',' +
               (f.suggestedThreshold ? QByteArray::number(*f.suggestedThreshold) : QByteArray()) +
               ',' + crossings.join(' ') + '\n';
    }
    return csv;
}
