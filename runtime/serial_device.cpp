#include "serial_device.h"

#include <QFileInfo>
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

} // namespace

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
    for (const DeviceRange &range : kDeviceRanges) {
        const int index = port - range.firstPort;
        if (index >= 0 && index < range.count)
            return QString::fromLatin1(range.prefix) + QString::number(index);
    }
    return {};
}
