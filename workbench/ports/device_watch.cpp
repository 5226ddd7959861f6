// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/device_watch.h"

#include <QMutexLocker>
#include <QTimer>

DeviceWatch::DeviceWatch() : worker_(new QObject) {
    auto *timer = new QTimer(worker_);
    timer->setInterval(kIntervalMs);
    worker_->moveToThread(&thread_);
    connect(timer, &QTimer::timeout, worker_, [this] { look(false); });
    connect(&thread_, &QThread::started, timer, [this, timer] {
        look(true);
        timer->start();
    });
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.setObjectName(QStringLiteral("device watch"));
    thread_.start(QThread::LowPriority);
}

DeviceWatch::~DeviceWatch() {
    thread_.quit();
    thread_.wait();
}

void DeviceWatch::setWatched(const QStringList &paths) {
    const QMutexLocker lock(&mutex_);
    watched_ = paths;
}

void DeviceWatch::lookNow() {
    QMetaObject::invokeMethod(worker_, [this] { look(true); });
}

void DeviceWatch::look(bool force) {
    QStringList watched;
    {
        const QMutexLocker lock(&mutex_);
        watched = watched_;
    }
    const QByteArray fingerprint = DeviceFingerprint(watched);
    if (!force && fingerprint == fingerprint_)
        return;
    fingerprint_ = fingerprint;
    DeviceScan scan = ScanSerialDevices(watched);
    if (delivered_ && scan == last_)
        return;
    last_ = scan;
    delivered_ = true;
    QMetaObject::invokeMethod(
        this, [this, scan] { emit changed(scan); }, Qt::QueuedConnection);
}
