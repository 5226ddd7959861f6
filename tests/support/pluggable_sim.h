// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated sensor as a device that can be pulled out: rmox-sensor-sim runs as a child
// process behind a fixed link path, as a USB adapter would appear under a fixed name.
// pullOut() kills it with SIGKILL, so its pseudo-terminal vanishes at once, without the
// orderly shutdown that SIGTERM gives; a new PluggableSim on the same path plugs a sensor in
// again.
//
//   PluggableSim sensor(dir.filePath("ttyRMOX"), {"--no-pacing"});
//   QVERIFY2(sensor.isRunning(), qPrintable(sensor.errorString()));
//   ... open sensor.linkPath() as the serial port ...
//   sensor.pullOut();
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class PluggableSim {
  public:
    // Starts the simulator with --link `linkPath` and `options`; waits up to 5 s for its
    // device.
    PluggableSim(const QString &linkPath, const QStringList &options = {});
    // Stops a simulator that is still running with SIGTERM.
    ~PluggableSim();
    PluggableSim(const PluggableSim &) = delete;
    PluggableSim &operator=(const PluggableSim &) = delete;

    bool isRunning() const;
    QString linkPath() const { return link_; }
    QString errorString() const { return error_; }

    // Kills the simulator (SIGKILL) and waits until it is gone. True when it was running.
    bool pullOut();

  private:
    QProcess process_;
    QString link_;
    QString error_;
    bool announced_ = false;
};
