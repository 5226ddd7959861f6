// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_device.h"

#include <QFileInfo>
#include <QMap>
#include <QProcessEnvironment>
#include <QtGlobal>
#include <algorithm>
#include <array>

namespace {

struct DeviceRange {
    int firstPort;
    int count;
    const char *prefix;
};

constexpr std::array kDeviceRanges{
    DeviceRange{1, 4, "/dev/ttyS"},
    DeviceRange{5, 4, "/dev/ttyUSB"},
    DeviceRange{9, 2, "/dev/ttyACM"},
};

const QString kEnvironmentPrefix = QStringLiteral("RMOX_COM");

QMap<int, QString> &givenDevices() {
    static QMap<int, QString> devices;
    return devices;
}

QMap<int, QString> &sessionDevices() {
    static QMap<int, QString> devices;
    return devices;
}

QString environmentDevice(int port) {
    return qEnvironmentVariable(qPrintable(kEnvironmentPrefix + QString::number(port)));
}

QString tableDevice(int port) {
    for (const DeviceRange &range : kDeviceRanges) {
        const int index = port - range.firstPort;
        if (index >= 0 && index < range.count)
            return QString::fromLatin1(range.prefix) + QString::number(index);
    }
    return {};
}

} // namespace

void rtGiveComDevice(int port, const QString &path) {
    givenDevices()[port] = rtAbsoluteDevicePath(path);
}

void rtSetComDevice(int port, const QString &path) {
    if (path.isEmpty())
        sessionDevices().remove(port);
    else
        sessionDevices()[port] = rtAbsoluteDevicePath(path);
}

ComOrigin rtComDeviceOrigin(int port) {
    if (port < 1)
        return ComOrigin::None;
    if (givenDevices().contains(port))
        return ComOrigin::Given;
    if (!environmentDevice(port).isEmpty())
        return ComOrigin::Environment;
    if (sessionDevices().contains(port))
        return ComOrigin::Mapped;
    return tableDevice(port).isEmpty() ? ComOrigin::None : ComOrigin::Table;
}

int rtHighestNamedPort() {
    int highest = givenDevices().isEmpty() ? 0 : givenDevices().lastKey();
    const QStringList names = QProcessEnvironment::systemEnvironment().keys();
    for (const QString &name : names)
        if (name.startsWith(kEnvironmentPrefix))
            highest = std::max(highest, name.mid(kEnvironmentPrefix.size()).toInt());
    return highest;
}

QString rtAbsoluteDevicePath(const QString &name) {
    return QFileInfo(name).absoluteFilePath();
}

QString rtComDevice(int port) {
    switch (rtComDeviceOrigin(port)) {
    case ComOrigin::Given:
        return givenDevices().value(port);
    case ComOrigin::Environment:
        return rtAbsoluteDevicePath(environmentDevice(port));
    case ComOrigin::Mapped:
        return sessionDevices().value(port);
    case ComOrigin::Table:
        return tableDevice(port);
    case ComOrigin::None:
        break;
    }
    return {};
}
