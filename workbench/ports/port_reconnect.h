// SPDX-License-Identifier: GPL-3.0-or-later
// Opens the port in use again when its adapter was pulled out and comes back. The adapter is
// known by its serial number, else by its by-id name, else by the path it was opened under (a
// link to the simulated sensor). It must have been seen gone after the failure, and nothing
// may run: no Run or Data loop, no callback of the tool, or it tries again a little later.
// The port is opened with the line settings, the receive callback and the echo check, without
// reading the parameter set, so edits on the panels stay.
#pragma once

#include "runtime/serial_tap.h"
#include "workbench/ports/serial_devices.h"

#include <QObject>
#include <QTimer>

class PortReconnect : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRetryMs = 250;

    PortReconnect();

    // The port whose device failed while in use; 0 when none.
    int lostPort() const { return lost_; }
    // Opened, OpenFailed, Closed and Failed events of the ports; `scan` tells what was opened.
    void noteSerial(const SerialTapEvent &e, const DeviceScan &scan);
    // A new look at the devices: is the lost one back?
    void noteScan(const DeviceScan &scan);

  signals:
    void lost(int port);
    // What was done, for the technician: "port 5 (/dev/ttyUSB0): the adapter came back; ...".
    void told(const QString &what);

  private:
    struct Identity {
        QString path; // as opened
        QString serialNumber;
        QString byId;
    };
    // Where the lost adapter is now, empty while it is away.
    QString whereNow(const DeviceScan &scan) const;
    void tryReopen();
    void reopen(const QString &path);

    Identity inUse_;
    int port_ = 0; // the port in use, 0 when none is open
    int lost_ = 0;
    bool seenGone_ = false;
    bool reopening_ = false;
    DeviceScan scan_;
    QTimer retry_;
};
