// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/ports/ports_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/adapters/serial_events.h"
#include "workbench/ports/port_diagnostics_view.h"
#include "workbench/ports/port_ring.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/session_replay.h"
#include "workbench/shared/status_tip.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTimer>
#include <cstdio>

namespace {

// A menu item before the menu's first one (File's Quit stays last).
QAction *addItem(QMenu *menu, const QString &text, const QString &name) {
    auto *action = new QAction(text, menu);
    action->setObjectName(name);
    action->setStatusTip(name);
    menu->insertAction(menu->actions().value(0), action);
    return action;
}

} // namespace

PortsFeature::PortsFeature(CoreEvents &core, SerialEvents &serial, MenuBar &menus)
    : ring_(new PortRing(qobject_cast<QComboBox *>(
          rtControlWidget(ToolMainPanel(), ToolControl(ToolPlace::PortRing))))),
      view_(new PortDiagnosticsView(rtPanelWidget(ToolMainPanel()), [this] { return report(); })),
      checks_(core, serial) {
    connect(&serial, &SerialEvents::happened, this, &PortsFeature::noteSerial);
    connect(&checks_, &LineCheckWatch::judged, this, &PortsFeature::noteCheck);
    connect(&watch_, &DeviceWatch::changed, this, &PortsFeature::noteScan);
    connect(ring_, &PortRing::numbered, this, [this] {
        watch_.setWatched(ring_->table().watchedPaths());
        watch_.lookNow();
    });
    connect(&reconnect_, &PortReconnect::lost, &watch_, &DeviceWatch::lookNow);
    // The reconnect's check has ended by then; one that gave way to the user left no verdict.
    connect(&reconnect_, &PortReconnect::told, this, [this](const QString &what) {
        checks_.forget();
        tell(finding_ + QStringList{what});
    });
    watch_.setWatched(ring_->table().watchedPaths());
    connect(&SessionReplay::instance(), &SessionReplay::deviceOffered, ring_, &PortRing::choose);

    QAction *other = addItem(menus.file(), QStringLiteral("Open &other device\u2026"),
                             QStringLiteral("Open other device"));
    connect(other, &QAction::triggered, ring_, &PortRing::askForDevice);
    QAction *diagnostics = addItem(menus.view(), QStringLiteral("&Port diagnostics"),
                                   QStringLiteral("Port diagnostics"));
    connect(diagnostics, &QAction::triggered, view_, [this] {
        view_->show();
        view_->raise();
    });
}

PortsFeature::~PortsFeature() {
    delete view_;
}

void PortsFeature::noteSerial(const SerialTapEvent &e) {
    switch (e.kind) {
    case SerialTapEvent::Opened:
        finding_.clear();
        tell({});
        [[fallthrough]];
    case SerialTapEvent::Failed:
    case SerialTapEvent::Closed:
        reconnect_.noteSerial(e, ring_->scan());
        ring_->show(ring_->scan(), reconnect_.lostPort());
        break;
    case SerialTapEvent::OpenFailed:
        reconnect_.noteSerial(e, ring_->scan());
        // Looking through /proc takes a moment; not inside the serial call.
        QTimer::singleShot(0, this, [this, e] { explain(e); });
        break;
    default:
        break;
    }
}

void PortsFeature::noteCheck(const LineCheckWatch::Verdict &v) {
    const LineDiagnosis &d = v.diagnosis;
    if (d.kind == LineDiagnosis::Answered)
        return;
    finding_ = {QStringLiteral("port %1: %2").arg(v.port).arg(d.finding),
                QStringLiteral("remedy: %1").arg(d.remedy)};
    tell(finding_);
}

void PortsFeature::noteScan(const DeviceScan &scan) {
    ring_->show(scan, reconnect_.lostPort());
    if (view_)
        view_->refresh();
    reconnect_.noteScan(scan);
}

void PortsFeature::explain(const SerialTapEvent &failedOpen) {
    const PortDiagnosis d =
        DiagnoseOpenFailure(failedOpen.device, failedOpen.systemError, failedOpen.errorText);
    finding_ = {QStringLiteral("port %1: %2").arg(failedOpen.port).arg(d.finding),
                QStringLiteral("remedy: %1").arg(d.remedy)};
    tell(finding_);
}

// The lines go to the status line's tool tip, the diagnostics view and standard error; no
// lines clear the first two.
void PortsFeature::tell(const QStringList &lines) {
    notes_ = lines;
    SetStatusTipLines("ports", lines);
    if (view_)
        view_->refresh();
    // The ring sets a chosen port up twice (value changed, then commit): say each line once.
    const bool recent = told_.isValid() && told_.elapsed() < kRepeatMs;
    QStringList fresh;
    for (const QString &line : lines)
        if (!recent || !printed_.contains(line))
            fresh << line;
    if (fresh.isEmpty())
        return;
    printed_ = lines;
    told_.start();
    for (const QString &line : fresh)
        std::fprintf(stderr, "rmox-sensor-tool: %s\n", qPrintable(line));
}

QString PortsFeature::report() const {
    const PortTable &table = ring_->table();
    QString html = QStringLiteral("<h3>Ports</h3><p>The ring's choice is marked &#9654;. The list "
                                  "follows adapters as they come and go.</p>"
                                  "<table cellpadding=\"3\">");
    for (int port = 1; port <= table.count(); ++port) {
        const QString details = table.itemDetails(port, ring_->scan());
        html += QStringLiteral("<tr><td>%1%2</td><td><i>%3</i></td></tr>")
                    .arg(port == ToolPortInUse() ? QStringLiteral("&#9654; ") : QString(),
                         table.itemText(port, ring_->scan(), reconnect_.lostPort()).toHtmlEscaped(),
                         QString(details).replace('\n', QStringLiteral("; ")).toHtmlEscaped());
    }
    html += QStringLiteral("</table><h3>Last finding</h3><p>");
    const LineCheckWatch::Verdict &check = checks_.last();
    if (!notes_.isEmpty())
        html += notes_.join('\n').toHtmlEscaped().replace('\n', "<br>");
    else if (check.port && check.diagnosis.kind == LineDiagnosis::Answered && check.replyNs >= 0)
        html += QStringLiteral("None: port %1 is open and its sensor answered the echo check %2 ms "
                               "after it went out.")
                    .arg(check.port)
                    .arg(double(check.replyNs) / 1e6, 0, 'f', 1);
    else
        html += QStringLiteral("None: the last port opened and its sensor answered.");
    return html + QStringLiteral("</p>");
}
