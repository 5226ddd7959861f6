// SPDX-License-Identifier: GPL-3.0-or-later
// The video signals over time: one line per signal, position along the line across, time
// downwards from the newest signal at the top, the level as brightness on a scale that reads
// in black and white too, the threshold crossings marked on it, and beside it the figures as
// small trends on the same time scale.
#pragma once

#include "workbench/videosignal/signal_history.h"

#include <QImage>
#include <QVector>
#include <QWidget>
#include <utility>

class WaterfallView : public QWidget {
    Q_OBJECT
  public:
    WaterfallView(const SignalHistory &history, QWidget *parent);

    QSize sizeHint() const override;
    // The colour of `level` (0 to 1023): brightness rises with the level.
    static QRgb LevelColour(int level);

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    // What the kept rows were drawn for.
    struct Drawn {
        QSize size;
        qint64 spanMs = 0;
        int first = 0, last = 0; // positions across
        QRgb base = 0, hatch = 0, window = 0;
        bool operator==(const Drawn &) const = default;
    };

    const SignalHistory &history_;
    QImage rows_;  // the waterfall and the trends, row for row
    QImage frame_; // the rest but the clock times, drawn with them
    Drawn drawn_;
    qint64 topRow_ = 0;                         // the clock's row number of the first row
    QVector<std::pair<double, double>> ranges_; // each trend's scale
};
