// SPDX-License-Identifier: GPL-3.0-or-later
// The video signals of the last 10 minutes with their figures, oldest first: what the waterfall
// and the trends beside it draw, and what Save figures… writes. Memory stays bounded however
// long Data goes on: older signals are dropped, and never more than kMostSignals are kept.
#pragma once

#include "workbench/videosignal/signal_figures.h"

#include <QByteArray>
#include <deque>

struct HistoryLine {
    qint64 monoMs; // the monotonic clock when the signal came
    qint64 wallMs; // the wall clock then
    VideoSnapshot signal;
    SignalFigures figures;
};

class SignalHistory {
  public:
    static constexpr qint64 kKeptMs = 10 * 60 * 1000;
    static constexpr std::size_t kMostSignals = 4096; // Data reads about three a second

    void append(qint64 monoMs, qint64 wallMs, const VideoSnapshot &signal,
                const SignalFigures &figures);
    const std::deque<HistoryLine> &lines() const { return lines_; }
    bool empty() const { return lines_.empty(); }
    // Grows with every signal taken, so a view knows whether it has something new to draw.
    qint64 revision() const { return revision_; }

  private:
    std::deque<HistoryLine> lines_;
    qint64 revision_ = 0;
};

// One row per signal: its wall-clock time and every figure, the crossings last.
QByteArray FiguresCsv(const SignalHistory &history);
