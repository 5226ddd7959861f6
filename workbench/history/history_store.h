// SPDX-License-Identifier: GPL-3.0-or-later
// The service history in a database through Qt SQL: a SQLite file (WAL, waiting for another
// writer) or a PostgreSQL server, with one schema. Each write is one short transaction. A
// store belongs to the thread that opened it, as its connection does.
#pragma once

#include "workbench/history/history_records.h"

#include <QString>
#include <optional>

class HistoryStore {
  public:
    // `connection` names the Qt SQL connection, unique in the process.
    explicit HistoryStore(const QString &connection);
    ~HistoryStore();
    HistoryStore(const HistoryStore &) = delete;
    HistoryStore &operator=(const HistoryStore &) = delete;

    // `location`: a SQLite file's path (its folder is made) or postgresql://user@host:port/db
    // (a "host" query item may name the folder of a Unix socket). Migrates an older schema.
    bool open(const QString &location);
    bool isOpen() const;
    bool isShared() const { return shared_; }
    // Why the last open or write failed.
    QString lastError() const { return error_; }

    bool addSession(const SessionRecord &session);
    bool updateSession(const SessionRecord &session);
    bool addSet(const SetRecord &set);
    bool setCheck(const QString &setId, SetCheck check, const QList<int> &differing);
    bool addReport(const ReportRecord &report);

    QList<SensorRecord> sensors();
    // A tag's sessions, newest first; the empty tag gives the untagged ones.
    QList<SessionRecord> sessions(const QString &tag);
    std::optional<SessionRecord> session(const QString &id);
    // A session's sets in the order they came.
    QList<SetRecord> sets(const QString &sessionId);
    QList<ReportRecord> reports(const QString &sessionId);
    // The last set of `place` ("RAM" or "EEPROM") in the tag's newest session before
    // `sessionId` that kept one.
    std::optional<SetRecord> lastSetBefore(const QString &tag, const QString &sessionId,
                                           const QString &place);
    // Every change of the tag's RAM and EEPROM sets, oldest first.
    QList<AuditChange> auditTrail(const QString &tag);
    // The tag whose last RAM or EEPROM set equals `words`, else the tag last used on the
    // adapter; empty when neither is known.
    QString proposeTag(const ParameterWords &words, const AdapterId &adapter,
                       const QString &exceptSession);

    // Adds every record of `from` that this store lacks, by its key; the number added.
    // Running it again adds nothing. -1 on failure, with nothing added.
    int mergeFrom(HistoryStore &from);

  private:
    bool fail(const QString &what);
    bool write(const QString &sql, const QVariantList &values);

    QString connection_;
    bool shared_ = false;
    QString error_;
};

// The SQLite file the tool keeps its history in: $RMOX_HISTORY_DB, else history.sqlite in the
// user's data folder.
QString DefaultHistoryLocation();
// Whether `location` names a PostgreSQL server.
bool IsSharedLocation(const QString &location);
// The location without a password, for messages.
QString DisplayedLocation(const QString &location);
