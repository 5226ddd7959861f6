// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/menu_items.h"

#include <QAction>
#include <QMenu>

namespace {

// The separator above Quit (made when missing), or nullptr when the menu has no Quit.
QAction *aboveQuit(QMenu *menu) {
    const QList<QAction *> actions = menu->actions();
    const auto quit = std::find_if(actions.begin(), actions.end(), [](QAction *a) {
        return a->objectName() == QLatin1String("Quit");
    });
    if (quit == actions.end())
        return nullptr;
    if (quit != actions.begin() && (*(quit - 1))->isSeparator())
        return *(quit - 1);
    return menu->insertSeparator(*quit);
}

} // namespace

QAction *AddMenuItem(QMenu *menu, const QString &text, const QString &name,
                     const QKeySequence &shortcut) {
    auto *action = new QAction(text, menu);
    action->setObjectName(name);
    action->setStatusTip(name);
    action->setShortcut(shortcut);
    menu->insertAction(aboveQuit(menu), action);
    return action;
}
