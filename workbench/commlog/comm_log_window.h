// SPDX-License-Identifier: GPL-3.0-or-later
// View → Communication log: the log live, one row per frame or event, with filters, a search,
// pause, copy and save. It takes in new rows in batches, once a second and only while it is
// shown.
#pragma once

#include "workbench/commlog/comm_log_filter.h"
#include "workbench/commlog/comm_table_model.h"
#include "workbench/shared/window_memory.h"

#include <QTimer>
#include <QWidget>
#include <optional>

class CommLog;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QTableView;
class QToolButton;

class CommLogWindow : public QWidget, public KeepsSettings {
    Q_OBJECT
  public:
    CommLogWindow(const CommLog &log, QWidget *parent);

    // What becomes of the --log file, shown below the table.
    void setFileText(const QString &text);
    // The filters and the columns' widths.
    void saveSettings(QSettings &settings) const override;

  protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

  private:
    QWidget *makeControls();
    QPushButton *makeOrderButton(QWidget *bar);
    void ordersChosen();
    void restoreSettings();
    QToolButton *addButton(QWidget *bar, QBoxLayout *row, const QString &text, const QString &name);
    void makeTable();
    void refresh();
    void updateCounts();
    QList<qint64> selectedSeqs() const;
    QList<qint64> allSeqs() const;
    void copySelection();
    // Saves the rows `chosen`, or with none those the log holds when the user confirms.
    void save(const std::optional<QList<qint64>> &chosen);
    void tellSaved(const QString &text);

    const CommLog &log_;
    CommTableModel model_;
    CommLogFilter filter_;
    QTableView *table_ = nullptr;
    QComboBox *directions_ = nullptr;
    QPushButton *orders_ = nullptr;
    QList<QAction *> orderItems_;
    QCheckBox *problems_ = nullptr;
    QToolButton *pause_ = nullptr;
    QToolButton *saveSelection_ = nullptr;
    QLabel *counts_ = nullptr;
    QLabel *file_ = nullptr;
    QTimer timer_;
};
