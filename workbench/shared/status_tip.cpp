// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/shared/status_tip.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"

#include <QVariant>
#include <QWidget>

namespace {

// The lines are kept on the status line itself, as properties, with its own tool tip.
constexpr char kOwnTip[] = "rmoxOwnToolTip";
constexpr char kLinesPrefix[] = "rmoxTipLines:";

} // namespace

void SetStatusTipLines(const char *key, const QStringList &lines) {
    QWidget *status = rtControlWidget(ToolMainPanel(), ToolControl(ToolPlace::StatusLine));
    if (!status)
        return;
    if (!status->property(kOwnTip).isValid())
        status->setProperty(kOwnTip, status->toolTip());
    const QByteArray name = QByteArray(kLinesPrefix) + key;
    status->setProperty(name.constData(), lines.isEmpty() ? QVariant() : QVariant(lines));
    QString tip = status->property(kOwnTip).toString();
    for (const QByteArray &property : status->dynamicPropertyNames())
        if (property.startsWith(kLinesPrefix))
            tip += QStringLiteral("\n\n") +
                   status->property(property.constData()).toStringList().join('\n');
    status->setToolTip(tip);
}
