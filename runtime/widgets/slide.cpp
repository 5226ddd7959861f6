// SPDX-License-Identifier: GPL-3.0-or-later
#include "slide.h"

#include "../events.h"

#include <QHBoxLayout>
#include <QSlider>
#include <QSpinBox>

RtSlide::RtSlide(QWidget *parent)
    : QWidget(parent), slider_(new QSlider(Qt::Horizontal, this)), field_(new QSpinBox(this)) {
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider_, 1);
    layout->addWidget(field_);
    setFocusProxy(slider_);
    field_->setKeyboardTracking(false);
    connect(slider_, &QSlider::valueChanged, this, [this](int v) {
        field_->setValue(v);
        if (rtWritingFromCode())
            return;
        emit userChanged();
        if (!slider_->isSliderDown())
            emit committed();
    });
    connect(slider_, &QSlider::sliderReleased, this, &RtSlide::committed);
    connect(field_, &QSpinBox::valueChanged, this, [this](int v) { slider_->setValue(v); });
}

int RtSlide::minimum() const {
    return slider_->minimum();
}
int RtSlide::maximum() const {
    return slider_->maximum();
}
int RtSlide::value() const {
    return slider_->value();
}

void RtSlide::setMinimum(int v) {
    slider_->setMinimum(v);
    field_->setMinimum(v);
}

void RtSlide::setMaximum(int v) {
    slider_->setMaximum(v);
    field_->setMaximum(v);
}

void RtSlide::setValue(int v) {
    slider_->setValue(v);
    field_->setValue(slider_->value());
}

QString RtSlide::valueName() const {
    return slider_->accessibleName();
}

void RtSlide::setValueName(const QString &name) {
    slider_->setAccessibleName(name);
    field_->setAccessibleName(name);
}

QString RtSlide::valueDescription() const {
    return slider_->accessibleDescription();
}

void RtSlide::setValueDescription(const QString &description) {
    slider_->setAccessibleDescription(description);
    field_->setAccessibleDescription(description);
}
