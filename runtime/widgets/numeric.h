// SPDX-License-Identifier: GPL-3.0-or-later
// Numeric control: a spin box whose arrow steps and finished entries count as commits.
// With readOnly set it serves as an indicator that still exposes its value to assistive
// technology.
#pragma once

#include <QDoubleSpinBox>

class RtNumeric : public QDoubleSpinBox {
    Q_OBJECT
  public:
    explicit RtNumeric(QWidget *parent = nullptr);
    void stepBy(int steps) override;

  signals:
    // The user changed the value (typing or stepping).
    void userChanged();
    // A change is complete: an arrow step, or an entry ended with Enter or by leaving.
    void committed();

  private:
    bool dirty_ = false;
    bool stepping_ = false;
};
