// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/port_table.h"

#include "runtime/serial_device.h"

#include <QRegularExpression>
#include <algorithm>

namespace {

const QString kDash = QStringLiteral(" \u2014 ");

// "FT232R USB UART (FTDI, A50285BI)"
QString whatIsBehind(const SerialDevice &d) {
    QStringList maker;
    for (const QString &part : {d.manufacturer, d.serialNumber})
        if (!part.isEmpty())
            maker << part;
    const QString what = d.description.isEmpty() ? QStringLiteral("serial port") : d.description;
    return maker.isEmpty() ? what : QStringLiteral("%1 (%2)").arg(what, maker.join(", "));
}

bool isBuiltInUart(const QString &node) {
    static const QRegularExpression uart(QStringLiteral("^/dev/ttyS\\d+$"));
    return uart.match(node).hasMatch();
}

// What an unlisted path leads to: "pseudo-terminal /dev/pts/4", "/dev/ttyGS0" or "present".
QString presentNode(const QString &path, const QString &node) {
    if (node.startsWith(QStringLiteral("/dev/pts/")))
        return node == path ? QStringLiteral("pseudo-terminal")
                            : QStringLiteral("pseudo-terminal %1").arg(node);
    return node == path ? QStringLiteral("present") : node;
}

} // namespace

QString OverrideOrigin(int port) {
    switch (rtComDeviceOrigin(port)) {
    case ComOrigin::Given:
        return QStringLiteral("--port");
    case ComOrigin::Environment:
        return QStringLiteral("RMOX_COM%1").arg(port);
    default:
        return {};
    }
}

bool IsPresent(const QString &path, const DeviceScan &scan) {
    if (scan.find(path))
        return true;
    const QString node = scan.watched.value(path);
    return !node.isEmpty() && !isBuiltInUart(node);
}

PortTable::PortTable() : count_(std::clamp(rtHighestNamedPort(), kFixedPorts, kMostPorts)) {}

QString PortTable::pathOf(int port) {
    return rtComDevice(port);
}

int PortTable::numberOf(const QString &path) const {
    const QString absolute = rtAbsoluteDevicePath(path);
    const QString node = NodeOf(absolute);
    for (int n = 1; n <= count_; ++n) {
        const QString own = pathOf(n);
        if (own == absolute || (!node.isEmpty() && NodeOf(own) == node))
            return n;
    }
    return 0;
}

int PortTable::add(const QString &path) {
    if (const int known = numberOf(path))
        return known;
    int port = kFixedPorts + 1;
    while (!pathOf(port).isEmpty())
        ++port;
    rtSetComDevice(port, path);
    count_ = std::max(count_, port);
    return port;
}

QList<int> PortTable::addNew(const DeviceScan &scan) {
    QList<int> added;
    for (const SerialDevice &d : scan.devices)
        if (!numberOf(d.path))
            added << add(d.path);
    return added;
}

QStringList PortTable::watchedPaths() const {
    QStringList paths;
    for (int n = 1; n <= count_; ++n)
        paths << pathOf(n);
    return paths;
}

QString PortTable::itemText(int port, const DeviceScan &scan, int pulledOut) const {
    const QString path = pathOf(port);
    QString state;
    if (path.isEmpty())
        return QStringLiteral("%1: no device").arg(port);
    if (port == pulledOut)
        state = QStringLiteral("pulled out");
    else if (const SerialDevice *d = scan.find(path))
        state = whatIsBehind(*d);
    else if (IsPresent(path, scan))
        state = presentNode(path, scan.watched.value(path));
    else
        state = QStringLiteral("not present");
    return QStringLiteral("%1: %2").arg(port).arg(path) + kDash + state;
}

QString PortTable::itemDetails(int port, const DeviceScan &scan) const {
    QStringList lines;
    if (const SerialDevice *d = scan.find(pathOf(port)); d && !d->byId.isEmpty())
        lines << QStringLiteral("by-id: %1").arg(d->byId);
    if (const QString origin = OverrideOrigin(port); !origin.isEmpty())
        lines << QStringLiteral("set by %1").arg(origin);
    return lines.join('\n');
}
