// SPDX-License-Identifier: GPL-3.0-or-later
// One look at one serial device for a sensor: unless something is in the way, it takes the
// device's lock file as the serial layer does, opens the device for itself alone with the
// sensor's line settings (19200 baud, 8 data bits, no parity, 1 stop bit, no handshake), sends
// the echo frame once, waits at most kAnswerMs for a frame, and closes it again. Blocking
// POSIX calls only: run it off the GUI thread.
#pragma once

#include "workbench/finder/probe_finding.h"

#include <QByteArray>
#include <QString>
#include <atomic>

constexpr int kAnswerMs = 250;

// The echo frame with `words` (the parameter set the tool holds; 16 words) as its data.
QByteArray EchoFrame(const unsigned short *words);

// The lock file the serial layer takes for `device`: LCK..ttyUSB0 for /dev/ttyUSB0, with the
// path as given (a link is not followed), in the first lock folder that is usable.
QString SerialLockPath(const QString &device);

// `present`: whether the system shows a device behind `path` (a built-in port's node may
// exist with no port behind it). `cancel` ends the wait early, as Cancelled.
ProbeFinding ProbeDevice(const QString &path, bool present, const QByteArray &echoFrame,
                         const std::atomic_bool &cancel);
