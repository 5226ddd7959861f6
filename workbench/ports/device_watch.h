// SPDX-License-Identifier: GPL-3.0-or-later
// Follows serial devices as they are plugged in and pulled out, also where no udev daemon runs:
// a thread of its own looks about once a second, and only when the cheap fingerprint changed
// does it ask the serial layer for the full list. Changes arrive on the GUI thread.
#pragma once

#include "workbench/ports/serial_devices.h"

#include <QMutex>
#include <QObject>
#include <QThread>

class DeviceWatch : public QObject {
    Q_OBJECT
  public:
    static constexpr int kIntervalMs = 1000;

    DeviceWatch();
    ~DeviceWatch() override;

    // Paths to follow beyond what the serial layer lists; takes effect at the next look.
    void setWatched(const QStringList &paths);
    // Looks again at once, as if the fingerprint had changed.
    void lookNow();

  signals:
    // A scan that differs from the last one delivered (the first scan always arrives).
    void changed(const DeviceScan &scan);

  private:
    void look(bool force); // on the watch's thread

    QThread thread_;
    QObject *worker_; // lives on thread_, parent of its timer
    QMutex mutex_;
    QStringList watched_;
    QByteArray fingerprint_;
    DeviceScan last_;
    bool delivered_ = false;
};
