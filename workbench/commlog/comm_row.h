// SPDX-License-Identifier: GPL-3.0-or-later
// One row of the communication log: bytes that went to or came from the sensor, bytes a flush
// dropped, a port event, or a status text the tool showed. Rows keep the raw bytes and what is
// needed to decode them; the text is made only when a row is shown or written.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtGlobal>

enum class RowKind : quint8 {
    Request,    // bytes taken for sending
    Reply,      // bytes the tool read: a frame or a video block
    FlushedIn,  // received bytes an input flush dropped unread
    FlushedOut, // bytes an output flush dropped unsent
    Unread,     // received bytes still unread when the port closed
    Opened,     // `text`: the device
    OpenFailed, // `text`: the device and the system's error text
    Closed,
    Failed, // `text`: the system's error text
    Status, // `text`: the status line's text
    Note,   // `text`: the log's own notice
};

enum class Direction { ToSensor, FromSensor, None };

// Problems a row is marked with; see README, "The communication log", for when each is set.
enum RowMark : quint16 {
    MarkShort = 1 << 0,    // a reply with fewer bytes than its kind needs, or a short write
    MarkLate = 1 << 1,     // a reply that came after the operation's time-out
    MarkTrailing = 1 << 2, // bytes that came after a whole reply and were dropped
    MarkFlushed = 1 << 3,  // bytes a flush dropped unread (or unsent)
    MarkMismatch = 1 << 4, // a frame whose sync or order word is not what was sent
    MarkFailure = 1 << 5,  // a port that failed or could not be opened, a failure status text
};

// A piece of the bytes of a row from the sensor: where it ends in the row's bytes, and when it
// reached the tool.
struct Arrival {
    qint64 ns = 0;
    qint32 end = 0;

    bool operator==(const Arrival &) const = default;
};

struct CommRow {
    qint64 ns = 0; // monotonic time the bytes reached or left the tool, or the event happened
    QByteArray bytes;
    // From the sensor: when each piece of `bytes` came, in order; empty when they all came at
    // `ns`, as one piece.
    QList<Arrival> arrivals;
    QString text;
    qint64 latencyNs = -1; // a reply's time after its request; -1 where there is none
    int port = 0;
    int requested = 0;       // Request: the bytes the tool asked to write
    int systemError = 0;     // Failed, OpenFailed: errno, where the system gave one
    quint16 order = 0;       // Request: its order word; Reply and flushes: the request's order
    quint16 firstSample = 0; // the request's data word 0 (a video block's first sample)
    quint16 marks = 0;
    RowKind kind = RowKind::Note;
};

inline Direction DirectionOf(RowKind kind) {
    switch (kind) {
    case RowKind::Request:
    case RowKind::FlushedOut:
        return Direction::ToSensor;
    case RowKind::Reply:
    case RowKind::FlushedIn:
    case RowKind::Unread:
        return Direction::FromSensor;
    default:
        return Direction::None;
    }
}
