// SPDX-License-Identifier: GPL-3.0-or-later
// The rows of the communication log for a table view. It follows the ring in batches:
// catchUp() takes in the rows appended since the last call and lets go of those the ring
// dropped, so that a view updates once a batch, not once a row.
#pragma once

#include "workbench/commlog/comm_row.h"

#include <QAbstractTableModel>

class CommLog;

class CommTableModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    // The row's sequence number in the log, for every cell.
    static constexpr int SeqRole = Qt::UserRole;

    explicit CommTableModel(const CommLog &log, QObject *parent = nullptr);

    void catchUp();
    // Rows appended to the log that the model has not taken in yet.
    qint64 pending() const;
    // The row shown at `row`, or nullptr when the ring has dropped it since the last batch.
    const CommRow *rowAt(int row) const;
    qint64 seqAt(int row) const { return first_ + row; }
    const CommLog &log() const { return log_; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    const CommLog &log_;
    qint64 first_ = 0; // the sequence number of row 0
    int count_ = 0;
};
