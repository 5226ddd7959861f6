// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/history_schema.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>

namespace {

// Migration n brings version n-1 to n. Times are ISO 8601 text in UTC, which sorts as time.
const QStringList kMigrations[] = {
    {
        QStringLiteral("CREATE TABLE sessions (id TEXT PRIMARY KEY, started TEXT NOT NULL, "
                       "ended TEXT, version TEXT NOT NULL, port TEXT NOT NULL, adapter TEXT NOT "
                       "NULL, serial TEXT NOT NULL, technician TEXT NOT NULL, tag TEXT NOT NULL, "
                       "note TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX sessions_by_tag ON sessions (tag, started)"),
        QStringLiteral("CREATE TABLE sets (id TEXT PRIMARY KEY, session_id TEXT NOT NULL, at "
                       "TEXT NOT NULL, place TEXT NOT NULL, path TEXT NOT NULL, sent INTEGER NOT "
                       "NULL, checked INTEGER NOT NULL, differing TEXT NOT NULL, purpose TEXT "
                       "NOT NULL, words TEXT NOT NULL, seq INTEGER NOT NULL)"),
        QStringLiteral("CREATE INDEX sets_by_session ON sets (session_id, at)"),
    },
    {
        QStringLiteral("CREATE TABLE reports (id TEXT PRIMARY KEY, session_id TEXT NOT NULL, at "
                       "TEXT NOT NULL, path TEXT NOT NULL, sha256 TEXT NOT NULL)"),
    },
};
static_assert(std::size(kMigrations) == kHistorySchemaVersion);

bool exec(QSqlDatabase &db, const QString &sql, QString *error) {
    QSqlQuery q(db);
    if (q.exec(sql))
        return true;
    *error = q.lastError().text();
    return false;
}

bool isSqlite(const QSqlDatabase &db) {
    return db.driverName() == QLatin1String("QSQLITE");
}

} // namespace

bool BeginWrite(QSqlDatabase &db) {
    if (!isSqlite(db))
        return db.transaction();
    QSqlQuery q(db);
    return q.exec(QStringLiteral("BEGIN IMMEDIATE"));
}

int HistorySchemaVersion(const QSqlDatabase &db) {
    QSqlQuery q(db);
    if (!db.tables().contains(QStringLiteral("schema_version")) ||
        !q.exec(QStringLiteral("SELECT version FROM schema_version")) || !q.next())
        return 0;
    return q.value(0).toInt();
}

bool MigrateHistorySchema(QSqlDatabase &db, QString *error, int upTo) {
    // The table itself is made outside the transactions: both engines accept it twice.
    if (!exec(
            db,
            QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"),
            error))
        return false;
    for (;;) {
        if (!BeginWrite(db)) {
            *error = db.lastError().text();
            return false;
        }
        QSqlQuery q(db);
        // PostgreSQL lets two readers of the version go on; the lock makes the second wait.
        if (!isSqlite(db))
            q.exec(QStringLiteral("LOCK TABLE schema_version IN EXCLUSIVE MODE"));
        int version = 0;
        const bool known = q.exec(QStringLiteral("SELECT version FROM schema_version"));
        const bool hasRow = known && q.next();
        if (hasRow)
            version = q.value(0).toInt();
        q.finish();
        if (!known || version >= upTo) {
            if (!known)
                *error = q.lastError().text();
            db.commit();
            return known;
        }
        bool done = true;
        for (const QString &sql : kMigrations[version])
            done = done && exec(db, sql, error);
        done =
            done &&
            exec(db,
                 hasRow ? QStringLiteral("UPDATE schema_version SET version = %1").arg(version + 1)
                        : QStringLiteral("INSERT INTO schema_version VALUES (%1)").arg(version + 1),
                 error);
        if (!done || !db.commit()) {
            if (done)
                *error = db.lastError().text();
            db.rollback();
            return false;
        }
    }
}
