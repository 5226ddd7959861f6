// SPDX-License-Identifier: GPL-3.0-or-later
// Timer control: an invisible control that ticks at a fixed interval while enabled,
// whether or not its panel is shown.
#pragma once

#include <QTimer>
#include <QWidget>

class RtTimer : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int interval READ interval WRITE setInterval)
    Q_PROPERTY(bool ticking READ ticking WRITE setTicking)
  public:
    explicit RtTimer(QWidget *parent = nullptr);
    int interval() const { return timer_.interval(); }
    void setInterval(int ms) { timer_.setInterval(ms); }
    bool ticking() const { return timer_.isActive(); }
    void setTicking(bool on);

  signals:
    void tick();

  private:
    QTimer timer_;
};
