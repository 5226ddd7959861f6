// SPDX-License-Identifier: GPL-3.0-or-later
#include "serial_device.h"

#include "serial_tap.h"

#include <QFileInfo>
#include <QMap>
#include <QtGlobal>
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

QMap<int, QString> &sessionDevices() {
    static QMap<int, QString> devices;
    return devices;
}

} // namespace

void rtSetComDevice(int port, const QString &path) {
    if (path.isEmpty())
        sessionDevices().remove(port);
    else
        sessionDevices()[port] = rtAbsoluteDevicePath(path);
}

QString rtAbsoluteDevicePath(const QString &name) {
    return QFileInfo(name).absoluteFilePath();
}

QString rtComDevice(int port) {
    if (port < 1)
        return {};
    const QString override =
        qEnvironmentVariable(qPrintable(QStringLiteral("RMOX_COM%1").arg(port)));
    if (!override.isEmpty())
        return rtAbsoluteDevicePath(override);
    if (sessionDevices().contains(port))
        return sessionDevices().value(port);
    for (const DeviceRange &range : kDeviceRanges) {
        const int index = port - range.firstPort;
        if (index >= 0 && index < range.count)
            return QString::fromLatin1(range.prefix) + QString::number(index);
    }
    return {};
}
