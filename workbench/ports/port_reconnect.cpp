// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/port_reconnect.h"

#include "app/tool_api.h"
#include "runtime/app_busy.h"
#include "runtime/runtime_qt.h"
#include "runtime/serial_device.h"
#include "workbench/ports/port_table.h"

#include <QLineEdit>

namespace {

QString statusText() {
    const auto *status = qobject_cast<QLineEdit *>(
        rtControlWidget(ToolMainPanel(), ToolControl(ToolPlace::StatusLine)));
    return status ? status->text() : QString();
}

bool overridden(int port) {
    return !OverrideOrigin(port).isEmpty();
}

} // namespace

PortReconnect::PortReconnect() {
    retry_.setSingleShot(true);
    retry_.setInterval(kRetryMs);
    connect(&retry_, &QTimer::timeout, this, &PortReconnect::tryReopen);
}

void PortReconnect::noteSerial(const SerialTapEvent &e, const DeviceScan &scan) {
    switch (e.kind) {
    case SerialTapEvent::Opened: {
        const SerialDevice *d = scan.find(e.device);
        inUse_ = {e.device, d ? d->serialNumber : QString(), d ? d->byId : QString()};
        port_ = e.port;
        lost_ = 0;
        break;
    }
    case SerialTapEvent::Failed:
        if (e.port != port_ || lost_)
            break;
        lost_ = port_;
        seenGone_ = false;
        emit lost(lost_);
        break;
    case SerialTapEvent::Closed:
        // A failed port is closed after its failure; any other close ends its use.
        if (e.port == port_ && !lost_)
            port_ = 0;
        break;
    case SerialTapEvent::OpenFailed:
        if (reopening_)
            seenGone_ = false; // back under its name, yet not to be opened: wait for the next plug
        else
            port_ = lost_ = 0;
        break;
    default:
        break;
    }
}

void PortReconnect::noteScan(const DeviceScan &scan) {
    scan_ = scan;
    if (!lost_)
        return;
    if (whereNow(scan_).isEmpty())
        seenGone_ = true;
    else if (seenGone_)
        tryReopen();
}

QString PortReconnect::whereNow(const DeviceScan &scan) const {
    for (const SerialDevice &d : scan.devices) {
        if (!inUse_.serialNumber.isEmpty() && d.serialNumber == inUse_.serialNumber)
            return d.path;
        if (!inUse_.byId.isEmpty() && d.byId == inUse_.byId)
            return d.path;
    }
    if (inUse_.serialNumber.isEmpty() && inUse_.byId.isEmpty() && IsPresent(inUse_.path, scan))
        return inUse_.path;
    return {};
}

void PortReconnect::tryReopen() {
    const QString path = whereNow(scan_);
    if (!lost_ || !seenGone_ || path.isEmpty() || reopening_)
        return;
    if (rtApplicationBusy() || ToolMeasuring()) {
        retry_.start();
        return;
    }
    reopen(path);
}

void PortReconnect::reopen(const QString &path) {
    const int port = lost_;
    const QString was = PortTable::pathOf(port);
    if (NodeOf(was) != NodeOf(path)) {
        if (overridden(port)) {
            seenGone_ = false;
            emit told(QStringLiteral("port %1: the adapter came back as %2, but %3 names %4; "
                                     "pick the port that shows it")
                          .arg(port)
                          .arg(path, OverrideOrigin(port), was));
            return;
        }
        rtSetComDevice(port, path);
    }
    reopening_ = true;
    const ToolReopen reopened = ToolReopenPort(port);
    reopening_ = false;
    const QString back =
        QStringLiteral("port %1 (%2): the adapter came back; ").arg(port).arg(path);
    if (reopened == ToolReopen::GaveWay) {
        emit told(back + QStringLiteral("opened it again; its line check gave way to your input"));
        return;
    }
    const QString done = reopened == ToolReopen::LineChecked
                             ? QStringLiteral("opened it again and checked the line")
                             : QStringLiteral("could not open it again");
    emit told(back + QStringLiteral("%1: %2 (the parameter set was not read; Get reads it)")
                         .arg(done, statusText()));
}
