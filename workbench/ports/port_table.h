// SPDX-License-Identifier: GPL-3.0-or-later
// The port numbers the ring offers and what each one stands for. Ports 1 to 10 are the runtime's
// fixed table (or what RMOX_COM<n> names); devices beyond it, and devices given by hand, get the
// next free numbers and keep them for the session. The runtime opens what rtComDevice says,
// so the texts name exactly what a port opens.
#pragma once

#include "workbench/ports/serial_devices.h"

#include <QList>
#include <QString>
#include <QStringList>

class PortTable {
  public:
    static constexpr int kFixedPorts = 10;
    static constexpr int kMostPorts = 99; // an override above it is left off the ring

    // The ring reaches up to the highest port that an override names.
    PortTable();

    int count() const { return count_; }
    // The device port `port` opens.
    static QString pathOf(int port);
    // The number whose device is `path` (the same node), or 0.
    int numberOf(const QString &path) const;
    // `path` as a port of its own: the first number above the fixed table that names no device
    // (an override keeps its number); the number it has if it has one.
    int add(const QString &path);
    // Numbers listed devices that have none yet; returns the new numbers.
    QList<int> addNew(const DeviceScan &scan);
    // Every port's path that the serial layer may not list, for the watch to follow.
    QStringList watchedPaths() const;

    // "5: /dev/ttyUSB0 — FT232R USB UART (FTDI, A50285BI)", "3: /dev/ttyS2 — not present".
    // `pulledOut` names a port whose device failed while in use (0: none).
    QString itemText(int port, const DeviceScan &scan, int pulledOut) const;
    // The by-id name and the override behind a port, for its tool tip.
    QString itemDetails(int port, const DeviceScan &scan) const;

  private:
    int count_;
};

// What set the device of `port`: "--port" or "RMOX_COM1"; empty when nothing did.
QString OverrideOrigin(int port);

// Whether `path` has a device behind it now: the serial layer lists it, or it is a watched path
// that leads to a node. A built-in UART node without a port behind it counts as absent.
bool IsPresent(const QString &path, const DeviceScan &scan);
