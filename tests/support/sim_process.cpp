// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/sim_process.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>

namespace {
constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 5000;
} // namespace

QString SimProcess::executable() {
    const QString fromEnv = qEnvironmentVariable("RMOX_SIM");
    if (!fromEnv.isEmpty()) {
        return fromEnv;
    }
    return QDir(QCoreApplication::applicationDirPath()).filePath("../rmox-sensor-sim");
}

SimProcess::SimProcess(const QStringList &options) {
    process_.setProgram(executable());
    process_.setArguments(options);
    process_.start();
    if (!process_.waitForStarted(kStartTimeoutMs)) {
        error_ = "cannot start " + executable() + ": " + process_.errorString();
        return;
    }
    QDeadlineTimer deadline(kStartTimeoutMs);
    while (!process_.canReadLine() && !deadline.hasExpired() &&
           process_.state() == QProcess::Running) {
        process_.waitForReadyRead(static_cast<int>(qMax<qint64>(1, deadline.remainingTime())));
    }
    const QString line = QString::fromLocal8Bit(process_.readLine()).trimmed();
    if (line.startsWith("device ")) {
        devicePath_ = line.mid(7);
        return;
    }
    error_ = "the simulator did not announce its device";
    if (!line.isEmpty()) {
        error_ += " (first line: \"" + line + "\")";
    }
    stop();
    error_ += ": " + standardError().trimmed();
}

SimProcess::~SimProcess() {
    stop();
}

bool SimProcess::isRunning() const {
    return !devicePath_.isEmpty() && process_.state() == QProcess::Running;
}

int SimProcess::stop() {
    if (process_.state() != QProcess::NotRunning) {
        process_.terminate();
        if (!process_.waitForFinished(kStopTimeoutMs)) {
            process_.kill();
            process_.waitForFinished(kStopTimeoutMs);
            return -1;
        }
    } else if (process_.error() == QProcess::FailedToStart) {
        return -1;
    }
    return process_.exitStatus() == QProcess::NormalExit ? process_.exitCode() : -1;
}

QString SimProcess::standardError() {
    stderr_ += process_.readAllStandardError();
    return QString::fromLocal8Bit(stderr_);
}
