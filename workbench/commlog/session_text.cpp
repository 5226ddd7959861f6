// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/session_text.h"

#include "app/tool_api.h"
#include "runtime/serial_device.h"
#include "workbench/commlog/comm_log.h"
#include "workbench/commlog/comm_row_text.h"
#include "workbench/shared/version.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <algorithm>
#include <charconv>
#include <iterator>
#include <limits>

namespace {

const char *const kKindNames[] = {"to",     "from",   "in-flushed",  "out-flushed",
                                  "unread", "opened", "open-failed", "closed",
                                  "failed", "status", "note"};
static_assert(std::size(kKindNames) == std::size_t(RowKind::Note) + 1);

void appendNumber(QByteArray &out, qint64 value) {
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr - digits);
}

// `value` / `unit` in decimal with every digit of `unit`, so that nothing is rounded away.
void appendFixed(QByteArray &out, qint64 value, qint64 unit, int digits) {
    if (value < 0) {
        out += '-';
        value = -value;
    }
    appendNumber(out, value / unit);
    out += '.';
    char fraction[24];
    const auto result = std::to_chars(fraction, fraction + sizeof fraction, value % unit);
    out.append(digits - (result.ptr - fraction), '0');
    out.append(fraction, result.ptr - fraction);
}

// The wall-clock time of a row to the millisecond. Rows come many a second: the text of the
// second is made once and kept for the rows that follow in it.
void appendWallClock(QByteArray &out, const CommLog &log, qint64 ns) {
    static thread_local qint64 second = std::numeric_limits<qint64>::min();
    static thread_local QByteArray secondText;
    const qint64 ms = log.started().toMSecsSinceEpoch() + log.sinceStart(ns) / 1'000'000;
    const qint64 s = ms >= 0 ? ms / 1000 : (ms - 999) / 1000;
    if (s != second) {
        second = s;
        secondText = QDateTime::fromMSecsSinceEpoch(s * 1000)
                         .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss."))
                         .toLatin1();
    }
    out += secondText;
    const qint64 milli = ms - s * 1000;
    out += char('0' + milli / 100);
    out += char('0' + milli / 10 % 10);
    out += char('0' + milli % 10);
}

void appendHex(QByteArray &out, const QByteArray &bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += ' ';
        out += kDigits[quint8(bytes[i]) >> 4];
        out += kDigits[quint8(bytes[i]) & 15];
    }
}

QString escaped(QString text) {
    if (std::none_of(text.cbegin(), text.cend(), [](QChar c) {
            return c == QLatin1Char('\\') || c == QLatin1Char('\t') || c == QLatin1Char('\n') ||
                   c == QLatin1Char('\r');
        }))
        return text;
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    text.replace(QLatin1Char('\t'), QLatin1String("\\t"));
    text.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    text.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return text;
}

void appendNumberOrDash(QByteArray &out, const CommRow &row) {
    switch (row.kind) {
    case RowKind::Request:
        appendNumber(out, row.requested);
        break;
    case RowKind::Failed:
    case RowKind::OpenFailed:
        appendNumber(out, row.systemError);
        break;
    default:
        out += '-';
    }
}

} // namespace

QString KindName(RowKind kind) {
    return QString::fromLatin1(kKindNames[int(kind)]);
}

bool KindOfName(QStringView name, RowKind *kind) {
    for (std::size_t i = 0; i < std::size(kKindNames); ++i)
        if (name == QLatin1String(kKindNames[i])) {
            *kind = RowKind(i);
            return true;
        }
    return false;
}

namespace {

QString adapterText(const QString &device) {
    const QString node = QFileInfo(device).canonicalFilePath();
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
        if (node.isEmpty() || info.systemLocation() != node)
            continue;
        QStringList parts;
        for (const QString &part : {info.description(), info.manufacturer()})
            if (!part.isEmpty())
                parts << part;
        if (!info.serialNumber().isEmpty())
            parts << QStringLiteral("serial number ") + info.serialNumber();
        if (info.hasVendorIdentifier() && info.hasProductIdentifier())
            parts << QStringLiteral("USB %1:%2")
                         .arg(info.vendorIdentifier(), 4, 16, QLatin1Char('0'))
                         .arg(info.productIdentifier(), 4, 16, QLatin1Char('0'));
        if (!parts.isEmpty())
            return parts.join(QStringLiteral(", "));
    }
    return QStringLiteral("none described by the system (a pseudo-terminal or a built-in port)");
}

} // namespace

QString SessionHeader(const CommLog &log) {
    const int port = ToolPortInUse();
    const QString device = rtComDevice(port);
    return QString::fromLatin1(kSessionMagic) + QString::number(kSessionFormat) +
           QStringLiteral("\n# tool: ") + VersionLine() + QStringLiteral("\n# started: ") +
           log.started().toString(Qt::ISODateWithMs) + QStringLiteral("\n# port: ") +
           QString::number(port) + QLatin1Char(' ') +
           (device.isEmpty() ? QStringLiteral("(no device)") : device) +
           QStringLiteral("\n# adapter: ") + adapterText(device) +
           QStringLiteral("\n# columns: time_s\twall_clock\tkind\tport\torder\tfirst\tmarks\t"
                          "reply_ms\tasked_or_errno\thex\tarrivals\ttext");
}

QString SessionLine(const CommLog &log, const CommRow &row) {
    QByteArray out;
    out.reserve(128 + 3 * row.bytes.size() + 20 * row.arrivals.size());
    appendFixed(out, log.sinceStart(row.ns), 1'000'000'000, 9);
    out += '\t';
    appendWallClock(out, log, row.ns);
    out += '\t';
    out += kKindNames[int(row.kind)];
    out += '\t';
    appendNumber(out, row.port);
    out += '\t';
    appendNumber(out, row.order);
    out += '\t';
    appendNumber(out, row.firstSample);
    out += '\t';
    if (row.marks)
        out += MarksText(row.marks).replace(QLatin1Char(' '), QLatin1Char(',')).toLatin1();
    else
        out += '-';
    out += '\t';
    if (row.latencyNs >= 0)
        appendFixed(out, row.latencyNs, 1'000'000, 6);
    else
        out += '-';
    out += '\t';
    appendNumberOrDash(out, row);
    out += '\t';
    if (row.bytes.isEmpty())
        out += '-';
    appendHex(out, row.bytes);
    out += '\t';
    if (row.arrivals.isEmpty())
        out += '-';
    for (const Arrival &a : row.arrivals) {
        if (&a != &row.arrivals.first())
            out += ' ';
        appendNumber(out, a.end);
        out += '@';
        appendFixed(out, log.sinceStart(a.ns), 1'000'000'000, 9);
    }
    out += '\t';
    const bool bytes = DirectionOf(row.kind) != Direction::None;
    return QString::fromLatin1(out) +
           escaped(bytes ? CellText(log, row, CommColumn::Decoding) : row.text);
}
