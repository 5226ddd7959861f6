// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/session_reader.h"

#include "workbench/adapters/comm_decode.h"
#include "workbench/commlog/session_text.h"

#include <QRegularExpression>
#include <QVarLengthArray>

namespace {

constexpr int kFields = 12;
const char kOldMagic[] = "# Communication log, started ";

struct MarkName {
    const char *name;
    quint16 mark;
};
const MarkName kMarks[] = {{"short", MarkShort},       {"late", MarkLate},
                           {"trailing", MarkTrailing}, {"flushed", MarkFlushed},
                           {"mismatch", MarkMismatch}, {"failure", MarkFailure}};

QVarLengthArray<QByteArrayView, 16> split(QByteArrayView text, char by) {
    QVarLengthArray<QByteArrayView, 16> parts;
    for (qsizetype from = 0;;) {
        const qsizetype at = text.indexOf(by, from);
        parts.append(at < 0 ? text.sliced(from) : text.sliced(from, at - from));
        if (at < 0)
            return parts;
        from = at + 1;
    }
}

bool markOf(QByteArrayView name, quint16 *mark) {
    for (const MarkName &m : kMarks)
        if (name == m.name) {
            *mark |= m.mark;
            return true;
        }
    return false;
}

bool digitsOnly(QByteArrayView text) {
    for (const char c : text)
        if (c < '0' || c > '9')
            return false;
    return !text.isEmpty();
}

bool parseInt(QByteArrayView text, qint64 max, qint64 *value) {
    if (!digitsOnly(text) || text.size() > 18)
        return false;
    *value = text.toLongLong();
    return *value <= max;
}

// "S.FFF" with up to `digits` decimals into units of 10^-digits; the sign is allowed.
bool parseFixed(QByteArrayView text, int digits, qint64 *value) {
    const bool negative = text.startsWith('-');
    if (negative)
        text = text.sliced(1);
    const qsizetype dot = text.indexOf('.');
    if (dot < 0 || !digitsOnly(text.first(dot)) || dot > 9)
        return false;
    const QByteArrayView fraction = text.sliced(dot + 1);
    if (!digitsOnly(fraction) || fraction.size() > digits)
        return false;
    qint64 v = text.first(dot).toLongLong();
    for (int i = 0; i < digits; ++i)
        v = v * 10 + (i < fraction.size() ? fraction[i] - '0' : 0);
    *value = negative ? -v : v;
    return true;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool isHexPair(QByteArrayView t) {
    return t.size() == 2 && hexDigit(t[0]) >= 0 && hexDigit(t[1]) >= 0;
}

// "00 55 00 08": pairs one space apart.
bool parseHex(QByteArrayView text, QByteArray *bytes) {
    if (text.size() % 3 != 2)
        return false;
    bytes->reserve((text.size() + 1) / 3);
    for (qsizetype i = 0; i < text.size(); i += 3) {
        if (!isHexPair(text.sliced(i, 2)) || (i + 2 < text.size() && text[i + 2] != ' '))
            return false;
        bytes->append(char(hexDigit(text[i]) * 16 + hexDigit(text[i + 1])));
    }
    return true;
}

QString unescaped(QByteArrayView text) {
    QByteArray out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char c = text[++i];
        out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
    }
    return QString::fromUtf8(out);
}

// A line of format 2; false when any field is not as written.
bool parseRow(QByteArrayView line, CommRow *row) {
    const auto f = split(line, '\t');
    if (f.size() != kFields || !parseFixed(f[0], 9, &row->ns) ||
        !KindOfName(QString::fromLatin1(f[2]), &row->kind))
        return false;
    qint64 port = 0, order = 0, first = 0, number = 0;
    if (!parseInt(f[3], 1 << 20, &port) || !parseInt(f[4], 0xFFFF, &order) ||
        !parseInt(f[5], 0xFFFF, &first))
        return false;
    row->port = int(port);
    row->order = quint16(order);
    row->firstSample = quint16(first);
    if (f[6] != "-")
        for (const QByteArrayView name : split(f[6], ','))
            if (!markOf(name, &row->marks))
                return false;
    if (f[7] != "-" && (!parseFixed(f[7], 6, &row->latencyNs) || row->latencyNs < 0))
        return false;
    if (f[8] != "-" && !parseInt(f[8], 1 << 30, &number))
        return false;
    if (row->kind == RowKind::Request)
        row->requested = int(number);
    else if (row->kind == RowKind::Failed || row->kind == RowKind::OpenFailed)
        row->systemError = int(number);
    if (f[9] != "-" && !parseHex(f[9], &row->bytes))
        return false;
    if (f[10] != "-") {
        for (const QByteArrayView piece : split(f[10], ' ')) {
            const qsizetype at = piece.indexOf('@');
            Arrival a;
            qint64 end = 0;
            if (at < 0 || !parseInt(piece.first(at), row->bytes.size(), &end) ||
                !parseFixed(piece.sliced(at + 1), 9, &a.ns) ||
                end <= (row->arrivals.isEmpty() ? 0 : row->arrivals.last().end))
                return false;
            a.end = qint32(end);
            row->arrivals.append(a);
        }
        if (row->arrivals.last().end != row->bytes.size())
            return false;
    }
    if (DirectionOf(row->kind) == Direction::None)
        row->text = unescaped(f[11]);
    return true;
}

// What a text log of 1.1 carries, read back into rows.
class OldLogReader {
  public:
    bool take(QByteArrayView line, CommRow *row);

  private:
    int port_ = 1;
    quint16 order_ = 0;
    quint16 firstSample_ = 0;
};

bool OldLogReader::take(QByteArrayView line, CommRow *row) {
    const QString text = QString::fromUtf8(line);
    static const QRegularExpression head(QStringLiteral(
        "^\\s*(-?\\d+\\.\\d+)  (to sensor|from sensor|port|status|log)\\b\\s*(.*)$"));
    const QRegularExpressionMatch m = head.match(text);
    if (!m.hasMatch() || !parseFixed(m.captured(1).toLatin1(), 9, &row->ns))
        return false;
    const QString direction = m.captured(2);
    QString rest = m.captured(3);
    row->port = port_;
    if (direction == QLatin1String("to sensor") || direction == QLatin1String("from sensor")) {
        // The cells before the bytes: the order's title, the reply's time, the marks; then the
        // count of bytes and as many hex pairs; then the decoding.
        const QStringList words = rest.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        qsizetype count = -1, at = 0;
        for (; at < words.size(); ++at) {
            bool ok = false;
            count = words[at].toInt(&ok);
            if (!ok || count < 0 || at + count >= words.size())
                continue;
            bool hex = true;
            for (qsizetype i = 1; i <= count && hex; ++i)
                hex = isHexPair(words[at + i].toLatin1());
            if (hex)
                break;
        }
        if (at == words.size())
            return false;
        for (qsizetype i = 0; i < at; ++i) {
            const QByteArray word = words[i].toLatin1();
            if (markOf(word, &row->marks))
                continue;
            if (word.contains('.') && (!parseFixed(word, 6, &row->latencyNs) || row->latencyNs < 0))
                return false;
        }
        for (qsizetype i = 1; i <= count; ++i)
            row->bytes.append(char(words[at + i].toUInt(nullptr, 16)));
        const QString decoding = words.mid(at + count + 1).join(QLatin1Char(' '));
        if (direction == QLatin1String("to sensor")) {
            static const QRegularExpression shortWrite(
                QStringLiteral("^short write: \\d+ of (\\d+) bytes taken"));
            if (decoding.startsWith(QLatin1String("output flushed:"))) {
                row->kind = RowKind::FlushedOut;
                row->order = order_;
                return true;
            }
            row->kind = RowKind::Request;
            const QRegularExpressionMatch s = shortWrite.match(decoding);
            row->requested = s.hasMatch() ? s.captured(1).toInt() : int(row->bytes.size());
            order_ = row->order = quint16(OrderWordOf(row->bytes));
            firstSample_ = row->firstSample = quint16(FirstWordOf(row->bytes));
            return true;
        }
        row->kind = decoding.startsWith(QLatin1String("input flushed:")) ? RowKind::FlushedIn
                    : decoding.contains(QLatin1String("unread when the port closed"))
                        ? RowKind::Unread
                        : RowKind::Reply;
        row->order = order_;
        row->firstSample = firstSample_;
        return true;
    }
    // Event rows: the marks (only "failure" is ever set on them), then the text.
    static const QRegularExpression marked(QStringLiteral("^failure  +(.*)$"));
    if (const QRegularExpressionMatch f = marked.match(rest); f.hasMatch()) {
        row->marks = MarkFailure;
        rest = f.captured(1);
    }
    if (direction == QLatin1String("status") || direction == QLatin1String("log")) {
        row->kind = direction == QLatin1String("status") ? RowKind::Status : RowKind::Note;
        row->text = rest;
        return true;
    }
    static const QRegularExpression event(
        QStringLiteral("^port (\\d+) (opened: (.*)|could not be opened: (.*?)|closed|failed: (.*?))"
                       "(?: \\(errno (\\d+)\\))?$"));
    const QRegularExpressionMatch e = event.match(rest);
    if (!e.hasMatch())
        return false;
    row->port = port_ = e.captured(1).toInt();
    const QString what = e.captured(2);
    row->systemError = e.captured(6).toInt();
    if (what.startsWith(QLatin1String("opened"))) {
        row->kind = RowKind::Opened;
        row->text = e.captured(3);
    } else if (what.startsWith(QLatin1String("could"))) {
        row->kind = RowKind::OpenFailed;
        row->text = e.captured(4);
    } else if (what == QLatin1String("closed")) {
        row->kind = RowKind::Closed;
    } else {
        row->kind = RowKind::Failed;
        row->text = e.captured(5);
    }
    return true;
}

QString firstLineOf(QByteArrayView content) {
    const qsizetype end = content.indexOf('\n');
    QString line = QString::fromUtf8(content.first(end < 0 ? std::min<qsizetype>(content.size(), 80)
                                                           : std::min<qsizetype>(end, 80)));
    for (QChar &c : line)
        if (!c.isPrint())
            c = QChar(0xFFFD);
    return line;
}

QString rowsText(std::size_t n) {
    return n == 1 ? QStringLiteral("the row") : QStringLiteral("the %1 rows").arg(n);
}

SessionFile refused(const QString &why) {
    SessionFile file;
    file.refused = true;
    file.problem = why;
    return file;
}

} // namespace

SessionFile ReadSession(const QByteArray &content) {
    if (content.isEmpty())
        return refused(QStringLiteral("The file is empty."));
    const QByteArrayView all(content);
    SessionFile file;
    qsizetype at = 0;
    auto nextLine = [&](QByteArrayView *line) {
        const qsizetype end = all.indexOf('\n', at);
        if (end < 0) {
            *line = all.sliced(at);
            at = all.size();
            return false;
        }
        *line = all.sliced(at, end - at);
        at = end + 1;
        return true;
    };
    QByteArrayView line;
    bool whole = nextLine(&line);
    if (line.startsWith(kSessionMagic)) {
        qint64 format = 0;
        if (!parseInt(line.sliced(sizeof kSessionMagic - 1), 1 << 20, &format) || format < 2)
            return refused(QStringLiteral("Its first line names no format this tool knows: %1")
                               .arg(firstLineOf(all)));
        if (format > kSessionFormat)
            return refused(QStringLiteral("It was written by a newer version of the tool (format "
                                          "%1); this version reads format %2 and older.")
                               .arg(format)
                               .arg(kSessionFormat));
        file.format = int(format);
    } else if (line.startsWith(kOldMagic)) {
        file.format = 1;
        file.started = QDateTime::fromString(
            QString::fromLatin1(
                line.sliced(sizeof kOldMagic - 1)
                    .first(std::min<qsizetype>(23, line.size() - qsizetype(sizeof kOldMagic) + 1))),
            QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
        whole = whole && nextLine(&line) && line.startsWith("  Time (s)");
    } else {
        return refused(QStringLiteral("It is not a communication log of this tool; its first "
                                      "line is: %1")
                           .arg(firstLineOf(all)));
    }
    OldLogReader old;
    int number = file.format == 1 ? 2 : 1;
    while (whole && at < all.size()) {
        whole = nextLine(&line);
        ++number;
        if (!whole) {
            file.problem = QStringLiteral("The file ends in the middle of line %1 (cut short while "
                                          "it was written?); %2 before it are shown.")
                               .arg(number)
                               .arg(rowsText(file.rows.size()));
            break;
        }
        if (line.startsWith("# ")) {
            const QString text = QString::fromUtf8(line.sliced(2));
            if (file.format == 2 && file.rows.empty() && text.startsWith(QLatin1String("tool: ")))
                file.tool = text.sliced(6);
            else if (file.format == 2 && file.rows.empty() &&
                     text.startsWith(QLatin1String("started: ")))
                file.started = QDateTime::fromString(text.sliced(9), Qt::ISODateWithMs);
            else if (file.format == 2 && file.rows.empty() &&
                     text.startsWith(QLatin1String("port: ")))
                file.port = text.sliced(6);
            else if (file.format == 2 && file.rows.empty() &&
                     text.startsWith(QLatin1String("adapter: ")))
                file.adapter = text.sliced(9);
            else if (!text.startsWith(QLatin1String("columns: ")))
                file.remarks << text;
            continue;
        }
        CommRow row;
        if (!(file.format == 1 ? old.take(line, &row) : parseRow(line, &row))) {
            file.problem = QStringLiteral("Line %1 is not a row of a communication log; %2 "
                                          "before it are shown.")
                               .arg(number)
                               .arg(rowsText(file.rows.size()));
            break;
        }
        file.rows.push_back(std::move(row));
    }
    if (!file.started.isValid()) {
        file.refused = true;
        file.rows.clear();
        file.problem = QStringLiteral("Its header does not say when the log started.");
    }
    return file;
}
