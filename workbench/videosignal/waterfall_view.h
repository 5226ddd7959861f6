// SPDX-License-Identifier: GPL-3.0-or-later
// The video signals over time: one line per signal, position along the line across, time
// downwards from the newest signal at the top, the level as brightness on a scale that reads
// in black and white too, the threshold crossings marked on it, and beside it the figures as
// small trends on the same time scale.
#pragma once

#include "workbench/videosignal/signal_history.h"

#include <QWidget>

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
    const SignalHistory &history_;
};
