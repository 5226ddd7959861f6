// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/program/workbench.h"

#include "runtime/serial_device.h"
#include "workbench/adapters/serial_events.h"
#include "workbench/captures/captures_feature.h"
#include "workbench/commlog/comm_log_feature.h"
#include "workbench/compare/compare_feature.h"
#include "workbench/finder/finder_feature.h"
#include "workbench/history/history_feature.h"
#include "workbench/ports/port_ring.h"
#include "workbench/ports/port_table.h"
#include "workbench/ports/ports_feature.h"
#include "workbench/ports/serial_devices.h"
#include "workbench/program/find_command.h"
#include "workbench/program/quit_signals.h"
#include "workbench/report/report_feature.h"
#include "workbench/sessions/sessions_feature.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/window_memory.h"
#include "workbench/trend/trend_feature.h"
#include "workbench/videosignal/videosignal_feature.h"

#include <QGuiApplication>
#include <QIcon>
#include <QtGlobal>

Workbench::Workbench(const Options &options) : options_(options) {
    for (auto it = options_.ports.cbegin(); it != options_.ports.cend(); ++it)
        rtGiveComDevice(it.key(), it.value());
    connect(&core_, &CoreEvents::panelsReady, this, &Workbench::build);
    // Its windows and its thread go before the panels and the application object.
    connect(&core_, &CoreEvents::ending, this, [this] {
        finder_.reset();
        ports_.reset();
    });
}

Workbench::~Workbench() = default;

// The panels exist, the application object too; the port is not open yet.
void Workbench::build() {
    // The desktop entry's name: the windows' class (StartupWMClass) and their icon.
    QGuiApplication::setApplicationName(QStringLiteral("rmox-sensor-tool"));
    QGuiApplication::setDesktopFileName(QStringLiteral("rmox-sensor-tool"));
    QGuiApplication::setWindowIcon(QIcon::fromTheme(
        QStringLiteral("rmox-sensor-tool"), QIcon(QStringLiteral(":/rmox-sensor-tool.png"))));
    menus_ = std::make_unique<MenuBar>();
    log_ = std::make_unique<CommLogFeature>(core_, serial_, *menus_, options_.logPath);
    compare_ = std::make_unique<CompareFeature>(core_, *menus_);
    buildHistory();
    graphs_ = std::make_unique<CapturesFeature>(core_, *menus_);
    trend_ = std::make_unique<TrendFeature>(core_, *menus_, options_.recordPath);
    ports_ = std::make_unique<PortsFeature>(core_, serial_, *menus_);
    videoSignal_ = std::make_unique<VideoSignalFeature>(core_, *menus_);
    finder_ = std::make_unique<FinderFeature>(core_, serial_, *menus_, [this] {
        return RingTargets(ports_->ring().table(), ports_->ring().scan());
    });
    sessions_ = std::make_unique<SessionsFeature>(*menus_);
    report_ = std::make_unique<ReportFeature>(
        core_, *menus_, ReportSources{*compare_, *graphs_, *trend_, *log_, history_.get()},
        options_.reportPath);
    connect(report_.get(), &ReportFeature::written, history_.get(), &HistoryFeature::recordReport);
    quit_ = std::make_unique<QuitSignals>();
    memory_ = std::make_unique<WindowMemory>(core_);
}

// The history tells the compare view what it keeps; the compare view knows nothing of it.
void Workbench::buildHistory() {
    HistoryOptions history;
    history.local = DefaultHistoryLocation();
    history.location = options_.historyDb;
    if (history.location.isEmpty())
        history.location = SharedHistorySetting();
    if (history.location.isEmpty())
        history.location = history.local;
    history.adapterOf = [](const QString &device) {
        const DeviceScan scan = ScanSerialDevices({device});
        const SerialDevice *d = scan.find(device);
        return d ? AdapterId{d->byId, d->serialNumber} : AdapterId{};
    };
    history_ = std::make_unique<HistoryFeature>(core_, *menus_, history);
    CompareFeature *compare = compare_.get();
    connect(history_.get(), &HistoryFeature::sinceLastVisitChanged, compare,
            [compare](const QString &line) {
                compare->setOutsideLines(QStringLiteral("since"), {line});
            });
    connect(history_.get(), &HistoryFeature::checksChanged, compare,
            [compare](const QStringList &lines) {
                compare->setOutsideLines(QStringLiteral("checks"), lines);
            });
    connect(history_.get(), &HistoryFeature::compareWanted, compare,
            [compare](const QList<KeptSet> &sets) {
                compare->showKeptSets(sets);
                compare->showWindow();
            });
}
