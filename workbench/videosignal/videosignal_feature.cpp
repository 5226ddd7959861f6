// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/videosignal/videosignal_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/adapters/core_events.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/videosignal/signal_window.h"
#include "workbench/videosignal/video_csv.h"

#include <QAction>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QMenu>

VideoSignalFeature::VideoSignalFeature(CoreEvents &core, MenuBar &menus) {
    connect(AddMenuItem(menus.view(), QStringLiteral("&Video signal analysis"),
                        QStringLiteral("Video signal analysis")),
            &QAction::triggered, this, [this] {
                window()->show();
                window()->raise();
                window()->activateWindow();
            });
    connect(AddMenuItem(menus.file(), QStringLiteral("Open video s&ignal…"),
                        QStringLiteral("Open video signal")),
            &QAction::triggered, this, [this] {
                QWidget *main = rtPanelWidget(ToolMainPanel());
                AskOpenPath(main, QStringLiteral("Open video signal"),
                            QString::fromLocal8Bit(ToolProjectFolder()),
                            QStringLiteral("CSV files (*.csv)"), [this, main](const QString &path) {
                                QString error;
                                if (!open(path, &error))
                                    ShowProblem(main, QStringLiteral("Open video signal"), error);
                            });
            });
    connect(&core, &CoreEvents::videoSignal, this, &VideoSignalFeature::take);
}

VideoSignalFeature::~VideoSignalFeature() {
    delete window_;
}

SignalWindow *VideoSignalFeature::window() {
    if (!window_)
        window_ = new SignalWindow(history_, rtPanelWidget(ToolMainPanel()));
    return window_;
}

bool VideoSignalFeature::open(const QString &path, QString *error) {
    const std::optional<VideoSnapshot> signal = ReadVideoCsv(path, error);
    if (!signal)
        return false;
    window()->showSaved(*signal, path);
    window()->show();
    window()->raise();
    return true;
}

void VideoSignalFeature::take(const VideoSnapshot &signal) {
    history_.append(QDeadlineTimer::current().deadline(), QDateTime::currentMSecsSinceEpoch(),
                    signal, AnalyseSignal(signal));
    if (window_)
        window_->signalArrived();
}
