// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/pluggable_sim.h"

#include "support/sim_process.h"

#include <QDeadlineTimer>

namespace {
constexpr int kStartTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 5000;
} // namespace

PluggableSim::PluggableSim(const QString &linkPath, const QStringList &options) : link_(linkPath) {
    process_.setProgram(SimProcess::executable());
    process_.setArguments(QStringList{"--link", linkPath} + options);
    process_.start();
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (process_.state() != QProcess::NotRunning && !process_.canReadLine() &&
           !deadline.hasExpired())
        process_.waitForReadyRead(int(qMax<qint64>(1, deadline.remainingTime())));
    announced_ = process_.readLine().startsWith("device ");
    if (!announced_)
        error_ = "the simulator did not announce its device: " + process_.errorString() + " " +
                 QString::fromLocal8Bit(process_.readAllStandardError()).trimmed();
}

PluggableSim::~PluggableSim() {
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(kStopTimeoutMs)) {
        process_.kill();
        process_.waitForFinished(kStopTimeoutMs);
    }
}

bool PluggableSim::isRunning() const {
    return announced_ && process_.state() == QProcess::Running;
}

bool PluggableSim::pullOut() {
    if (!isRunning())
        return false;
    process_.kill();
    return process_.waitForFinished(kStopTimeoutMs);
}
