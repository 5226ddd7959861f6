// SPDX-License-Identifier: GPL-3.0-or-later
// The port finder: the ring names the device behind every port and follows adapters as they
// come and go, a path can be given by hand, a failed open and a line check that fails are
// explained where a technician looks (the status line's tool tip, View -> Port diagnostics,
// standard error), and the port in use is opened again when its adapter comes back. The status
// line's texts stay the tool's.
#pragma once

#include "workbench/ports/device_watch.h"
#include "workbench/ports/port_reconnect.h"
#include "workbench/shared/line_check_watch.h"
#include "workbench/shared/port_diagnosis.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>

class CoreEvents;
class MenuBar;
class PortDiagnosticsView;
class PortRing;
class SerialEvents;

class PortsFeature : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRepeatMs = 2000;

    PortsFeature(CoreEvents &core, SerialEvents &serial, MenuBar &menus);
    ~PortsFeature() override;

    PortRing &ring() { return *ring_; }
    // The last finding (an open failure's or a line check's cause and remedy) and the last
    // reconnect, one line each.
    QStringList notes() const { return notes_; }

  private:
    void noteSerial(const SerialTapEvent &e);
    void noteScan(const DeviceScan &scan);
    void noteCheck(const LineCheckWatch::Verdict &v);
    void explain(const SerialTapEvent &failedOpen);
    void tell(const QStringList &lines);
    QString report() const;

    PortRing *ring_;
    DeviceWatch watch_;
    PortReconnect reconnect_;
    QPointer<PortDiagnosticsView> view_; // owned by the main panel, which may go first
    LineCheckWatch checks_;
    QStringList finding_; // of the last open or line check
    QStringList notes_;
    QStringList printed_; // the lines that last went to standard error
    QElapsedTimer told_;  // since then
};
