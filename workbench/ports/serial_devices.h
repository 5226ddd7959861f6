// SPDX-License-Identifier: GPL-3.0-or-later
// The serial devices the system offers now: what the serial layer lists (with what is behind
// each one) and the stable /dev/serial/by-id names of adapters. Scanning reads sysfs and /dev
// only and is safe off the GUI thread.
#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

struct SerialDevice {
    QString path; // the device node, e.g. /dev/ttyUSB0
    QString description;
    QString manufacturer;
    QString serialNumber;
    QString byId; // its /dev/serial/by-id link, or empty

    bool operator==(const SerialDevice &) const = default;
};

struct DeviceScan {
    QList<SerialDevice> devices; // sorted by path
    // Each watched path (a device given by hand or by RMOX_COM<n>, which the serial layer may
    // not list) -> the node it leads to now, empty when it leads nowhere.
    QMap<QString, QString> watched;

    bool operator==(const DeviceScan &) const = default;
    // The listed device behind `path` (its node, a link to it or its by-id name), or nullptr.
    const SerialDevice *find(const QString &path) const;
};

DeviceScan ScanSerialDevices(const QStringList &watched);

// A cheap summary of what a scan would find: the system's tty names, the by-id links and where
// the watched paths lead. A scan finds something new only when this changes.
QByteArray DeviceFingerprint(const QStringList &watched);

// Where `path` leads now (links resolved), empty when nothing is there.
QString NodeOf(const QString &path);
