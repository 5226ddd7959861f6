// SPDX-License-Identifier: GPL-3.0-or-later
#include "numeric.h"

#include "../events.h"

RtNumeric::RtNumeric(QWidget *parent) : QDoubleSpinBox(parent) {
    setDecimals(0);
    setRange(0, 65535);
    setAccelerated(true);
    connect(this, &QDoubleSpinBox::valueChanged, this, [this] {
        if (rtWritingFromCode())
            return;
        dirty_ = true;
        emit userChanged();
    });
    connect(this, &QAbstractSpinBox::editingFinished, this, [this] {
        if (!dirty_ || stepping_)
            return;
        dirty_ = false;
        emit committed();
    });
}

void RtNumeric::stepBy(int steps) {
    if (isReadOnly())
        return;
    double before = value();
    stepping_ = true;
    QDoubleSpinBox::stepBy(steps);
    stepping_ = false;
    if (value() != before) {
        dirty_ = false;
        emit committed();
    }
}
