// SPDX-License-Identifier: GPL-3.0-or-later
// The service history: two visits to a simulated sensor with a Send between them, kept in
// SQLite and in PostgreSQL (a server the test script starts; RMOX_TEST_POSTGRES names it),
// write-and-verify against a faithful and a worn EEPROM, and the faults a database meets: two
// writers, a writer killed mid-write, a full disk, an older schema, an unreachable server.
#include "app/tool_api.h"
#include "ops/transfer.h"
#include "runtime/runtime.h"
#include "runtime/runtime_qt.h"
#include "state/globals.h"
#include "state/panel_controls.h"
#include "support/sim_process.h"
#include "support/text_files.h"
#include "support/tool_fixture.h"
#include "support/tool_probe.h"
#include "workbench/adapters/core_events.h"
#include "workbench/history/history_bar.h"
#include "workbench/history/history_feature.h"
#include "workbench/history/history_schema.h"
#include "workbench/history/history_window.h"
#include "workbench/shared/menu_bar.h"

#include <QApplication>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTreeWidget>
#include <csignal>
#include <memory>
#include <sys/resource.h>

using namespace toolprobe;

namespace {

constexpr Words kSensorSet = {700, 1, 400, 90, 0, 1, 100, 900, 300, 50, 0, 0, 0, 10, 2, 1100};
const char *const kWriterVariable = "RMOX_HISTORY_WRITER";

QString postgres() {
    return qEnvironmentVariable("RMOX_TEST_POSTGRES");
}

// A fresh shared database: the tables of an earlier run are dropped.
bool emptyPostgres(QString *error) {
    HistoryStore store(QStringLiteral("wipe"));
    if (!store.open(postgres())) {
        *error = store.lastError();
        return false;
    }
    QSqlQuery q(QSqlDatabase::database(QStringLiteral("wipe")));
    return q.exec(QStringLiteral("DROP TABLE sessions, sets, reports, schema_version"));
}

SetRecord setOf(const QString &session, unsigned short power) {
    SetRecord set;
    set.id = NewRecordId();
    set.sessionId = session;
    set.at = QDateTime::currentDateTimeUtc();
    set.place = QStringLiteral("RAM");
    set.words = kSensorSet;
    set.words[0] = power;
    return set;
}

int rows(const QString &connection, const QString &table) {
    QSqlQuery q(QSqlDatabase::database(connection));
    return q.exec(QStringLiteral("SELECT COUNT(*) FROM ") + table) && q.next() ? q.value(0).toInt()
                                                                               : -1;
}

// The child a test kills: writes sets to the file RMOX_HISTORY_WRITER names and prints the
// number of each one committed.
int runWriter() {
    HistoryStore store(QStringLiteral("writer"));
    if (!store.open(qEnvironmentVariable(kWriterVariable)))
        return 1;
    const SessionRecord session = NewSession();
    store.addSession(session);
    for (int n = 1;; ++n) {
        if (!store.addSet(setOf(session.id, 700)))
            return 1;
        std::printf("%d\n", n);
        std::fflush(stdout);
    }
}

// What the history bar says.
QString barText(const HistoryFeature &history) {
    return history.bar()->text();
}

} // namespace

class HistoryTest : public QObject {
    Q_OBJECT
    QTemporaryDir dir;
    std::unique_ptr<CoreEvents> core;
    std::unique_ptr<MenuBar> menus;

    std::unique_ptr<HistoryFeature> visit(const QString &location) {
        HistoryOptions options{location, dir.filePath("local.sqlite"), {}};
        auto history = std::make_unique<HistoryFeature>(*core, *menus, options);
        PumpUntil([&] { return !barText(*history).startsWith("Opening"); }, 10000);
        return history;
    }
    // The session ends as at the tool's end; the history closes after its last write.
    void leave(std::unique_ptr<HistoryFeature> &history) {
        emit core->ending();
        history.reset();
    }

  private slots:
    void initTestCase() {
        QVERIFY(dir.isValid());
        core = std::make_unique<CoreEvents>();
        connect(core.get(), &CoreEvents::panelsReady, this,
                [this] { menus = std::make_unique<MenuBar>(); });
        QVERIFY(StartToolPanels());
    }
    void cleanupTestCase() { StopToolPanels(); }

    void twoVisits_data() {
        QTest::addColumn<bool>("shared");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }
    // Visit 1 reads RAM and EEPROM and sends a new Power to EEPROM; the sensor is switched off
    // and on (its RAM starts from EEPROM); visit 2 reads it again.
    void twoVisits() {
        QFETCH(bool, shared);
        QString location = dir.filePath(QStringLiteral("visits.sqlite"));
        if (shared) {
            if (postgres().isEmpty())
                QSKIP("no PostgreSQL server: RMOX_TEST_POSTGRES is not set (scripts/run-tests.sh "
                      "starts one)");
            QString error;
            QVERIFY2(emptyPostgres(&error), qPrintable(error));
            location = postgres();
        }
        const QString tag = QStringLiteral("Line 3 / winder left");
        const QString eeprom = dir.filePath(QStringLiteral("eeprom-%1.dat").arg(shared));
        writeSetFile(eeprom, kSensorSet);

        auto history = visit(location);
        QVERIFY2(barText(*history).startsWith("History kept in"), qPrintable(barText(*history)));
        const QString first = history->session().id;
        QString firstDevice;
        {
            SimProcess sim({"--no-pacing", "--eeprom", eeprom});
            QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
            attach(sim.devicePath());
            firstDevice = sim.devicePath();
            history->setTag(tag);
            history->setTechnician(QStringLiteral("A. Field"));
            ToolChooseTarget(ParamPlace::Eeprom);
            PumpEvents(50);
            CC_BTNGet(panelHandle, MAIN_GET, EVENT_COMMIT, nullptr, 0, 0);
            qobject_cast<QDoubleSpinBox *>(rtControlWidget(panelHandle, MAIN_POWER))->setValue(650);
            CC_BTNSend(panelHandle, MAIN_SEND, EVENT_LEFT_CLICK, nullptr, 0, 0);
            leave(history);
        }
        Words sent = kSensorSet;
        sent[0] = 650;

        history = visit(location);
        SimProcess sim({"--no-pacing", "--eeprom", eeprom});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        QSignalSpy since(history.get(), &HistoryFeature::sinceLastVisitChanged);
        attach(sim.devicePath());
        // The RAM set read equals the EEPROM set visit 1 sent: the tag is proposed.
        QVERIFY(PumpUntil([&] { return !history->tagProposal().isEmpty(); }, 5000));
        QCOMPARE(history->tagProposal(), tag);
        QCOMPARE(history->bar()->tagField()->text(), tag);
        history->bar()->tagField()->setFocus();
        QTest::keyClick(history->bar()->tagField(), Qt::Key_Return);
        QCOMPARE(history->session().tag, tag);
        QVERIFY(PumpUntil([&] { return !since.isEmpty(); }, 5000));
        const QString line = since.last().at(0).toString();
        QVERIFY2(line.startsWith("Changed since the last visit") &&
                     line.endsWith("Power 700 → 650"),
                 qPrintable(line));
        QCOMPARE(history->summary().sinceLastVisit, line);

        const auto sessions = history->keeper().read<QList<SessionRecord>>(
            [&](HistoryStore &s) { return s.sessions(tag); });
        QCOMPARE(sessions.size(), 2);
        QCOMPARE(sessions[1].id, first);
        QVERIFY(sessions[1].ended.isValid());
        QCOMPARE(sessions[1].technician, QString("A. Field"));
        QCOMPARE(sessions[0].technician, QString("A. Field")); // remembered
        QCOMPARE(sessions[1].port, firstDevice);

        const auto sets = history->keeper().read<QList<SetRecord>>(
            [&](HistoryStore &s) { return s.sets(first); });
        QVERIFY(sets.size() >= 3);
        const SetRecord &last = sets.last();
        QCOMPARE(last.place, QString("EEPROM"));
        QVERIFY(last.sent);
        QCOMPARE(last.check, SetCheck::Unconfirmed);
        QCOMPARE(Words(last.words), sent);
        QCOMPARE(sets[sets.size() - 2].place, QString("EEPROM"));
        QCOMPARE(Words(sets[sets.size() - 2].words), kSensorSet);

        const auto trail = history->keeper().read<QList<AuditChange>>(
            [&](HistoryStore &s) { return s.auditTrail(tag); });
        QCOMPARE(trail.size(), 2);
        QCOMPARE(trail[0].sessionId, first);
        QCOMPARE(trail[0].place, QString("EEPROM"));
        QVERIFY(trail[0].sent);
        QCOMPARE(trail[1].sessionId, history->session().id);
        QCOMPARE(trail[1].place, QString("RAM"));
        QVERIFY(!trail[1].sent);
        for (const AuditChange &c : trail) {
            QCOMPARE(c.word, 0);
            QCOMPARE(c.from, 700);
            QCOMPARE(c.to, 650);
        }

        // The window lists the sensor and both visits; two kept sets go to the compare view.
        HistoryWindow *window = history->showWindow();
        QCOMPARE(window->sensors()->topLevelItem(0)->text(0), tag);
        QCOMPARE(window->timeline()->topLevelItemCount(), 2);
        QCOMPARE(window->audit()->topLevelItemCount(), 2);
        QSignalSpy compared(history.get(), &HistoryFeature::compareWanted);
        QTreeWidgetItem *visit1 = window->timeline()->topLevelItem(1);
        QTreeWidgetItem *read = visit1->child(visit1->childCount() - 2);
        read->setSelected(true);
        visit1->child(visit1->childCount() - 1)->setSelected(true);
        window->compareChosen();
        QCOMPARE(compared.size(), 1);
        const auto kept = compared.last().at(0).value<QList<KeptSet>>();
        QCOMPARE(kept.size(), 2);
        QCOMPARE(Words(kept[0].words), kSensorSet);
        QCOMPARE(Words(kept[1].words), sent);
        QCOMPARE(kept[1].state, QString("sent, unconfirmed"));
        if (!shared && qEnvironmentVariableIsSet("RMOX_WRITE_SCREENSHOTS")) {
            const QString docs = qEnvironmentVariable("RMOX_SOURCE_DIR") + "/docs/";
            QVERIFY(window->grab().save(docs + "service-history.png"));
        }
        // Visit 1's EEPROM set as read goes on the panels; the sensor keeps its own.
        visit1->child(visit1->childCount() - 1)->setSelected(false);
        window->loadChosen();
        QVERIFY(PumpUntil([] { return panelWords() == kSensorSet; }, 2000));
        QCOMPARE(variables()[0], 650);
        leave(history);
    }

    void writeAndVerify_data() {
        QTest::addColumn<QStringList>("fault");
        QTest::addColumn<QList<int>>("differing");
        QTest::newRow("faithful EEPROM") << QStringList() << QList<int>();
        QTest::newRow("worn word 2") << QStringList{"--corrupt-eeprom", "2"} << QList<int>{2};
    }
    // Send then Get as the user's clicks; a backup reads RAM and EEPROM and writes the file.
    void writeAndVerify() {
        QFETCH(QStringList, fault);
        QFETCH(QList<int>, differing);
        SimProcess sim(QStringList{"--no-pacing"} + fault);
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        auto history = visit(dir.filePath(QStringLiteral("verify.sqlite")));
        attach(sim.devicePath());
        ToolChooseTarget(ParamPlace::Eeprom);
        PumpEvents(50);
        qobject_cast<QDoubleSpinBox *>(rtControlWidget(panelHandle, MAIN_VIDEOTHRESHOLD))
            ->setValue(420);
        QSignalSpy checks(history.get(), &HistoryFeature::checksChanged);
        QVERIFY(history->writeAndVerify());
        QVERIFY(PumpUntil([&] { return !checks.isEmpty(); }, 10000));
        const QString outcome = checks.last().at(0).toStringList().last();
        const QString id = history->session().id;
        const auto sets =
            history->keeper().read<QList<SetRecord>>([&](HistoryStore &s) { return s.sets(id); });
        const auto sent =
            std::find_if(sets.begin(), sets.end(), [](const SetRecord &r) { return r.sent; });
        QVERIFY(sent != sets.end());
        QCOMPARE(sent->purpose, QString("verify"));
        QCOMPARE(sent->differing, differing);
        if (differing.isEmpty()) {
            QVERIFY2(outcome.endsWith("EEPROM verified: it holds the set sent"),
                     qPrintable(outcome));
            QCOMPARE(sent->check, SetCheck::Verified);
        } else {
            QVERIFY2(outcome.contains("EEPROM read back different") &&
                         outcome.endsWith("Video threshold 420 → 421"),
                     qPrintable(outcome));
            QCOMPARE(sent->check, SetCheck::Differs);
            return;
        }

        const QString file = dir.filePath(QStringLiteral("backup.dat"));
        QVERIFY(history->backUpSensor(file));
        QVERIFY(PumpUntil([&] { return checks.size() == 2; }, 10000));
        QVERIFY2(checks.last().at(0).toStringList().last().contains("written to " + file),
                 qPrintable(checks.last().at(0).toStringList().last()));
        QCOMPARE(ToolStorageTarget(), ParamPlace::Eeprom);
        QByteArray expected;
        for (unsigned short w : sent->words)
            expected += QByteArray::number(w) + '\n';
        QCOMPARE(ContentOf(file), expected);
        const auto backup =
            history->keeper().read<QList<SetRecord>>([&](HistoryStore &s) { return s.sets(id); });
        QStringList places;
        for (const SetRecord &r : backup)
            if (r.purpose == QLatin1String("backup"))
                places << r.place;
        QCOMPARE(places, QStringList({"RAM", "EEPROM"}));
        leave(history);
    }

    // Two instances append at once: every record arrives.
    void twoWritersLoseNothing() {
        const QString path = dir.filePath(QStringLiteral("two.sqlite"));
        constexpr int kEach = 150;
        const auto writer = [&](const QString &name, QString *error) {
            HistoryStore store(name);
            bool ok = store.open(path);
            const SessionRecord session = NewSession();
            ok = ok && store.addSession(session);
            for (int i = 0; i < kEach && ok; ++i)
                ok = store.addSet(setOf(session.id, 700));
            *error = ok ? QString() : store.lastError();
        };
        QString error1 = "not run", error2 = "not run";
        std::unique_ptr<QThread> a(QThread::create(writer, QStringLiteral("a"), &error1));
        std::unique_ptr<QThread> b(QThread::create(writer, QStringLiteral("b"), &error2));
        a->start();
        b->start();
        QVERIFY(a->wait(120000) && b->wait(120000));
        QVERIFY2(error1.isEmpty() && error2.isEmpty(), qPrintable(error1 + " / " + error2));
        HistoryStore check(QStringLiteral("check"));
        QVERIFY(check.open(path));
        QCOMPARE(rows(QStringLiteral("check"), QStringLiteral("sets")), 2 * kEach);
    }

    // A writer killed at any moment leaves every committed record and a sound file.
    void killedWriterLosesAtMostOne() {
        const QString path = dir.filePath(QStringLiteral("killed.sqlite"));
        QProcess writer;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kWriterVariable, path);
        writer.setProcessEnvironment(env);
        writer.start(QCoreApplication::applicationFilePath(), {});
        QVERIFY(writer.waitForStarted());
        QByteArray out;
        QVERIFY(PumpUntil(
            [&] {
                writer.waitForReadyRead(50);
                out += writer.readAllStandardOutput();
                return out.count('\n') >= 40;
            },
            60000));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        out += writer.readAllStandardOutput();
        const int acknowledged = out.trimmed().split('\n').last().toInt();
        HistoryStore check(QStringLiteral("killed"));
        QVERIFY2(check.open(path), qPrintable(check.lastError()));
        const int kept = rows(QStringLiteral("killed"), QStringLiteral("sets"));
        QVERIFY2(
            kept == acknowledged || kept == acknowledged + 1,
            qPrintable(QStringLiteral("%1 acknowledged, %2 kept").arg(acknowledged).arg(kept)));
        QSqlQuery q(QSqlDatabase::database(QStringLiteral("killed")));
        QVERIFY(q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next());
        QCOMPARE(q.value(0).toString(), QString("ok"));
    }

    // A full disk and a folder that cannot be made: the tool works on and says so once.
    void notKeptSaysSoOnce() {
        SimProcess sim({"--no-pacing"});
        QVERIFY2(sim.isRunning(), qPrintable(sim.errorString()));
        WriteContent(dir.filePath(QStringLiteral("a-file")), "x");
        auto history = visit(dir.filePath(QStringLiteral("a-file/history.sqlite")));
        QVERIFY2(barText(*history).startsWith("The service history is not being kept: cannot make "
                                              "the folder"),
                 qPrintable(barText(*history)));
        leave(history);

        history = visit(dir.filePath(QStringLiteral("full.sqlite")));
        QVERIFY2(barText(*history).startsWith("History kept in"), qPrintable(barText(*history)));
        attach(sim.devicePath());
        rlimit old{};
        getrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = old;
        small.rlim_cur = 64 * 1024;
        setrlimit(RLIMIT_FSIZE, &small);
        QSignalSpy notKept(&history->keeper(), &HistoryKeeper::notKept);
        for (int i = 0; i < 400 && notKept.isEmpty(); ++i) {
            getFromRam();
            history->keeper().read<bool>([](HistoryStore &) { return true; });
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!notKept.isEmpty());
        QVERIFY(PumpUntil([&] { return barText(*history).contains("not being kept"); }, 2000));
        const QString told = barText(*history);
        QVERIFY2(told.startsWith("The service history is not being kept: "), qPrintable(told));
        getFromRam();
        QCOMPARE(StatusText(), QString("Parameter-frame received! - Line Ok!"));
        history->setTag(QStringLiteral("later"));
        QCOMPARE(barText(*history), told);
        leave(history);
    }

    // A database of the first version takes the reports' table and keeps what it held.
    void olderSchemaMigrated() {
        const QString path = dir.filePath(QStringLiteral("old.sqlite"));
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "old");
            db.setDatabaseName(path);
            QVERIFY(db.open());
            QString error;
            QVERIFY2(MigrateHistorySchema(db, &error, 1), qPrintable(error));
            QCOMPARE(HistorySchemaVersion(db), 1);
            QVERIFY(!db.tables().contains(QStringLiteral("reports")));
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("INSERT INTO sessions VALUES ('s1', "
                                          "'2025-01-02T03:04:05.000Z', '', 'rmox-sensor-tool "
                                          "0.9', '/dev/ttyUSB0', '', '', 'B', 'Press 2', '')")));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
        HistoryStore store(QStringLiteral("migrated"));
        QVERIFY2(store.open(path), qPrintable(store.lastError()));
        QCOMPARE(HistorySchemaVersion(QSqlDatabase::database(QStringLiteral("migrated"))),
                 kHistorySchemaVersion);
        QCOMPARE(store.sessions(QStringLiteral("Press 2")).size(), 1);
        QVERIFY(
            store.addReport({NewRecordId(), "s1", QDateTime::currentDateTimeUtc(), "r.pdf", "00"}));
        QCOMPARE(store.reports(QStringLiteral("s1")).size(), 1);
    }

    // An unreachable server: the session is kept locally, and an upload merges it by key.
    void unreachableThenUploaded() {
        const QString local = dir.filePath(QStringLiteral("local.sqlite"));
        QFile::remove(local);
        auto history = visit(QStringLiteral("postgresql://nobody@127.0.0.1:1/none"));
        QVERIFY2(barText(*history).startsWith("The shared history cannot be reached") &&
                     barText(*history).contains(local),
                 qPrintable(barText(*history)));
        history->setTag(QStringLiteral("Press 7"));
        if (postgres().isEmpty()) {
            leave(history);
            QSKIP("no PostgreSQL server for the upload: RMOX_TEST_POSTGRES is not set");
        }
        const QString first = history->uploadLocalHistory(postgres());
        QVERIFY2(first.contains("records uploaded"), qPrintable(first));
        const QString again = history->uploadLocalHistory(postgres());
        QVERIFY2(again.endsWith("holds every local record already"), qPrintable(again));
        HistoryStore shared(QStringLiteral("shared"));
        QVERIFY(shared.open(postgres()));
        const QList<SessionRecord> sessions = shared.sessions(QStringLiteral("Press 7"));
        QCOMPARE(sessions.size(), 1);
        QCOMPARE(sessions[0].id, history->session().id);
        leave(history);
    }
};

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsSet(kWriterVariable)) {
        QCoreApplication app(argc, argv);
        return runWriter();
    }
    QApplication app(argc, argv);
    HistoryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_workbench_history.moc"
