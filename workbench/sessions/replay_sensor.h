// SPDX-License-Identifier: GPL-3.0-or-later
// The simulator playing a session file back as the sensor, as a process of its own on a
// pseudo-terminal. What it says on standard error (requests the session did not have) goes to
// the tool's standard error.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

class ReplaySensor : public QObject {
    Q_OBJECT
  public:
    explicit ReplaySensor(QObject *parent = nullptr);
    ~ReplaySensor() override;

    // Starts the simulator with --replay `file`; ready() or failed() follows.
    void start(const QString &file);
    // Stops it; ended() follows.
    void stop();
    bool running() const { return process_.state() != QProcess::NotRunning; }

    // The simulator: RMOX_SIM, else the one built or installed beside the tool, else the one
    // in the search path.
    static QString executable();

  signals:
    void ready(const QString &device);
    void failed(const QString &why);
    void ended();

  private:
    void readDevice();

    QProcess process_;
    QByteArray said_;
    bool announced_ = false;
};
