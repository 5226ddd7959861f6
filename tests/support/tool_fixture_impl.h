// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/runtime.h"

#include <QElapsedTimer>

template <typename Done> bool PumpUntil(Done done, int ms) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        ProcessSystemEvents();
    return done();
}
