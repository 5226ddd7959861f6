// Slide control: a slider with a numeric field beside it showing (and editing) the value.
#pragma once

#include <QWidget>

class QSlider;
class QSpinBox;

class RtSlide : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int minimum READ minimum WRITE setMinimum)
    Q_PROPERTY(int maximum READ maximum WRITE setMaximum)
    Q_PROPERTY(int value READ value WRITE setValue)
  public:
    explicit RtSlide(QWidget *parent = nullptr);
    int minimum() const;
    int maximum() const;
    int value() const;
    void setMinimum(int v);
    void setMaximum(int v);
    void setValue(int v);

  signals:
    void userChanged();
    void committed();

  private:
    QSlider *slider_;
    QSpinBox *field_;
};
