// SPDX-License-Identifier: GPL-3.0-or-later
#include "switch.h"

RtSwitch::RtSwitch(QWidget *parent) : QCheckBox(parent) {}

void RtSwitch::setOnText(const QString &text) {
    onText_ = text;
    showState();
}

void RtSwitch::setOffText(const QString &text) {
    offText_ = text;
    showState();
}

void RtSwitch::checkStateSet() {
    QCheckBox::checkStateSet();
    showState();
}

void RtSwitch::nextCheckState() {
    QCheckBox::nextCheckState();
    showState();
}

void RtSwitch::showState() {
    const QString &text = isChecked() ? onText_ : offText_;
    if (!text.isEmpty())
        setText(text);
}

RtLed::RtLed(QWidget *parent) : QCheckBox(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}
