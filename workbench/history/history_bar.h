// SPDX-License-Identifier: GPL-3.0-or-later
// The history's strip at the foot of the main window: the sensor's tag, the technician's name
// and what the history is doing. A proposed tag stands in the field until the technician
// confirms it (Enter) or types another; an empty field leaves the session untagged.
#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;

class HistoryBar : public QWidget {
    Q_OBJECT
  public:
    explicit HistoryBar(QWidget *main);

    // Fills the field with `tag` while the technician has not typed or confirmed one.
    void propose(const QString &tag);
    void setTechnician(const QString &name);
    // `problem`: the history is not being kept as wanted.
    void say(const QString &text, bool problem);
    QLineEdit *tagField() const { return tag_; }
    QLineEdit *technicianField() const { return technician_; }
    QString text() const;

  signals:
    void tagConfirmed(const QString &tag);
    void technicianChanged(const QString &name);

  private:
    QLineEdit *tag_;
    QLineEdit *technician_;
    QLabel *note_;
    bool confirmed_ = false;
};
