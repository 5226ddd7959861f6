// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/window_memory.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/adapters/core_events.h"

#include <QAction>
#include <QChildEvent>
#include <QEvent>
#include <QTimer>
#include <QWidget>

namespace {

// The windows by their object names, which are also those of the menu items that open them.
const QStringList kWindows = {
    QStringLiteral("Communication log"),      QStringLiteral("Live trend"),
    QStringLiteral("Compare parameter sets"), QStringLiteral("Port diagnostics"),
    QStringLiteral("Service report"),         QStringLiteral("Video signal analysis")};
const QString kMainGroup = QStringLiteral("Main window");
const QString kGeometry = QStringLiteral("geometry");
const QString kOpen = QStringLiteral("open");

} // namespace

QString SettingsGroup(const QString &window) {
    return QString(window).replace(' ', '_');
}

QSettings WorkbenchSettings() {
    return QSettings(QStringLiteral("rmox-sensor-tool"), QStringLiteral("workbench"));
}

WindowMemory::WindowMemory(CoreEvents &core) : main_(rtPanelWidget(ToolMainPanel())) {
    main_->installEventFilter(this);
    connect(&core, &CoreEvents::ending, this, &WindowMemory::saveAll);
}

// A window is polished just before it first shows: then it takes its remembered place.
bool WindowMemory::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ChildPolished) {
        auto *child = qobject_cast<QWidget *>(static_cast<QChildEvent *>(event)->child());
        if (child && child->isWindow() && kWindows.contains(child->objectName()) &&
            !placed_.contains(child->objectName())) {
            placed_.insert(child->objectName());
            child->restoreGeometry(WorkbenchSettings()
                                       .value(SettingsGroup(child->objectName()) + '/' + kGeometry)
                                       .toByteArray());
        }
    } else if (event->type() == QEvent::Show && watched == main_ && !mainPlaced_) {
        mainPlaced_ = true;
        mainShown();
    }
    return QObject::eventFilter(watched, event);
}

// After the runtime placed it; the windows that were open reopen through their menu items.
void WindowMemory::mainShown() {
    QSettings settings = WorkbenchSettings();
    main_->restoreGeometry(settings.value(kMainGroup + '/' + kGeometry).toByteArray());
    QStringList open;
    for (const QString &name : kWindows)
        if (settings.value(SettingsGroup(name) + '/' + kOpen).toBool())
            open << name;
    QTimer::singleShot(0, this, [this, open] {
        for (const QString &name : open)
            if (auto *item = main_->findChild<QAction *>(name))
                item->trigger();
    });
}

void WindowMemory::saveAll() {
    QSettings settings = WorkbenchSettings();
    if (mainPlaced_)
        settings.setValue(kMainGroup + '/' + kGeometry, main_->saveGeometry());
    for (const QString &name : kWindows) {
        auto *window = main_->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
        settings.beginGroup(SettingsGroup(name));
        settings.setValue(kOpen, window && window->isVisible());
        if (window && placed_.contains(name))
            settings.setValue(kGeometry, window->saveGeometry());
        if (const auto *keeps = dynamic_cast<const KeepsSettings *>(window))
            keeps->saveSettings(settings);
        settings.endGroup();
    }
}
