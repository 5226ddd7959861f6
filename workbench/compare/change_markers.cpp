// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/compare/change_markers.h"

#include "app/tool_api.h"
#include "runtime/runtime_qt.h"

#include <QGridLayout>
#include <QLabel>

namespace {

const QString kChanged = QStringLiteral("changed, not sent");

// The panel file lays every parameter control out in a grid, label left of the control.
QLabel *markerBeside(QWidget *control) {
    QWidget *parent = control->parentWidget();
    auto *grid = parent ? qobject_cast<QGridLayout *>(parent->layout()) : nullptr;
    const int index = grid ? grid->indexOf(control) : -1;
    if (index < 0)
        return nullptr;
    int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
    grid->getItemPosition(index, &row, &column, &rowSpan, &columnSpan);
    auto *label = new QLabel(QStringLiteral("✎"), parent);
    label->setObjectName(QStringLiteral("changeMarker"));
    label->setAccessibleName(kChanged);
    label->setFocusPolicy(Qt::NoFocus);
    // Styled by name, so that the marker's tooltip keeps the usual look.
    label->setStyleSheet(QStringLiteral(
        "QLabel#changeMarker { color: #c05000; font-weight: bold; font-size: 13pt; }"));
    QSizePolicy policy = label->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    label->setSizePolicy(policy);
    label->hide();
    grid->addWidget(label, row, column + columnSpan);
    return label;
}

QString valueText(int word, unsigned short value) {
    return word == PNUM - 1 ? QStringLiteral("%1 (%2)").arg(value).arg(value / 1000.0, 0, 'f', 3)
                            : QString::number(value);
}

} // namespace

ChangeMarkers::ChangeMarkers() {
    for (int w = 0; w < PNUM; ++w) {
        const ToolWordControl bound = ToolControlOfWord(w);
        Marker &m = markers_[w];
        m.control = rtControlWidget(bound.panel, bound.control);
        if (!m.control)
            continue;
        // Read through the property: a slide passes it on to its slider and field.
        m.description = m.control->property("accessibleDescription").toString();
        m.label = markerBeside(m.control);
    }
}

void ChangeMarkers::update(const ParameterWords &panels, const PlacedSet *reference) {
    for (int w = 0; w < PNUM; ++w) {
        const bool differs = reference && reference->words[w] != panels[w];
        const QString why =
            differs ? QStringLiteral("Changed, not sent: the panel shows %1; %2: %3 (%4)")
                          .arg(valueText(w, panels[w]), PlaceName(*reference),
                               valueText(w, reference->words[w]), StateText(*reference))
                    : QString();
        mark(markers_[w], differs, why);
    }
}

void ChangeMarkers::mark(Marker &m, bool marked, const QString &why) {
    if (m.label) {
        m.label->setToolTip(why);
        m.label->setVisible(marked);
    }
    const bool changed = m.marked != marked;
    m.marked = marked;
    if (!changed || !m.control)
        return;
    const QString description = !marked ? m.description
                                : m.description.isEmpty()
                                    ? kChanged
                                    : QStringLiteral("%1, %2").arg(m.description, kChanged);
    m.control->setProperty("accessibleDescription", description);
}
