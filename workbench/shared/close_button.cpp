// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/close_button.h"

#include <QAction>
#include <QDialogButtonBox>
#include <QWidget>

QDialogButtonBox *AddCloseButton(QWidget *window) {
    auto *box = new QDialogButtonBox(QDialogButtonBox::Close, window);
    QObject::connect(box, &QDialogButtonBox::rejected, window, &QWidget::close);
    auto *escape = new QAction(window);
    escape->setShortcut(Qt::Key_Escape);
    QObject::connect(escape, &QAction::triggered, window, &QWidget::close);
    window->addAction(escape);
    return box;
}
