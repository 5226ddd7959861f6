// SPDX-License-Identifier: GPL-3.0-or-later
// A row of the communication log as text: the cells the window shows, and whole lines for the
// log file, the clipboard and saved files (plain text, or CSV with the raw bytes in hex).
#pragma once

#include "workbench/commlog/comm_row.h"

#include <QString>
#include <QStringList>

class CommLog;

enum class CommColumn { Time, Direction, Order, ReplyMs, Marks, Bytes, Hex, Decoding };
constexpr int kCommColumns = int(CommColumn::Decoding) + 1;

QString ColumnTitle(CommColumn column);
QString CellText(const CommLog &log, const CommRow &row, CommColumn column);
QString MarksText(quint16 marks);
QString WallClockText(const CommLog &log, qint64 ns);

// The cells in the window's order, the short ones padded so that lines align.
QString TextLine(const CommLog &log, const CommRow &row);
// When the log started, and the column titles.
QString TextHeader(const CommLog &log);
QString CsvHeader();
QString CsvLine(const CommLog &log, const CommRow &row);
