// SPDX-License-Identifier: GPL-3.0-or-later
#include "timer.h"

RtTimer::RtTimer(QWidget *parent) : QWidget(parent) {
    timer_.setInterval(50);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &RtTimer::tick);
    setFixedSize(0, 0);
    hide();
}

void RtTimer::setTicking(bool on) {
    if (on == timer_.isActive())
        return;
    if (on)
        timer_.start();
    else
        timer_.stop();
}
