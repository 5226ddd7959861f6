// SPDX-License-Identifier: GPL-3.0-or-later
// Which rows of the communication log the window shows: by direction, by order code, only
// those with a mark, and those containing a search text. Port and status rows carry no bytes
// and pass the direction and order filters. A new search text takes effect when its search has
// finished; until then the rows of the last one stay.
#pragma once

#include "workbench/commlog/comm_search.h"

#include <QSortFilterProxyModel>

class CommTableModel;

class CommLogFilter : public QSortFilterProxyModel {
    Q_OBJECT
  public:
    enum class Directions { Both, ToSensor, FromSensor };
    // Bit n stands for order code n (1-9); bit 0 for every other code.
    static constexpr quint16 kAllOrders = 0x3FF;

    explicit CommLogFilter(CommTableModel &rows, QObject *parent = nullptr);

    void setDirections(Directions directions);
    void setOrders(quint16 orders);
    quint16 orders() const { return orders_; }
    void setProblemsOnly(bool on);
    void setSearch(const QString &text);
    bool searching() const { return search_.running(); }

  signals:
    void searchFinished();

  protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

  private:
    void refilter();
    bool holdsSearch(qint64 seq, const CommRow &row) const;

    CommTableModel &rows_;
    Directions directions_ = Directions::Both;
    quint16 orders_ = kAllOrders;
    bool problemsOnly_ = false;
    CommSearch search_;
    // The rows that came after the search are looked at as they come, and remembered.
    mutable CommMatches matches_;
};
