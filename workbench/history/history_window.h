// SPDX-License-Identifier: GPL-3.0-or-later
// View → Service history: the sensors with their last visit; the chosen sensor's sessions as a
// timeline, each with the sets and reports it kept; its audit trail, word by word. Two kept
// sets go to the compare view; one goes on the panels (Load into panels; a Send still writes
// it). The shared history's address is set here, and the local history uploaded to it.
#pragma once

#include "workbench/history/history_records.h"

#include <QWidget>

class HistoryFeature;
class QLabel;
class QLineEdit;
class QPushButton;
class QTreeWidget;

class HistoryWindow : public QWidget {
    Q_OBJECT
  public:
    HistoryWindow(HistoryFeature &feature, QWidget *parent);

    // Reads the sensors again; the chosen one stays chosen.
    void refresh();
    // Shows the sessions and audit trail of `tag` (empty: the untagged sessions).
    void showSensor(const QString &tag);
    // The kept sets chosen in the timeline, in the timeline's order.
    QList<SetRecord> chosenSets() const;
    void compareChosen();
    void loadChosen();
    void upload();

    QTreeWidget *sensors() const { return sensors_; }
    QTreeWidget *timeline() const { return timeline_; }
    QTreeWidget *audit() const { return audit_; }
    QLineEdit *sharedField() const { return shared_; }
    QString message() const;

  private:
    void chosenChanged();

    HistoryFeature &feature_;
    QString tag_;
    QList<SetRecord> sets_; // the timeline's sets, indexed by their items' data
    QTreeWidget *sensors_;
    QTreeWidget *timeline_;
    QTreeWidget *audit_;
    QLineEdit *note_;
    QLineEdit *shared_;
    QLabel *message_;
    QPushButton *compare_;
    QPushButton *load_;
};
