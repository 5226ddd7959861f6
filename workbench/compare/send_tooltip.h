// SPDX-License-Identifier: GPL-3.0-or-later
// The Send button's tooltip: its own text, then what a Send to the chosen target would
// overwrite, so that the technician can look before pressing it. The press itself acts as
// before.
#pragma once

#include "workbench/compare/set_comparison.h"

#include <QObject>
#include <QPointer>
#include <functional>

class QWidget;

class SendTooltip : public QObject {
  public:
    // `overwrite` tells what a Send would overwrite now; it is asked again just before the
    // tooltip shows, since the target can change without a notification.
    explicit SendTooltip(std::function<Overwrite()> overwrite);
    void update();

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QPointer<QWidget> button_;
    QString own_;
    std::function<Overwrite()> overwrite_;
};
