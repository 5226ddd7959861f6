// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_table_model.h"

#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/shared/shades.h"

#include <QBrush>
#include <QGuiApplication>
#include <QPalette>
#include <optional>

namespace {

constexpr quint16 kSevereMarks = MarkShort | MarkLate | MarkFailure;

std::optional<Shade> shadeOf(const CommRow &row) {
    if (row.marks & kSevereMarks)
        return Shade::Problem;
    if (row.marks)
        return Shade::Notice;
    if (row.kind == RowKind::Status)
        return Shade::Status;
    return std::nullopt;
}

// Long cells wrap in their tool tips (rich text wraps, plain text does not).
QString wrapped(const QString &text) {
    return QStringLiteral("<p>%1</p>").arg(text.toHtmlEscaped());
}

QVariant toolTipOf(const CommLog &log, const CommRow &row, CommColumn column) {
    switch (column) {
    case CommColumn::Time:
        return WallClockText(log, row.ns);
    case CommColumn::Hex:
    case CommColumn::Decoding:
        return wrapped(CellText(log, row, column));
    default:
        return {};
    }
}

bool rightAligned(CommColumn column) {
    return column == CommColumn::Time || column == CommColumn::ReplyMs ||
           column == CommColumn::Bytes;
}

} // namespace

CommTableModel::CommTableModel(const CommLog &log, QObject *parent)
    : QAbstractTableModel(parent), log_(log), first_(log.ring().firstSeq()) {}

qint64 CommTableModel::pending() const {
    return log_.ring().endSeq() - (first_ + count_);
}

void CommTableModel::catchUp() {
    const CommRing &ring = log_.ring();
    const int gone = int(std::clamp<qint64>(ring.firstSeq() - first_, 0, count_));
    if (gone > 0) {
        beginRemoveRows({}, 0, gone - 1);
        first_ += gone;
        count_ -= gone;
        endRemoveRows();
    }
    if (count_ == 0)
        first_ = std::max(first_, ring.firstSeq());
    const int added = int(ring.endSeq() - (first_ + count_));
    if (added > 0) {
        beginInsertRows({}, count_, count_ + added - 1);
        count_ += added;
        endInsertRows();
    }
}

const CommRow *CommTableModel::rowAt(int row) const {
    return log_.ring().at(first_ + row);
}

int CommTableModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count_;
}

int CommTableModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : kCommColumns;
}

QVariant CommTableModel::data(const QModelIndex &index, int role) const {
    if (role == SeqRole)
        return seqAt(index.row());
    const CommRow *row = rowAt(index.row());
    const auto column = CommColumn(index.column());
    if (!row)
        return role == Qt::DisplayRole && column == CommColumn::Decoding
                   ? QStringLiteral("(no longer held by the log)")
                   : QVariant();
    switch (role) {
    case Qt::DisplayRole:
        return CellText(log_, *row, column);
    case Qt::ToolTipRole:
        return toolTipOf(log_, *row, column);
    case Qt::BackgroundRole:
        if (const auto shade = shadeOf(*row))
            return QBrush(ShadeOf(QGuiApplication::palette(), *shade));
        return {};
    case Qt::ForegroundRole:
        if (shadeOf(*row))
            return QBrush(QGuiApplication::palette().color(QPalette::Text));
        return {};
    case Qt::TextAlignmentRole:
        return rightAligned(column) ? int(Qt::AlignRight | Qt::AlignVCenter)
                                    : int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant CommTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return ColumnTitle(CommColumn(section));
}
