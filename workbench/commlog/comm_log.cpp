// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/commlog/comm_log.h"

#include "link/protocol.h"
#include "workbench/adapters/comm_decode.h"

namespace {

constexpr qint64 kTickNs = 50LL * 1000 * 1000;

// Words of the status texts that report a failure (time-outs, read and port errors, files).
const char *const kFailureWords[] = {"timeout",   "error",     "cannot",  "invalid",
                                     "no serial", "could not", "not open"};

bool isFailureText(const QString &text) {
    for (const char *word : kFailureWords)
        if (text.contains(QLatin1String(word), Qt::CaseInsensitive))
            return true;
    return false;
}

bool isTimeoutText(const QString &text) {
    return text.startsWith(QLatin1String("Timeout"));
}

// A wait gives up on the tick after its limit.
qint64 waitOf(int order) {
    return (kOrders[order].waitTicks + 1) * kTickNs;
}

CommRow rowOf(RowKind kind, const SerialTapEvent &e) {
    CommRow row;
    row.kind = kind;
    row.ns = e.nanoseconds;
    row.port = e.port;
    row.bytes = e.bytes;
    return row;
}

// A port that could not be opened or failed while open: the system's error, marked.
CommRow failureRow(RowKind kind, const SerialTapEvent &e, const QString &text) {
    CommRow row = rowOf(kind, e);
    row.text = text;
    row.systemError = e.systemError;
    row.marks = MarkFailure;
    return row;
}

} // namespace

CommLog::CommLog(RingBounds bounds, QObject *parent)
    : QObject(parent), ring_(bounds), startNs_(rtSerialClock()),
      startWall_(QDateTime::currentDateTime()) {}

CommLog::CommLog(const QDateTime &started, RingBounds bounds)
    : ring_(bounds), startNs_(0), startWall_(started) {}

QDateTime CommLog::wallClockOf(qint64 ns) const {
    return startWall_.addMSecs((ns - startNs_) / 1000000);
}

void CommLog::take(const SerialTapEvent &e) {
    Line &line = lines_[e.port];
    switch (e.kind) {
    case SerialTapEvent::Opened: {
        line = Line{};
        CommRow row = rowOf(RowKind::Opened, e);
        row.text = e.device;
        ring_.append(std::move(row));
        break;
    }
    case SerialTapEvent::OpenFailed:
        ring_.append(failureRow(
            RowKind::OpenFailed, e,
            e.device.isEmpty() ? e.errorText : e.device + QStringLiteral(": ") + e.errorText));
        break;
    case SerialTapEvent::Closed:
        closed(line, e);
        break;
    case SerialTapEvent::Written:
        request(line, e);
        break;
    case SerialTapEvent::Received:
        line.unread.append(Chunk{e.bytes, e.nanoseconds});
        break;
    case SerialTapEvent::Read:
        reply(line, e);
        break;
    case SerialTapEvent::Flushed:
        flushed(line, e);
        break;
    case SerialTapEvent::Failed:
        ring_.append(failureRow(RowKind::Failed, e, e.errorText));
        break;
    }
}

void CommLog::takeStatus(const QString &text) {
    CommRow row;
    row.kind = RowKind::Status;
    row.ns = rtSerialClock();
    row.port = lastPort_;
    row.text = text;
    row.marks = isFailureText(text) ? MarkFailure : 0;
    const auto it = lines_.find(lastPort_);
    if (it != lines_.end() && it->second.checkFailed)
        row.marks = 0;
    if (isTimeoutText(text) && it != lines_.end() && it->second.timeoutNs < 0)
        it->second.timeoutNs = row.ns;
    ring_.append(std::move(row));
}

void CommLog::note(const QString &text) {
    CommRow row;
    row.kind = RowKind::Note;
    row.ns = rtSerialClock();
    row.text = text;
    row.marks = MarkFailure;
    ring_.append(std::move(row));
}

void CommLog::request(Line &line, const SerialTapEvent &e) {
    CommRow row = rowOf(RowKind::Request, e);
    row.requested = e.requested;
    row.order = quint16(OrderWordOf(e.bytes));
    row.firstSample = quint16(FirstWordOf(e.bytes));
    if (e.bytes.size() < e.requested)
        row.marks |= MarkShort;
    line.order = row.order;
    line.firstSample = row.firstSample;
    line.requestNs = e.nanoseconds;
    line.awaited = ReplyBytesFor(row.order);
    line.timeoutNs = -1;
    line.replied = false;
    line.wholeReplyRead = false;
    line.checkFailed = false;
    lastPort_ = e.port;
    ring_.append(std::move(row));
}

void CommLog::reply(Line &line, const SerialTapEvent &e) {
    const qsizetype size = e.bytes.size();
    CommRow row = rowOf(RowKind::Reply, e);
    row.ns = consume(line, size, e.nanoseconds, row.arrivals);
    row.order = quint16(line.order);
    row.firstSample = quint16(line.firstSample);
    if (line.order)
        row.latencyNs = row.ns - line.requestNs;
    if (line.awaited && size < line.awaited)
        row.marks |= MarkShort;
    if (line.order == ORDER_VIDEO_BLOCK && size > line.awaited)
        row.marks |= MarkTrailing;
    if (line.order && line.order != ORDER_VIDEO_BLOCK && !FrameMatches(e.bytes, line.order))
        row.marks |= MarkMismatch;
    if (late(line, row.ns))
        row.marks |= MarkLate;
    // The line check fails on this reply; the status texts that say so are not marked again.
    if (line.order == ORDER_ECHO && size >= kFrameBytes && FirstWordOf(e.bytes) != ECHO_ANSWER) {
        row.marks |= MarkFailure;
        line.checkFailed = true;
    }
    line.replied = true;
    line.wholeReplyRead = line.wholeReplyRead || (line.awaited && size >= line.awaited);
    ring_.append(std::move(row));
}

void CommLog::flushed(Line &line, const SerialTapEvent &e) {
    if (!e.input) {
        if (e.bytes.isEmpty())
            return;
        CommRow row = rowOf(RowKind::FlushedOut, e);
        row.order = quint16(line.order);
        row.marks = MarkFlushed;
        ring_.append(std::move(row));
        return;
    }
    const qsizetype reported = [&] {
        qsizetype n = -line.unreadOffset;
        for (const Chunk &c : line.unread)
            n += c.bytes.size();
        return n;
    }();
    const qint64 lastArrival =
        e.bytes.size() > reported || line.unread.isEmpty() ? e.nanoseconds : line.unread.last().ns;
    if (!e.bytes.isEmpty()) {
        CommRow row = rowOf(RowKind::FlushedIn, e);
        row.order = quint16(line.order);
        row.firstSample = quint16(line.firstSample);
        row.marks = droppedMarks(line, e.bytes.size(), lastArrival);
        row.arrivals = unreadPieces(line, e.bytes.size(), e.nanoseconds);
        line.replied = true;
        ring_.append(std::move(row));
    }
    line.unread.clear();
    line.unreadOffset = 0;
}

void CommLog::closed(Line &line, const SerialTapEvent &e) {
    if (!line.unread.isEmpty()) {
        CommRow row = rowOf(RowKind::Unread, e);
        for (const Chunk &c : line.unread)
            row.bytes += c.bytes;
        row.bytes.remove(0, line.unreadOffset);
        row.order = quint16(line.order);
        row.marks = droppedMarks(line, row.bytes.size(), line.unread.last().ns);
        row.arrivals = unreadPieces(line, row.bytes.size(), e.nanoseconds);
        ring_.append(std::move(row));
    }
    line = Line{};
    ring_.append(rowOf(RowKind::Closed, e));
}

// Takes `count` received bytes off the line; the arrival of the last one, or `fallback` when
// fewer were received. `pieces` gets when each part came (bytes never received at `fallback`),
// or nothing when all came at the time returned.
qint64 CommLog::consume(Line &line, qsizetype count, qint64 fallback, QList<Arrival> &pieces) {
    qint64 at = fallback;
    qsizetype end = 0;
    while (count > 0 && !line.unread.isEmpty()) {
        const Chunk &chunk = line.unread.first();
        const qsizetype taken = std::min(chunk.bytes.size() - line.unreadOffset, count);
        count -= taken;
        end += taken;
        line.unreadOffset += taken;
        at = chunk.ns;
        pieces.append(Arrival{at, qint32(end)});
        if (line.unreadOffset == chunk.bytes.size()) {
            line.unread.remove(0);
            line.unreadOffset = 0;
        }
    }
    if (count > 0) {
        pieces.append(Arrival{fallback, qint32(end + count)});
        at = fallback;
    }
    if (pieces.size() == 1 && pieces.first().ns == at)
        pieces.clear();
    return at;
}

// When the first `count` bytes still unread came, without taking them off the line; those
// beyond what was received at `fallback`.
QList<Arrival> CommLog::unreadPieces(const Line &line, qsizetype count, qint64 fallback) {
    QList<Arrival> pieces;
    qsizetype end = 0;
    qsizetype offset = line.unreadOffset;
    for (const Chunk &chunk : line.unread) {
        if (end >= count)
            break;
        end += std::min(chunk.bytes.size() - offset, count - end);
        offset = 0;
        pieces.append(Arrival{chunk.ns, qint32(end)});
    }
    if (end < count)
        pieces.append(Arrival{fallback, qint32(count)});
    return pieces;
}

// After the operation gave up on the request, or after its wait would have ended.
bool CommLog::late(const Line &line, qint64 arrivedNs) {
    if (!line.awaited)
        return false;
    qint64 deadline = line.requestNs + waitOf(line.order);
    if (line.timeoutNs >= 0)
        deadline = std::min(deadline, line.timeoutNs);
    return arrivedNs > deadline;
}

// Bytes of the awaited reply that came in time are dropped only when the operation stopped
// waiting before its time-out (Stop, or another operation began): normal traffic, not marked.
quint16 CommLog::droppedMarks(const Line &line, qsizetype count, qint64 lastArrivalNs) {
    quint16 marks = MarkFlushed;
    if (line.wholeReplyRead)
        return marks | MarkTrailing;
    if (line.awaited && !line.replied && count < line.awaited)
        marks |= MarkShort;
    if (late(line, lastArrivalNs))
        marks |= MarkLate;
    else if (line.awaited && line.timeoutNs < 0)
        marks = 0;
    return marks;
}
