// SPDX-License-Identifier: GPL-3.0-or-later
// Binary switch: a check box that names its current state ("pixels" / "µm"), so the state
// can be read at a glance and by assistive technology.
#pragma once

#include <QCheckBox>

class RtSwitch : public QCheckBox {
    Q_OBJECT
    Q_PROPERTY(QString onText READ onText WRITE setOnText)
    Q_PROPERTY(QString offText READ offText WRITE setOffText)
  public:
    explicit RtSwitch(QWidget *parent = nullptr);
    QString onText() const { return onText_; }
    QString offText() const { return offText_; }
    void setOnText(const QString &text);
    void setOffText(const QString &text);

  protected:
    // The whole control takes the click, not only the indicator and its text.
    bool hitButton(const QPoint &pos) const override { return rect().contains(pos); }
    void checkStateSet() override;
    void nextCheckState() override;

  private:
    void showState();
    QString onText_;
    QString offText_;
};

// Indicator lamp: shows a state, takes no input.
class RtLed : public QCheckBox {
    Q_OBJECT
  public:
    explicit RtLed(QWidget *parent = nullptr);
};
