// SPDX-License-Identifier: GPL-3.0-or-later
// The history's tables, the same in SQLite and PostgreSQL, and the migrations that bring an
// older database up to date. Each migration runs in the transaction that records its number,
// so two instances opening one database at once apply it once.
#pragma once

#include <QString>

class QSqlDatabase;

constexpr int kHistorySchemaVersion = 2;

// Brings `db` up to `upTo` (the current version unless a test wants an older one). False with
// `error` set when a step fails; the database then stays at the last version completed.
bool MigrateHistorySchema(QSqlDatabase &db, QString *error, int upTo = kHistorySchemaVersion);
// The version `db` holds; 0 for an empty database.
int HistorySchemaVersion(const QSqlDatabase &db);
// Starts a write transaction that waits for another writer instead of failing at its first
// write (SQLite takes the lock at once).
bool BeginWrite(QSqlDatabase &db);
