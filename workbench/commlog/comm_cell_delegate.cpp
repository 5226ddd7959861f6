// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_cell_delegate.h"

#include "workbench/commlog/comm_row_text.h"
#include "workbench/commlog/comm_table_model.h"

#include <QPainter>

namespace {

constexpr int kPadding = 3;
// Cells of a few hundred rows: more than a screen holds.
constexpr int kCellsKept = 400 * kCommColumns;

} // namespace

CommCellDelegate::CommCellDelegate(QObject *parent)
    : QStyledItemDelegate(parent), cells_(kCellsKept) {}

const CommCellDelegate::Cell &CommCellDelegate::cellOf(const QStyleOptionViewItem &option,
                                                       const QModelIndex &index) const {
    const quint64 key =
        quint64(index.data(CommTableModel::SeqRole).toLongLong()) * kCommColumns + index.column();
    const int width = option.rect.width();
    if (Cell *cell = cells_.object(key); cell && cell->width == width)
        return *cell;
    QString text = index.data(Qt::DisplayRole).toString();
    const int charWidth = std::max(1, option.fontMetrics.horizontalAdvance(QLatin1Char('0')));
    const int fits = std::max(0, (width - 2 * kPadding) / charWidth);
    if (text.size() > fits)
        text = text.left(std::max(0, fits - 1)) + QChar(0x2026);
    auto *cell = new Cell{width, QStaticText(text)};
    cell->text.setTextFormat(Qt::PlainText);
    cell->text.prepare(QTransform(), option.font);
    cells_.insert(key, cell);
    return *cells_.object(key);
}

void CommCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                             const QModelIndex &index) const {
    const QRect r = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QVariant background = index.data(Qt::BackgroundRole);
    if (selected)
        painter->fillRect(r, option.palette.brush(QPalette::Highlight));
    else if (background.isValid())
        painter->fillRect(r, background.value<QBrush>());
    const Cell &cell = cellOf(option, index);
    const bool right = index.data(Qt::TextAlignmentRole).toInt() & Qt::AlignRight;
    const qreal x = right ? r.right() - kPadding - cell.text.size().width() : r.left() + kPadding;
    const qreal y = r.top() + (r.height() - option.fontMetrics.height()) / 2.0;
    painter->save();
    painter->setFont(option.font);
    const QVariant foreground = index.data(Qt::ForegroundRole);
    painter->setPen(selected               ? option.palette.color(QPalette::HighlightedText)
                    : foreground.isValid() ? foreground.value<QBrush>().color()
                                           : option.palette.color(QPalette::Text));
    painter->drawStaticText(QPointF(x, y), cell.text);
    painter->restore();
}
