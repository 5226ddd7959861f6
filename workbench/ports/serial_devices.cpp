// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/serial_devices.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>

namespace {

const QString kById = QStringLiteral("/dev/serial/by-id");
const QString kTtyClass = QStringLiteral("/sys/class/tty");

// by-id link -> the node it names, for every adapter the system has named.
QMap<QString, QString> byIdLinks() {
    QMap<QString, QString> links;
    const QFileInfoList entries =
        QDir(kById).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &link : entries)
        links[link.absoluteFilePath()] = link.canonicalFilePath();
    return links;
}

} // namespace

QString NodeOf(const QString &path) {
    return QFileInfo(path).canonicalFilePath();
}

const SerialDevice *DeviceScan::find(const QString &path) const {
    const QString node = NodeOf(path);
    for (const SerialDevice &d : devices)
        if (d.path == path || d.byId == path || (!node.isEmpty() && d.path == node))
            return &d;
    return nullptr;
}

DeviceScan ScanSerialDevices(const QStringList &watched) {
    DeviceScan scan;
    const QMap<QString, QString> links = byIdLinks();
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        SerialDevice d{info.systemLocation(),
                       info.description(),
                       info.manufacturer(),
                       info.serialNumber(),
                       {}};
        d.byId = links.key(d.path);
        scan.devices << d;
    }
    std::sort(scan.devices.begin(), scan.devices.end(),
              [](const SerialDevice &a, const SerialDevice &b) { return a.path < b.path; });
    for (const QString &path : watched)
        scan.watched[path] = NodeOf(path);
    return scan;
}

QByteArray DeviceFingerprint(const QStringList &watched) {
    QByteArray print;
    for (const QString &name : QDir(kTtyClass).entryList(QDir::AllEntries | QDir::NoDotAndDotDot))
        print += name.toUtf8() + ' ';
    const QMap<QString, QString> links = byIdLinks();
    for (auto it = links.cbegin(); it != links.cend(); ++it)
        print += '\n' + it.key().toUtf8() + '>' + it.value().toUtf8();
    for (const QString &path : watched)
        print += '\n' + path.toUtf8() + '>' + NodeOf(path).toUtf8();
    return print;
}
