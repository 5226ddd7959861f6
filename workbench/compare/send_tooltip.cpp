// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/compare/send_tooltip.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"

#include <QEvent>
#include <QWidget>

SendTooltip::SendTooltip(std::function<Overwrite()> overwrite)
    : button_(rtControlWidget(ToolMainPanel(), ToolControl(ToolPlace::SendButton))),
      overwrite_(std::move(overwrite)) {
    if (!button_)
        return;
    own_ = button_->toolTip();
    button_->installEventFilter(this);
}

void SendTooltip::update() {
    if (!button_)
        return;
    const Overwrite o = overwrite_();
    QStringList lines{own_, o.headline};
    for (const QString &change : o.changes)
        lines << QStringLiteral("  ") + change;
    button_->setToolTip(lines.join('\n'));
}

bool SendTooltip::eventFilter(QObject *watched, QEvent *event) {
    if (watched == button_ && event->type() == QEvent::ToolTip)
        update();
    return false;
}
