// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/menu_bar.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"
#include "workbench/shared/about_dialog.h"
#include "workbench/shared/menu_items.h"
#include "workbench/shared/session_replay.h"

#include <QAction>
#include <QDesktopServices>
#include <QLayout>
#include <QMenuBar>
#include <QUrl>
#include <QWidget>

namespace {

QMenu *addMenu(QMenuBar *bar, const QString &title, const QString &accessibleName) {
    QMenu *menu = bar->addMenu(title);
    menu->setAccessibleName(accessibleName);
    menu->menuAction()->setObjectName(accessibleName);
    return menu;
}

} // namespace

MenuBar::MenuBar() {
    QWidget *main = rtPanelWidget(ToolMainPanel());
    bar_ = new QMenuBar(main);
    bar_->setAccessibleName(QStringLiteral("Menu bar"));
    main->layout()->setMenuBar(bar_);
    bar_->setCornerWidget(new ReplayBanner(bar_));

    file_ = addMenu(bar_, QStringLiteral("&File"), QStringLiteral("File"));
    view_ = addMenu(bar_, QStringLiteral("&View"), QStringLiteral("View"));
    help_ = addMenu(bar_, QStringLiteral("&Help"), QStringLiteral("Help"));

    // Quitting asks the main panel to close, as the window's close button does.
    QAction *quit =
        AddMenuItem(file_, QStringLiteral("&Quit"), QStringLiteral("Quit"), QKeySequence::Quit);
    QObject::connect(quit, &QAction::triggered, main, [main] { main->close(); });

    QAction *readme = AddMenuItem(help_, QStringLiteral("&README"), QStringLiteral("README"));
    readme->setEnabled(!ReadmePath().isEmpty());
    QObject::connect(readme, &QAction::triggered, main,
                     [] { QDesktopServices::openUrl(QUrl::fromLocalFile(ReadmePath())); });
    QAction *about = AddMenuItem(help_, QStringLiteral("&About"), QStringLiteral("About"));
    QObject::connect(about, &QAction::triggered, main, [main] { ShowAboutDialog(main); });
}
