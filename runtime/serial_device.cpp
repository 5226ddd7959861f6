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

struct Found {
    ComOrigin origin = ComOrigin::None;
    QString path;
};

// The first origin that names a device for `port`, in the order of ComOrigin.
Found lookUp(int port) {
    if (port < 1)
        return {};
    if (const auto given = givenDevices().constFind(port); given != givenDevices().cend())
        return {ComOrigin::Given, *given};
    if (const QString named = environmentDevice(port); !named.isEmpty())
        return {ComOrigin::Environment, rtAbsoluteDevicePath(named)};
    if (const auto mapped = sessionDevices().constFind(port); mapped != sessionDevices().cend())
        return {ComOrigin::Mapped, *mapped};
    if (QString fixed = tableDevice(port); !fixed.isEmpty())
        return {ComOrigin::Table, fixed};
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
    return lookUp(port).origin;
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
    return lookUp(port).path;
}
