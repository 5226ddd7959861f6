// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_report.h"

#include <QElapsedTimer>

namespace {

SerialTap &tap() {
    static SerialTap t;
    return t;
}

} // namespace

void rtSetSerialTap(SerialTap t) {
    tap() = std::move(t);
}

qint64 rtSerialClock() {
    static QElapsedTimer clock = [] {
        QElapsedTimer c;
        c.start();
        return c;
    }();
    return clock.nsecsElapsed();
}

bool rtTapping() {
    return bool(tap());
}

void rtReport(SerialTapEvent event) {
    if (!tap())
        return;
    event.nanoseconds = rtSerialClock();
    tap()(event);
}
