// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/sessions/sessions_feature.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/shared/menu_bar.h"
#include "workbench/shared/menu_items.h"
#include "workbench/shared/save_dialog.h"
#include "workbench/shared/session_replay.h"

#include <QAction>
#include <QMenu>

namespace {

const QString kReplay = QStringLiteral("Rep&lay session…");
const QString kEnd = QStringLiteral("End rep&lay");

} // namespace

SessionsFeature::SessionsFeature(MenuBar &menus) {
    item_ = AddMenuItem(menus.file(), kReplay, QStringLiteral("Replay session"));
    QWidget *main = rtPanelWidget(ToolMainPanel());
    connect(item_, &QAction::triggered, this, [this, main] {
        if (sensor_.running()) {
            sensor_.stop();
            return;
        }
        AskOpenPath(main, QStringLiteral("Replay a saved communication log as the sensor"),
                    QString(), QStringLiteral("Communication logs (*.txt *.log);;All files (*)"),
                    [this](const QString &path) { replay(path); });
    });
    connect(&sensor_, &ReplaySensor::ready, this, [this](const QString &device) {
        item_->setText(kEnd);
        SessionReplay::instance().begin(file_, device);
    });
    connect(&sensor_, &ReplaySensor::failed, this, [this, main](const QString &why) {
        ShowProblem(main, QStringLiteral("Replay session"),
                    QStringLiteral("%1 cannot be played back: %2.").arg(file_, why));
    });
    connect(&sensor_, &ReplaySensor::ended, this, [this] {
        item_->setText(kReplay);
        SessionReplay::instance().end();
    });
}

SessionsFeature::~SessionsFeature() {
    SessionReplay::instance().end();
}

void SessionsFeature::replay(const QString &file) {
    file_ = file;
    sensor_.start(file);
}
