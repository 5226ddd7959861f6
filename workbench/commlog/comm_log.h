// SPDX-License-Identifier: GPL-3.0-or-later
// The communication log: turns what the serial ports report, and the status texts the tool
// shows, into rows, and keeps them in a bounded ring from start-up on.
//
// Rows: one per request written, one per read (a frame the receive callback took, or a video
// block), one per flush that dropped bytes, one per port event and per status text. Received
// bytes make no row of their own: they become part of the read or the flush that takes them,
// and their arrival times give a reply's time. Marks (see RowMark):
//   short     a read video block of fewer than 128 bytes; bytes received for a request that
//             awaits a frame, fewer than 36, with no frame read for it, when a flush drops them
//             or the port closes; a write that took fewer bytes than asked;
//   late      a reply whose last byte came more than the operation's time-out after its
//             request (1.55 s, 0.75 s for the set-point teach), or after the operation showed
//             a time-out text; also such bytes when they are dropped unread;
//   trailing  bytes an input flush dropped (or the port's close left unread) after a whole
//             reply (36 or 128 bytes) was read for the request and before the next request;
//             and the bytes of a video block read beyond its 128;
//   flushed   bytes an output flush dropped unsent; bytes an input flush dropped unread, or
//             still unread at the port's close, that came after a whole reply, late, before
//             a time-out the operation showed, or while no request awaited a reply;
//   mismatch  a frame read whose sync word is not 0x0055 or whose order word is not the
//             request's (the tool still takes it);
//   failure   a port that failed or could not be opened, an echo reply whose word 0 is not
//             0x00AA, and status texts of failures (not those that report such an echo).
// Only requests of orders that await a reply (2, 4–9) make bytes short or late. Bytes of an
// awaited reply that came in time and were dropped before the operation's time-out (the
// user's Stop, another operation) are normal traffic: their rows carry no mark.
#pragma once

#include "runtime/serial_tap.h"
#include "workbench/commlog/comm_ring.h"

#include <QDateTime>
#include <QObject>
#include <QVarLengthArray>
#include <map>

class CommLog : public QObject {
    Q_OBJECT
  public:
    explicit CommLog(RingBounds bounds = {}, QObject *parent = nullptr);
    // A log read back from a file: its times count from 0 at `started`.
    CommLog(const QDateTime &started, RingBounds bounds);

    const CommRing &ring() const { return ring_; }
    // Seconds since the log started, and the wall-clock time of a row.
    double secondsOf(qint64 ns) const { return double(ns - startNs_) / 1e9; }
    qint64 sinceStart(qint64 ns) const { return ns - startNs_; }
    qint64 startNs() const { return startNs_; }
    QDateTime wallClockOf(qint64 ns) const;
    QDateTime started() const { return startWall_; }

    void take(const SerialTapEvent &e);
    void takeStatus(const QString &text);
    // A notice of the log itself, e.g. a log file that cannot be written.
    void note(const QString &text);
    // A row read back from a file, as it was logged.
    void restore(CommRow row) { ring_.append(std::move(row)); }

  private:
    struct Chunk {
        QByteArray bytes;
        qint64 ns = 0;
    };
    // What the log knows of one port's line: the last request, and received bytes not yet
    // read or dropped.
    struct Line {
        int order = 0;
        int firstSample = 0;
        qint64 requestNs = 0;
        int awaited = 0;             // bytes the reply needs; 0: none awaited
        qint64 timeoutNs = -1;       // when the operation showed a time-out text, if it did
        bool replied = false;        // bytes were read or dropped for the request
        bool wholeReplyRead = false; // a whole reply was read for it
        bool checkFailed = false;    // its echo reply failed the line check, marked so
        QVarLengthArray<Chunk, 8> unread;
        qsizetype unreadOffset = 0; // bytes of unread[0] already read
    };

    void request(Line &line, const SerialTapEvent &e);
    void reply(Line &line, const SerialTapEvent &e);
    void flushed(Line &line, const SerialTapEvent &e);
    void closed(Line &line, const SerialTapEvent &e);
    static qint64 consume(Line &line, qsizetype count, qint64 fallback, QList<Arrival> &pieces);
    static QList<Arrival> unreadPieces(const Line &line, qsizetype count, qint64 fallback);
    static bool late(const Line &line, qint64 arrivedNs);
    static quint16 droppedMarks(const Line &line, qsizetype count, qint64 lastArrivalNs);

    CommRing ring_;
    std::map<int, Line> lines_;
    int lastPort_ = 0; // the port of the last request: status texts speak of it
    qint64 startNs_;
    QDateTime startWall_;
};
