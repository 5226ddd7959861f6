// SPDX-License-Identifier: GPL-3.0-or-later
// The search's list: one row per device with its port, its path, the verdict, and what was
// seen with its remedy. Rows whose probe has not ended say so.
#pragma once

#include "workbench/finder/device_search.h"

#include <QAbstractTableModel>
#include <optional>

class FinderModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    enum Column { PortColumn, DeviceColumn, VerdictColumn, DetailsColumn, ColumnCount };

    void setTargets(const QList<SearchTarget> &targets);
    void setFinding(int row, const ProbeFinding &finding);
    // The port of `row` when a sensor answered on it and the tool does not use it already.
    int pickablePort(int row) const;
    // "port 5 (/dev/ttyUSB0): sensor answered (12.3 ms): …" per row, for standard output.
    QStringList lines() const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  private:
    struct Row {
        SearchTarget target;
        std::optional<ProbeFinding> finding;
    };
    QString text(const Row &row, int column) const;

    QList<Row> rows_;
};
