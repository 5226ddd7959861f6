// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_row_text.h"

#include "workbench/adapters/comm_decode.h"
#include "workbench/commlog/comm_log.h"

namespace {

const char *const kTitles[kCommColumns] = {"Time (s)", "Direction", "Order", "Reply (ms)",
                                           "Marks",    "Bytes",     "Hex",   "Decoding"};
// Widths of the short cells in text lines; hex and decoding follow unpadded.
const int kWidths[] = {10, 11, 20, 10, 22, 5};

struct MarkName {
    RowMark mark;
    const char *name;
};
const MarkName kMarkNames[] = {
    {MarkShort, "short"},     {MarkLate, "late"},         {MarkTrailing, "trailing"},
    {MarkFlushed, "flushed"}, {MarkMismatch, "mismatch"}, {MarkFailure, "failure"},
};

bool carriesBytes(RowKind kind) {
    return DirectionOf(kind) != Direction::None;
}

QString directionText(RowKind kind) {
    switch (kind) {
    case RowKind::Request:
    case RowKind::FlushedOut:
        return QStringLiteral("to sensor");
    case RowKind::Reply:
    case RowKind::FlushedIn:
    case RowKind::Unread:
        return QStringLiteral("from sensor");
    case RowKind::Status:
        return QStringLiteral("status");
    case RowKind::Note:
        return QStringLiteral("log");
    default:
        return QStringLiteral("port");
    }
}

QString errnoText(int error) {
    return error ? QStringLiteral(" (errno %1)").arg(error) : QString();
}

QString requestText(const CommRow &row) {
    QString text = DecodeRequest(row.bytes);
    if (row.bytes.size() < row.requested)
        text = QStringLiteral("short write: %1 of %2 bytes taken; ")
                   .arg(row.bytes.size())
                   .arg(row.requested) +
               text;
    return text;
}

// Dropped bytes of an awaited reply that the log did not mark: the operation had stopped
// waiting for them.
QString noLongerAwaited(const CommRow &row) {
    return !row.marks && ReplyBytesFor(row.order) ? QStringLiteral(", a reply no longer awaited")
                                                  : QString();
}

QString decodingText(const CommRow &row) {
    const qsizetype n = row.bytes.size();
    switch (row.kind) {
    case RowKind::Request:
        return requestText(row);
    case RowKind::Reply:
        return DecodeReply(row.bytes, row.order, row.firstSample);
    case RowKind::FlushedIn:
        return QStringLiteral("input flushed: %1 bytes dropped unread%2")
            .arg(n)
            .arg(noLongerAwaited(row));
    case RowKind::FlushedOut:
        return QStringLiteral("output flushed: %1 bytes not sent").arg(n);
    case RowKind::Unread:
        return QStringLiteral("%1 bytes unread when the port closed%2")
            .arg(n)
            .arg(noLongerAwaited(row));
    case RowKind::Opened:
        return QStringLiteral("port %1 opened: %2").arg(row.port).arg(row.text);
    case RowKind::OpenFailed:
        return QStringLiteral("port %1 could not be opened: %2%3")
            .arg(row.port)
            .arg(row.text, errnoText(row.systemError));
    case RowKind::Closed:
        return QStringLiteral("port %1 closed").arg(row.port);
    case RowKind::Failed:
        return QStringLiteral("port %1 failed: %2%3")
            .arg(row.port)
            .arg(row.text, errnoText(row.systemError));
    case RowKind::Status:
    case RowKind::Note:
        return row.text;
    }
    return {};
}

QString csvField(const QString &text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString paddedLine(const QStringList &cells) {
    QString line;
    for (int i = 0; i < cells.size(); ++i) {
        if (i > 0)
            line += QLatin1String("  ");
        if (i == 0)
            line += cells[i].rightJustified(kWidths[i]);
        else if (i < int(std::size(kWidths)))
            line += cells[i].leftJustified(kWidths[i]);
        else
            line += cells[i];
    }
    while (line.endsWith(QLatin1Char(' ')))
        line.chop(1);
    return line;
}

} // namespace

QString ColumnTitle(CommColumn column) {
    return QString::fromLatin1(kTitles[int(column)]);
}

QString MarksText(quint16 marks) {
    QStringList names;
    for (const MarkName &m : kMarkNames)
        if (marks & m.mark)
            names << QString::fromLatin1(m.name);
    return names.join(QLatin1Char(' '));
}

QString WallClockText(const CommLog &log, qint64 ns) {
    return log.wallClockOf(ns).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
}

QString CellText(const CommLog &log, const CommRow &row, CommColumn column) {
    switch (column) {
    case CommColumn::Time:
        return QString::number(log.secondsOf(row.ns), 'f', 4);
    case CommColumn::Direction:
        return directionText(row.kind);
    case CommColumn::Order:
        return carriesBytes(row.kind) && row.order ? OrderTitle(row.order) : QString();
    case CommColumn::ReplyMs:
        return row.latencyNs >= 0 ? QString::number(double(row.latencyNs) / 1e6, 'f', 1)
                                  : QString();
    case CommColumn::Marks:
        return MarksText(row.marks);
    case CommColumn::Bytes:
        return carriesBytes(row.kind) ? QString::number(row.bytes.size()) : QString();
    case CommColumn::Hex:
        return HexOf(row.bytes);
    case CommColumn::Decoding:
        return decodingText(row);
    }
    return {};
}

QString TextLine(const CommLog &log, const CommRow &row) {
    QStringList cells;
    for (int c = 0; c < kCommColumns; ++c)
        cells << CellText(log, row, CommColumn(c));
    return paddedLine(cells);
}

QString TextHeader(const CommLog &log) {
    QStringList titles;
    for (int c = 0; c < kCommColumns; ++c)
        titles << ColumnTitle(CommColumn(c));
    return QStringLiteral("# Communication log, started %1; times in seconds since then\n")
               .arg(log.started().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"))) +
           paddedLine(titles);
}

QString CsvHeader() {
    return QStringLiteral("time_s,wall_clock,direction,order,reply_ms,marks,bytes,hex,decoding");
}

QString CsvLine(const CommLog &log, const CommRow &row) {
    QStringList fields;
    for (int c = 0; c < kCommColumns; ++c) {
        fields << csvField(CellText(log, row, CommColumn(c)));
        if (CommColumn(c) == CommColumn::Time)
            fields << WallClockText(log, row.ns);
    }
    return fields.join(QLatin1Char(','));
}
