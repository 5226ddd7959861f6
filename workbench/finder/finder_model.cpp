// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/finder/finder_model.h"

#include "workbench/shared/shades.h"

#include <QGuiApplication>
#include <QPalette>

void FinderModel::setTargets(const QList<SearchTarget> &targets) {
    beginResetModel();
    rows_.clear();
    for (const SearchTarget &t : targets)
        rows_.append({t, std::nullopt});
    endResetModel();
}

void FinderModel::setFinding(int row, const ProbeFinding &finding) {
    rows_[row].finding = finding;
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

int FinderModel::pickablePort(int row) const {
    if (row < 0 || row >= rows_.size())
        return 0;
    const Row &r = rows_[row];
    return r.finding && r.finding->kind == ProbeFinding::Answered ? r.target.port : 0;
}

QStringList FinderModel::lines() const {
    QStringList lines;
    for (const Row &r : rows_) {
        QString line = QStringLiteral("port %1 (%2): %3")
                           .arg(text(r, PortColumn), text(r, DeviceColumn), text(r, VerdictColumn));
        if (r.finding && !r.finding->finding.isEmpty())
            line += QStringLiteral(": ") + r.finding->finding;
        if (r.finding && !r.finding->remedy.isEmpty())
            line += QStringLiteral("; remedy: ") + r.finding->remedy;
        lines << line;
    }
    return lines;
}

int FinderModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int FinderModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString FinderModel::text(const Row &row, int column) const {
    switch (column) {
    case PortColumn:
        return QString::number(row.target.port);
    case DeviceColumn:
        return row.target.path;
    case VerdictColumn:
        return row.finding ? VerdictText(*row.finding) : QStringLiteral("looking…");
    case DetailsColumn:
        if (!row.finding)
            return {};
        return row.finding->remedy.isEmpty()
                   ? row.finding->finding
                   : row.finding->finding + QStringLiteral("\nremedy: ") + row.finding->remedy;
    }
    return {};
}

QVariant FinderModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid())
        return {};
    const Row &row = rows_[index.row()];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text(row, index.column());
    case Qt::BackgroundRole:
        if (row.finding && row.finding->answered())
            return ShadeOf(QGuiApplication::palette(), Shade::Status);
        return {};
    case Qt::ForegroundRole:
        if (row.finding && row.finding->answered())
            return QGuiApplication::palette().color(QPalette::Text);
        return {};
    default:
        return {};
    }
}

QVariant FinderModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    static const QStringList headers = {QStringLiteral("Port"), QStringLiteral("Device"),
                                        QStringLiteral("Found"),
                                        QStringLiteral("What was seen, and the remedy")};
    return headers.value(section);
}
