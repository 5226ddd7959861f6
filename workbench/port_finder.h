// SPDX-License-Identifier: GPL-3.0-or-later
// The port finder: the ring names the device behind every port and follows adapters as they
// come and go, a path can be given by hand, a failed open is explained where a technician
// looks (the status line's tool tip, View -> Port diagnostics, standard error), and the port
// in use is opened again when its adapter comes back. The status line's texts stay the tool's.
#pragma once

#include "workbench/device_watch.h"
#include "workbench/port_diagnosis.h"
#include "workbench/port_reconnect.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class MenuBar;
class PortDiagnosticsView;
class PortRing;
class SerialEvents;

class PortFinder : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRepeatMs = 2000;

    PortFinder(SerialEvents &serial, MenuBar &menus);
    ~PortFinder() override;

    PortRing &ring() { return *ring_; }
    // The last open failure's cause and remedy, and the last reconnect, one line each.
    QStringList notes() const { return notes_; }

  private:
    void noteSerial(const SerialTapEvent &e);
    void noteScan(const DeviceScan &scan);
    void explain(const SerialTapEvent &failedOpen);
    void tell(const QStringList &lines);
    QString report() const;

    PortRing *ring_;
    DeviceWatch watch_;
    PortReconnect reconnect_;
    QPointer<PortDiagnosticsView> view_; // owned by the main panel, which may go first
    QString statusTip_;                  // the status line's own tool tip
    QStringList notes_;
    QElapsedTimer told_; // since the notes last went to standard error
};
