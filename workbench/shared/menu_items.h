// SPDX-License-Identifier: GPL-3.0-or-later
// Adding a feature's item to a menu of the menu bar: above File's Quit, or at the end.
#pragma once

#include <QKeySequence>
#include <QString>

class QAction;
class QMenu;

// `text` carries the mnemonic ('&'); `name` is the accessible name and the object name.
QAction *AddMenuItem(QMenu *menu, const QString &text, const QString &name,
                     const QKeySequence &shortcut = {});
