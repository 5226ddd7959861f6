// SPDX-License-Identifier: GPL-3.0-or-later
// Slide control: a slider with a numeric field beside it showing (and editing) the value.
//
// Assistive technology reads and sets the value on the slider and the field, so the accessible
// name and description given to the slide go to those two; the container around them stays
// unnamed. Set them through the properties (as the panel loader does): QWidget's own setters
// are not virtual and would name the container.
#pragma once

#include <QWidget>

class QSlider;
class QSpinBox;

class RtSlide : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int value READ value WRITE setValue)
    Q_PROPERTY(QString accessibleName READ valueName WRITE setValueName)
    Q_PROPERTY(QString accessibleDescription READ valueDescription WRITE setValueDescription)
  public:
    explicit RtSlide(QWidget *parent = nullptr);
    int minimum() const;
    int maximum() const;
    int value() const;
    void setMinimum(int v);
    void setMaximum(int v);
    void setValue(int v);
    QString valueName() const;
    void setValueName(const QString &name);
    QString valueDescription() const;
    void setValueDescription(const QString &description);

  signals:
    void userChanged();
    void committed();

  private:
    QSlider *slider_;
    QSpinBox *field_;
};
