// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/comm_log_filter.h"

#include "workbench/comm_decode.h"
#include "workbench/comm_row_text.h"
#include "workbench/comm_table_model.h"

namespace {

quint16 orderBit(int order) {
    return order >= 1 && order <= kHighestOrder ? quint16(1u << order) : quint16(1);
}

} // namespace

CommLogFilter::CommLogFilter(CommTableModel &rows, QObject *parent)
    : QSortFilterProxyModel(parent), rows_(rows) {
    setSourceModel(&rows);
}

void CommLogFilter::setDirections(Directions directions) {
    directions_ = directions;
    invalidateFilter();
}

void CommLogFilter::setOrders(quint16 orders) {
    orders_ = orders;
    invalidateFilter();
}

void CommLogFilter::setProblemsOnly(bool on) {
    problemsOnly_ = on;
    invalidateFilter();
}

void CommLogFilter::setSearch(const QString &text) {
    search_ = text;
    invalidateFilter();
}

bool CommLogFilter::filterAcceptsRow(int sourceRow, const QModelIndex &) const {
    const CommRow *row = rows_.rowAt(sourceRow);
    if (!row)
        return true;
    if (problemsOnly_ && !row->marks)
        return false;
    const Direction direction = DirectionOf(row->kind);
    if (direction != Direction::None) {
        if ((directions_ == Directions::ToSensor && direction != Direction::ToSensor) ||
            (directions_ == Directions::FromSensor && direction != Direction::FromSensor))
            return false;
        if (!(orders_ & orderBit(row->order)))
            return false;
    }
    return search_.isEmpty() || TextLine(rows_.log(), *row).contains(search_, Qt::CaseInsensitive);
}
