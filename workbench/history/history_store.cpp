// SPDX-License-Identifier: GPL-3.0-or-later
#include "workbench/history/history_store.h"

#include "workbench/history/history_schema.h"

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QUrl>
#include <QUrlQuery>

namespace {

constexpr int kBusyWaitMs = 10000;
constexpr int kConnectTimeoutS = 5;

const QString kSessionColumns =
    QStringLiteral("id, started, ended, version, port, adapter, serial, technician, tag, note");
const QString kSetColumns = QStringLiteral(
    "id, session_id, at, place, path, sent, checked, differing, purpose, words, seq");
const QString kReportColumns = QStringLiteral("id, session_id, at, path, sha256");

QString timeText(const QDateTime &t) {
    return t.isValid() ? t.toUTC().toString(Qt::ISODateWithMs) : QString();
}

QDateTime timeOf(const QVariant &v) {
    return QDateTime::fromString(v.toString(), Qt::ISODateWithMs);
}

ParameterWords wordsOf(const QString &text) {
    ParameterWords words{};
    const QStringList numbers = text.split(' ', Qt::SkipEmptyParts);
    for (int w = 0; w < PNUM && w < numbers.size(); ++w)
        words[std::size_t(w)] = numbers[w].toUShort();
    return words;
}

QString listText(const QList<int> &words) {
    QStringList numbers;
    for (int w : words)
        numbers << QString::number(w);
    return numbers.join(' ');
}

QList<int> listOf(const QString &text) {
    QList<int> words;
    for (const QString &n : text.split(' ', Qt::SkipEmptyParts))
        words << n.toInt();
    return words;
}

SessionRecord sessionFrom(const QSqlQuery &q) {
    return {q.value(0).toString(), timeOf(q.value(1)),    timeOf(q.value(2)),
            q.value(3).toString(), q.value(4).toString(), q.value(5).toString(),
            q.value(6).toString(), q.value(7).toString(), q.value(8).toString(),
            q.value(9).toString()};
}

QVariantList valuesOf(const SessionRecord &s) {
    return {s.id,
            timeText(s.started),
            timeText(s.ended),
            s.version,
            s.port,
            s.adapter,
            s.serial,
            s.technician,
            s.tag,
            s.note};
}

SetRecord setFrom(const QSqlQuery &q) {
    SetRecord s;
    s.id = q.value(0).toString();
    s.sessionId = q.value(1).toString();
    s.at = timeOf(q.value(2));
    s.place = q.value(3).toString();
    s.path = q.value(4).toString();
    s.sent = q.value(5).toInt() != 0;
    s.check = SetCheck(q.value(6).toInt());
    s.differing = listOf(q.value(7).toString());
    s.purpose = q.value(8).toString();
    s.words = wordsOf(q.value(9).toString());
    s.seq = q.value(10).toInt();
    return s;
}

QVariantList valuesOf(const SetRecord &s) {
    return {s.id,      s.sessionId,        timeText(s.at), s.place,
            s.path,    int(s.sent),        int(s.check),   listText(s.differing),
            s.purpose, WordsText(s.words), s.seq};
}

ReportRecord reportFrom(const QSqlQuery &q) {
    return {q.value(0).toString(), q.value(1).toString(), timeOf(q.value(2)), q.value(3).toString(),
            q.value(4).toString()};
}

QVariantList valuesOf(const ReportRecord &r) {
    return {r.id, r.sessionId, timeText(r.at), r.path, r.sha256};
}

QString placeholders(int n) {
    QStringList marks;
    for (int i = 0; i < n; ++i)
        marks << QStringLiteral("?");
    return marks.join(QStringLiteral(", "));
}

// Runs `sql` with `values` bound in order. Every column is NOT NULL: a null string is
// stored empty.
bool run(QSqlQuery &q, const QString &sql, const QVariantList &values = {}) {
    if (!q.prepare(sql))
        return false;
    for (const QVariant &v : values)
        q.addBindValue(v.typeId() == QMetaType::QString && v.toString().isNull()
                           ? QVariant(QStringLiteral(""))
                           : v);
    return q.exec();
}

} // namespace

QString DefaultHistoryLocation() {
    const QString given = qEnvironmentVariable("RMOX_HISTORY_DB");
    if (!given.isEmpty())
        return given;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/history.sqlite");
}

bool IsSharedLocation(const QString &location) {
    return location.startsWith(QLatin1String("postgresql://")) ||
           location.startsWith(QLatin1String("postgres://"));
}

QString DisplayedLocation(const QString &location) {
    if (!IsSharedLocation(location))
        return location;
    return QUrl(location).toString(QUrl::RemovePassword);
}

HistoryStore::HistoryStore(const QString &connection) : connection_(connection) {}

HistoryStore::~HistoryStore() {
    if (!QSqlDatabase::contains(connection_))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(connection_, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(connection_);
}

bool HistoryStore::fail(const QString &what) {
    error_ = what;
    return false;
}

bool HistoryStore::open(const QString &location) {
    shared_ = IsSharedLocation(location);
    QSqlDatabase db;
    if (shared_) {
        db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection_);
        if (!db.isValid())
            return fail(QStringLiteral("Qt's PostgreSQL driver is not installed (Debian: "
                                       "libqt6sql6-psql)"));
        const QUrl url(location);
        const QUrlQuery query(url);
        db.setHostName(query.hasQueryItem(QStringLiteral("host"))
                           ? query.queryItemValue(QStringLiteral("host"))
                           : url.host());
        if (url.port() > 0)
            db.setPort(url.port());
        db.setUserName(url.userName());
        db.setPassword(url.password());
        db.setDatabaseName(url.path().mid(1));
        db.setConnectOptions(
            QStringLiteral("connect_timeout=%1;options=-cclient_min_messages=warning")
                .arg(kConnectTimeoutS));
    } else {
        db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
        if (!db.isValid())
            return fail(QStringLiteral("Qt's SQLite driver is not installed (Debian: "
                                       "libqt6sql6-sqlite)"));
        const QString folder = QFileInfo(location).absolutePath();
        if (!QDir().mkpath(folder))
            return fail(QStringLiteral("cannot make the folder %1").arg(folder));
        db.setDatabaseName(location);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(kBusyWaitMs));
    }
    if (!db.open())
        return fail(db.lastError().text());
    if (!shared_) {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("PRAGMA journal_mode=WAL")) || !q.next() ||
            q.value(0).toString() != QLatin1String("wal")) {
            const QString why = q.lastError().text();
            db.close();
            return fail(why.isEmpty() ? QStringLiteral("the file cannot be written") : why);
        }
    }
    QString why;
    if (!MigrateHistorySchema(db, &why)) {
        db.close();
        return fail(why);
    }
    return true;
}

bool HistoryStore::isOpen() const {
    return QSqlDatabase::contains(connection_) &&
           QSqlDatabase::database(connection_, false).isOpen();
}

bool HistoryStore::write(const QString &sql, const QVariantList &values) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    if (!db.isOpen())
        return fail(QStringLiteral("the history is not open"));
    if (!BeginWrite(db))
        return fail(db.lastError().text());
    QSqlQuery q(db);
    if (!run(q, sql, values)) {
        error_ = q.lastError().text();
        db.rollback();
        return false;
    }
    q.finish();
    if (!db.commit()) {
        error_ = db.lastError().text();
        db.rollback();
        return false;
    }
    return true;
}

bool HistoryStore::addSession(const SessionRecord &session) {
    return write(QStringLiteral("INSERT INTO sessions (%1) VALUES (%2)")
                     .arg(kSessionColumns, placeholders(10)),
                 valuesOf(session));
}

bool HistoryStore::updateSession(const SessionRecord &s) {
    return write(
        QStringLiteral("UPDATE sessions SET ended = ?, port = ?, adapter = ?, serial = "
                       "?, technician = ?, tag = ?, note = ? WHERE id = ?"),
        {timeText(s.ended), s.port, s.adapter, s.serial, s.technician, s.tag, s.note, s.id});
}

bool HistoryStore::addSet(const SetRecord &set) {
    return write(
        QStringLiteral("INSERT INTO sets (%1) VALUES (%2)").arg(kSetColumns, placeholders(11)),
        valuesOf(set));
}

bool HistoryStore::setCheck(const QString &setId, SetCheck check, const QList<int> &differing) {
    return write(QStringLiteral("UPDATE sets SET checked = ?, differing = ? WHERE id = ?"),
                 {int(check), listText(differing), setId});
}

bool HistoryStore::addReport(const ReportRecord &report) {
    return write(
        QStringLiteral("INSERT INTO reports (%1) VALUES (%2)").arg(kReportColumns, placeholders(5)),
        valuesOf(report));
}

QList<SensorRecord> HistoryStore::sensors() {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    QList<SensorRecord> sensors;
    if (run(q, QStringLiteral("SELECT tag, MAX(started), COUNT(*) FROM sessions GROUP BY tag "
                              "ORDER BY MAX(started) DESC")))
        while (q.next())
            sensors.append({q.value(0).toString(), timeOf(q.value(1)), q.value(2).toInt()});
    return sensors;
}

QList<SessionRecord> HistoryStore::sessions(const QString &tag) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    QList<SessionRecord> sessions;
    if (run(q,
            QStringLiteral("SELECT %1 FROM sessions WHERE tag = ? ORDER BY started DESC")
                .arg(kSessionColumns),
            {tag}))
        while (q.next())
            sessions << sessionFrom(q);
    return sessions;
}

std::optional<SessionRecord> HistoryStore::session(const QString &id) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    if (run(q, QStringLiteral("SELECT %1 FROM sessions WHERE id = ?").arg(kSessionColumns), {id}) &&
        q.next())
        return sessionFrom(q);
    return std::nullopt;
}

QList<SetRecord> HistoryStore::sets(const QString &sessionId) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    QList<SetRecord> sets;
    if (run(q,
            QStringLiteral("SELECT %1 FROM sets WHERE session_id = ? ORDER BY at, seq")
                .arg(kSetColumns),
            {sessionId}))
        while (q.next())
            sets << setFrom(q);
    return sets;
}

QList<ReportRecord> HistoryStore::reports(const QString &sessionId) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    QList<ReportRecord> reports;
    if (run(q,
            QStringLiteral("SELECT %1 FROM reports WHERE session_id = ? ORDER BY at")
                .arg(kReportColumns),
            {sessionId}))
        while (q.next())
            reports << reportFrom(q);
    return reports;
}

std::optional<SetRecord> HistoryStore::lastSetBefore(const QString &tag, const QString &sessionId,
                                                     const QString &place) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    const QString sql = QStringLiteral(
        "SELECT s.id, s.session_id, s.at, s.place, s.path, s.sent, s.checked, s.differing, "
        "s.purpose, s.words, s.seq FROM sets s JOIN sessions e ON s.session_id = e.id WHERE e.tag "
        "= ? "
        "AND e.id <> ? AND e.started < (SELECT started FROM sessions WHERE id = ?) AND s.place "
        "= ? ORDER BY e.started DESC, s.at DESC, s.seq DESC LIMIT 1");
    if (run(q, sql, {tag, sessionId, sessionId, place}) && q.next())
        return setFrom(q);
    return std::nullopt;
}

QList<AuditChange> HistoryStore::auditTrail(const QString &tag) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    const QString sql = QStringLiteral(
        "SELECT s.id, s.session_id, s.at, s.place, s.path, s.sent, s.checked, s.differing, "
        "s.purpose, s.words, s.seq FROM sets s JOIN sessions e ON s.session_id = e.id WHERE e.tag "
        "= ? "
        "AND s.place IN ('RAM', 'EEPROM') ORDER BY s.at, s.seq");
    QList<AuditChange> changes;
    if (!run(q, sql, {tag}))
        return changes;
    QMap<QString, ParameterWords> last;
    while (q.next()) {
        const SetRecord set = setFrom(q);
        if (last.contains(set.place)) {
            const ParameterWords &before = last[set.place];
            for (int w : DifferingWordsOf(before, set.words))
                changes.append({set.at, set.sessionId, set.place, w, before[std::size_t(w)],
                                set.words[std::size_t(w)], set.sent});
        }
        last[set.place] = set.words;
    }
    return changes;
}

QString HistoryStore::proposeTag(const ParameterWords &words, const AdapterId &adapter,
                                 const QString &exceptSession) {
    QSqlQuery q(QSqlDatabase::database(connection_, false));
    const QString sql = QStringLiteral(
        "SELECT e.tag, s.place, s.words FROM sets s JOIN sessions e ON s.session_id = e.id WHERE "
        "e.tag <> '' AND e.id <> ? AND s.place IN ('RAM', 'EEPROM') ORDER BY s.at DESC, s.seq "
        "DESC");
    if (run(q, sql, {exceptSession})) {
        QSet<QString> seen; // a tag's place whose last set was looked at
        while (q.next()) {
            const QString key = q.value(0).toString() + '\n' + q.value(1).toString();
            if (seen.contains(key))
                continue;
            seen.insert(key);
            if (wordsOf(q.value(2).toString()) == words)
                return q.value(0).toString();
        }
    }
    if (adapter.byId.isEmpty() && adapter.serial.isEmpty())
        return {};
    if (run(q,
            QStringLiteral("SELECT tag FROM sessions WHERE tag <> '' AND id <> ? AND ((adapter <> "
                           "'' AND adapter = ?) OR (serial <> '' AND serial = ?)) ORDER BY "
                           "started DESC LIMIT 1"),
            {exceptSession, adapter.byId, adapter.serial}) &&
        q.next())
        return q.value(0).toString();
    return {};
}

int HistoryStore::mergeFrom(HistoryStore &from) {
    QSqlDatabase db = QSqlDatabase::database(connection_, false);
    QSqlQuery source(QSqlDatabase::database(from.connection_, false));
    const auto count = [&db] {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT (SELECT COUNT(*) FROM sessions) + (SELECT COUNT(*) FROM "
                              "sets) + (SELECT COUNT(*) FROM reports)"));
        return q.next() ? q.value(0).toInt() : 0;
    };
    if (!BeginWrite(db)) {
        fail(db.lastError().text());
        return -1;
    }
    const int before = count();
    QSqlQuery q(db);
    // A session known already takes what changed since (its end, tag, note).
    const struct {
        QString table;
        QString columns;
        int n;
        QString onConflict;
    } tables[] = {
        {QStringLiteral("sessions"), kSessionColumns, 10,
         QStringLiteral("DO UPDATE SET ended = excluded.ended, tag = excluded.tag, note = "
                        "excluded.note, technician = excluded.technician")},
        {QStringLiteral("sets"), kSetColumns, 11,
         QStringLiteral(
             "DO UPDATE SET checked = excluded.checked, differing = excluded.differing")},
        {QStringLiteral("reports"), kReportColumns, 5, QStringLiteral("DO NOTHING")},
    };
    for (const auto &t : tables) {
        if (!source.exec(QStringLiteral("SELECT %1 FROM %2").arg(t.columns, t.table))) {
            fail(source.lastError().text());
            db.rollback();
            return -1;
        }
        const QString insert = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3) ON CONFLICT (id) %4")
                                   .arg(t.table, t.columns, placeholders(t.n), t.onConflict);
        while (source.next()) {
            QVariantList values;
            for (int c = 0; c < t.n; ++c)
                values << source.value(c);
            if (!run(q, insert, values)) {
                fail(q.lastError().text());
                db.rollback();
                return -1;
            }
        }
    }
    const int added = count() - before;
    if (!db.commit()) {
        fail(db.lastError().text());
        db.rollback();
        return -1;
    }
    return added;
}
