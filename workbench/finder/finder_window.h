// SPDX-License-Identifier: GPL-3.0-or-later
// File -> Find sensor...: the search's list, its progress and what it ended with. A click on
// a device where a sensor answered asks for it to be picked.
#pragma once

#include <QWidget>

class QAbstractItemModel;
class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

class FinderWindow : public QWidget {
    Q_OBJECT
  public:
    FinderWindow(QWidget *parent, QAbstractItemModel *model);

    // While a search runs: its progress, and Cancel instead of Search again.
    void showRunning(int done, int total);
    // The search is over (or was refused): `text` says how it ended.
    void showEnded(const QString &text);
    // Search again is dimmed while an operation of the tool runs.
    void allowSearch(bool allowed);
    QString summary() const;
    QTableView *table() const { return table_; }

  signals:
    void searchAsked();
    void cancelAsked();
    void rowClicked(int row);

  private:
    QTableView *table_;
    QProgressBar *progress_;
    QLabel *summary_;
    QPushButton *again_;
    QPushButton *cancel_;
};
