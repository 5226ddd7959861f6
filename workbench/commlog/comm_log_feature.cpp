// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_log_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/adapters/core_events.h"
#include "workbench/adapters/serial_events.h"
#include "workbench/commlog/comm_log_file.h"
#include "workbench/commlog/comm_log_window.h"
#include "workbench/commlog/session_window.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"
#include "workbench/shared/save_dialog.h"

#include <QAction>
#include <QMenu>

CommLogFeature::CommLogFeature(CoreEvents &core, SerialEvents &serial, MenuBar &menus,
                               const QString &logPath) {
    connect(&serial, &SerialEvents::happened, &log_, &CommLog::take);
    connect(&core, &CoreEvents::status, &log_, &CommLog::takeStatus);
    if (!logPath.isEmpty()) {
        file_ = std::make_unique<CommLogFile>(log_, logPath);
        connect(&core, &CoreEvents::ending, file_.get(), &CommLogFile::stop);
        connect(file_.get(), &CommLogFile::failed, this, [this] {
            if (window_)
                window_->setFileText(fileText());
        });
    }
    QAction *show =
        AddMenuItem(menus.view(), QStringLiteral("&Communication log"),
                    QStringLiteral("Communication log"), QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(show, &QAction::triggered, this, &CommLogFeature::showWindow);
    QAction *open =
        AddMenuItem(menus.file(), QStringLiteral("Open &session…"), QStringLiteral("Open session"));
    connect(open, &QAction::triggered, this, [] {
        QWidget *main = rtPanelWidget(ToolMainPanel());
        AskOpenPath(main, QStringLiteral("Open a saved communication log"), QString(),
                    QStringLiteral("Communication logs (*.txt *.log);;All files (*)"),
                    [main](const QString &path) { OpenSessionWindow(path, main); });
    });
}

// The log file's last rows (the port's close among them) are written here, while the feature is
// whole: a failure of that write still finds the window, or that it is gone.
CommLogFeature::~CommLogFeature() {
    file_.reset();
    delete window_;
}

void CommLogFeature::showWindow() {
    if (!window_) {
        window_ = new CommLogWindow(log_, rtPanelWidget(ToolMainPanel()));
        window_->setFileText(fileText());
    }
    window_->show();
    window_->raise();
    window_->activateWindow();
}

QString CommLogFeature::fileText() const {
    if (!file_)
        return {};
    return file_->failure().isEmpty() ? QStringLiteral("Writing the log to %1").arg(file_->path())
                                      : file_->failure();
}
