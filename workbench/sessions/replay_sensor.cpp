// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/sessions/replay_sensor.h"

#include "workbench/shared/simulator_path.h"

ReplaySensor::ReplaySensor(QObject *parent) : QObject(parent) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    connect(&process_, &QProcess::readyReadStandardOutput, this, &ReplaySensor::readDevice);
    connect(&process_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            emit failed(QStringLiteral("the simulator %1 could not be started: %2")
                            .arg(process_.program(), process_.errorString()));
    });
    connect(&process_, &QProcess::finished, this, [this](int code, QProcess::ExitStatus status) {
        if (!announced_)
            emit failed(status == QProcess::NormalExit
                            ? QStringLiteral("the simulator ended at once (exit code %1); its "
                                             "reason is on the tool's standard error")
                                  .arg(code)
                            : QStringLiteral("the simulator crashed"));
        announced_ = false;
        emit ended();
    });
}

ReplaySensor::~ReplaySensor() {
    process_.disconnect(this);
    if (running()) {
        process_.terminate();
        if (!process_.waitForFinished(3000))
            process_.kill();
        process_.waitForFinished(1000);
    }
}

QString ReplaySensor::executable() {
    const QString given = qEnvironmentVariable("RMOX_SIM");
    if (!given.isEmpty())
        return given;
    return SimulatorPath();
}

void ReplaySensor::start(const QString &file) {
    said_.clear();
    announced_ = false;
    process_.start(executable(), {QStringLiteral("--replay"), file});
}

void ReplaySensor::stop() {
    if (running())
        process_.terminate();
}

// The simulator prints "device PATH" once its pseudo-terminal can be opened.
void ReplaySensor::readDevice() {
    said_ += process_.readAllStandardOutput();
    const qsizetype end = said_.indexOf('\n');
    if (announced_ || end < 0)
        return;
    const QByteArray line = said_.left(end);
    if (!line.startsWith("device "))
        return;
    announced_ = true;
    emit ready(QString::fromLocal8Bit(line.mid(7)));
}
