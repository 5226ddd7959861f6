// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_log_filter.h"

#include "workbench/adapters/comm_decode.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/commlog/comm_table_model.h"

namespace {

quint16 orderBit(int order) {
    return order >= 1 && order <= kHighestOrder ? quint16(1u << order) : quint16(1);
}

} // namespace

CommLogFilter::CommLogFilter(CommTableModel &rows, QObject *parent)
    : QSortFilterProxyModel(parent), rows_(rows), search_(rows.log()) {
    setSourceModel(&rows);
    connect(&search_, &CommSearch::finished, this, [this](const CommMatches &matches) {
        matches_ = matches;
        refilter();
        emit searchFinished();
    });
}

// Qt's own refilter tells the view of every run of rows that goes or comes, one by one: when
// every other row of a full log goes, that takes seconds. Built anew, the rows take one pass.
void CommLogFilter::refilter() {
    invalidate();
}

void CommLogFilter::setDirections(Directions directions) {
    directions_ = directions;
    refilter();
}

void CommLogFilter::setOrders(quint16 orders) {
    orders_ = orders;
    refilter();
}

void CommLogFilter::setProblemsOnly(bool on) {
    problemsOnly_ = on;
    refilter();
}

void CommLogFilter::setSearch(const QString &text) {
    if (!text.isEmpty()) {
        search_.start(text);
        return;
    }
    search_.cancel();
    matches_ = {};
    refilter();
}

bool CommLogFilter::holdsSearch(qint64 seq, const CommRow &row) const {
    if (matches_.covers(seq))
        return matches_.found[std::size_t(seq - matches_.first)];
    const bool found = TextLine(rows_.log(), row).contains(matches_.text, Qt::CaseInsensitive);
    if (seq - matches_.first == qint64(matches_.found.size())) {
        matches_.found.push_back(found);
        // Rows the ring has dropped are not asked for again.
        const qint64 gone = rows_.log().ring().firstSeq() - matches_.first;
        if (gone > qint64(matches_.found.size()) / 2) {
            matches_.found.erase(matches_.found.begin(), matches_.found.begin() + gone);
            matches_.first += gone;
        }
    }
    return found;
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
    return matches_.text.isEmpty() || holdsSearch(rows_.seqAt(sourceRow), *row);
}
