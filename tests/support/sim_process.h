// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the simulated sensor, rmox-sensor-sim, as a child process for end-to-end tests.
//
//   SimProcess sim({"--no-pacing", "--seed", "7"});
//   QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
//   ... open sim.devicePath() as the serial port ...
//
// The executable is taken from the environment variable RMOX_SIM (ctest sets it), else from
// ../rmox-sensor-sim beside the test executable's folder. The constructor starts it with the
// given options and waits up to 5 s for the "device PATH" line it prints once its
// pseudo-terminal is ready. The destructor stops it (SIGTERM) and waits for it to end.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

class SimProcess {
  public:
    explicit SimProcess(const QStringList &options = {});
    ~SimProcess();
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;

    // True once the device is announced and until stop().
    bool isRunning() const;
    // The pseudo-terminal to open, e.g. "/dev/pts/7"; empty when the start failed.
    QString devicePath() const { return devicePath_; }
    // Why the start failed, with what the simulator wrote on standard error.
    QString errorString() const { return error_; }

    // Stops the simulator (SIGTERM) if it still runs and returns its exit code: 0 after a clean
    // shutdown, -1 when it never started, crashed or ignored SIGTERM (then it is killed).
    int stop();

    // Everything the simulator wrote on standard error so far.
    QString standardError();

    static QString executable();

  private:
    QProcess process_;
    QString devicePath_;
    QString error_;
    QByteArray stderr_;
};
