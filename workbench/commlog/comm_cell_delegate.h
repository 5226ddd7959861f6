// SPDX-License-Identifier: GPL-3.0-or-later
// Paints the cells of the communication log. The table repaints every visible row with each
// batch of new rows; laying each cell's text out anew, as the style does (with elision),
// costs more than the log may take while Run goes on. So each cell is cut to the characters
// that fit (the table's font has a fixed width), laid out once into a QStaticText, and kept
// while it is likely to be on screen again: rows never change once logged.
#pragma once

#include <QCache>
#include <QStaticText>
#include <QStyledItemDelegate>

class CommCellDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    explicit CommCellDelegate(QObject *parent = nullptr);

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;

  private:
    struct Cell {
        int width = 0;
        QStaticText text;
    };
    const Cell &cellOf(const QStyleOptionViewItem &option, const QModelIndex &index) const;

    mutable QCache<quint64, Cell> cells_;
};
