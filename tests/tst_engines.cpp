// The data layer on both engines: a SQLite file, and a database on a PostgreSQL server shared by
// several users.
#include "DelayProxy.h"
#include "Engines.h"
#include "TestServer.h"
#include "data/ChangeWatch.h"
#include "data/CompanyTable.h"
#include "data/Dialect.h"
#include "data/DrillChange.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/EvaluationTable.h"
#include "data/PrintDrillsTable.h"
#include "data/PrintEvalTable.h"
#include "data/ReportTable.h"
#include "data/Schema.h"
#include "data/ShipTableModel.h"
#include "data/YearRows.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

#include <functional>
#include <numeric>
#include <thread>

namespace {

using Engine = DatabaseLocation::Engine;

QVariant scalar(const DrillDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db.connection());
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec() && query.next() ? query.value(0) : QVariant();
}

bool addShips(DrillDatabase& db, const QStringList& names)
{
    return db.inTransaction([&] {
        QSqlQuery query(db.connection());
        query.prepare(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"));
        for (const QString& name : names) {
            query.addBindValue(name);
            if (!query.exec())
                return false;
        }
        return true;
    });
}

// Gives the database one ship, MV Alpha, with its row of 2026, and reads that year into each
// source.
bool oneShipsYear(DrillDatabase& db, std::initializer_list<DrillDataSource*> years)
{
    if (!addShips(db, {QStringLiteral("MV Alpha")}) || YearRows::addMissing(db, 2026) != 1)
        return false;
    for (DrillDataSource* year : years) {
        year->setYear(2026);
        if (!year->refresh())
            return false;
    }
    return true;
}

QStringList shipNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("MV Ship %1").arg(i, 4, 10, QLatin1Char('0'));
    return names;
}

// Runs `work` on `count` threads at once, each with a connection of its own to the location.
// The results of the threads, or the failure of an open.
template <typename Work>
QList<int> onConnectionsAtOnce(const DatabaseLocation& location, int count, Work work)
{
    QList<int> results(count, -1);
    std::atomic_int ready{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < count; ++i) {
        threads.emplace_back([&, i] {
            DrillDatabase db(location);
            const bool opened = db.open().isEmpty();
            ++ready;
            while (ready < count)
                std::this_thread::yield();
            if (opened)
                results[i] = work(db, i);
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    return results;
}

// Works on the database through a connection of its own, as an administrator would.
bool onServerDirectly(const DatabaseLocation& at, const std::function<bool(QSqlDatabase&)>& work)
{
    bool done = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "direct");
        db.setHostName(at.host);
        db.setUserName(at.user);
        db.setDatabaseName(at.database);
        done = db.open() && work(db);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("direct"));
    return done;
}

QStringList serverObjects(const DatabaseLocation& at)
{
    QStringList names;
    onServerDirectly(at, [&](QSqlDatabase& db) {
        QSqlQuery query(Dialect::of(Engine::Postgres).listObjects(), db);
        while (query.next())
            names << query.value(0).toString();
        return true;
    });
    names.sort();
    return names;
}

} // namespace

class TestEngines : public QObject
{
    Q_OBJECT

private slots:
    void locationsAreReadAsLibpqWritesThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("parts"); // host, port, user, database; or the file
        const auto server = [](const char* host, const char* port, const char* user,
                               const char* database) {
            return QStringList{host, port, user, database};
        };
        QTest::newRow("file") << "/srv/fleet/ORXmanager97.mdb"
                              << QStringList{"/srv/fleet/ORXmanager97.mdb"};
        QTest::newRow("full URL") << "postgresql://planner@db.office:5433/fleet"
                                  << server("db.office", "5433", "planner", "fleet");
        QTest::newRow("short scheme, defaults")
            << "postgres://db.office" << server("db.office", "0", "", "");
        QTest::newRow("socket as parameter") << "postgresql://planner@/fleet?host=/run/postgresql"
                                             << server("/run/postgresql", "0", "planner", "fleet");
        QTest::newRow("socket encoded") << "postgresql://%2Frun%2Fpostgresql/my%20fleet"
                                        << server("/run/postgresql", "0", "", "my fleet");
        QTest::newRow("IPv6") << "postgresql://[::1]:5432/fleet"
                              << server("::1", "5432", "", "fleet");
        QTest::newRow("key=value") << "host=/tmp/s dbname='O\\'Brien fleet' user = planner"
                                   << server("/tmp/s", "0", "planner", "O'Brien fleet");
        QTest::newRow("password in URL")
            << "postgresql://planner:secret@db/fleet" << QStringList{"password"};
        QTest::newRow("password parameter")
            << "postgresql://db/fleet?colour=blue&password=secret" << QStringList{"password"};
        QTest::newRow("password keyword") << "host=db password=secret" << QStringList{"password"};
        QTest::newRow("bad port") << "postgresql://db:99999/fleet" << QStringList{"port"};
        QTest::newRow("unknown setting")
            << "postgresql://db/fleet?colour=blue" << QStringList{"colour"};
    }
    void locationsAreReadAsLibpqWritesThem()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, parts);
        QString problem;
        const auto location = DatabaseLocation::parse(text, &problem);
        if (parts.size() == 1 && !text.startsWith(QLatin1Char('/'))) {
            QVERIFY(!location);
            QVERIFY2(problem.contains(parts.first()), qPrintable(problem));
            QVERIFY(!problem.contains(QLatin1String("secret")));
            return;
        }
        QVERIFY2(location, qPrintable(problem));
        if (parts.size() == 1) {
            QCOMPARE(location->engine, Engine::Sqlite);
            QCOMPARE(location->filePath, parts.first());
            return;
        }
        QCOMPARE(location->engine, Engine::Postgres);
        const QStringList got = {location->host, QString::number(location->port), location->user,
                                 location->database};
        QCOMPARE(got, parts);
        // What the program shows names the same place.
        const auto again = DatabaseLocation::parse(location->display(), &problem);
        QVERIFY2(again, qPrintable(location->display()));
        QCOMPARE(
            (QStringList{again->host, QString::number(again->port), again->user, again->database}),
            parts);
    }

    void firstStartCreatesTheSchemaAndTheNextKeepsIt_data() { Engines::addRows(); }
    void firstStartCreatesTheSchemaAndTheNextKeepsIt()
    {
        FRESH_LOCATION(fresh);
        {
            DrillDatabase db(fresh.location());
            OPEN(db);
            QCOMPARE(scalar(db, db.dialect().readVersion()).toInt(), Schema::Version);
            QSqlQuery query(db.connection());
            QVERIFY(query.exec(QStringLiteral("SELECT * FROM QuDrills WHERE YearDrill = 0")));
            const QStringList expected = {"IDDrill",    "IDShip",    "ShipName", "Drill Date",
                                          "Done Date",  "CompEval",  "Master",   "Drill Date1",
                                          "Done Date1", "CompEval1", "Master1",  "YearDrill"};
            QCOMPARE(query.record().count(), expected.size());
            for (int i = 0; i < expected.size(); ++i)
                QCOMPARE(query.record().fieldName(i).toLower(), expected.at(i).toLower());
            for (const char* name : {"Evaluation", "QuEvaluations", "PrintDrills", "PrintEval"})
                QVERIFY2(query.exec(QStringLiteral("SELECT * FROM %1").arg(name)), name);
            QCOMPARE(CompanyTable(db).name(), std::optional(QString()));
            QVERIFY(addShips(db, {QStringLiteral("O'Brien Star")}));
        }
        DrillDatabase again(fresh.location());
        OPEN(again);
        QCOMPARE(scalar(again, QStringLiteral("SELECT ShipName FROM Ships")).toString(),
                 QStringLiteral("O'Brien Star"));
        QCOMPARE(scalar(again, QStringLiteral("SELECT COUNT(*) FROM Company")).toInt(), 1);
    }

    // Functions made by an older version looked their tables up by the caller's path; the first
    // start of this version makes them anew, each looking only in the program's schema.
    void anOlderServerGetsFunctionsThatLookOnlyInItsSchema()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        const QString every = QStringLiteral(
            "SELECT p.proname, coalesce(array_to_string(p.proconfig, ','), '') FROM pg_proc p "
            "JOIN pg_namespace n ON n.oid = p.pronamespace WHERE n.nspname = 'public' AND "
            "p.proname LIKE 'orx%'");
        // The functions the query finds, less those pinned to the program's schema.
        const auto unpinned = [&](const QString& functions, int* count) {
            DrillDatabase db(fresh.location());
            QStringList found;
            QSqlQuery query(db.open().isEmpty() ? db.connection() : QSqlDatabase());
            for (query.exec(functions); query.next(); ++*count) {
                if (query.value(1).toString() != QLatin1String("search_path=public, pg_temp"))
                    found << query.value(0).toString();
            }
            return found;
        };
        int functions = 0;
        // A new server's functions, the writes among them, are pinned from the start.
        QCOMPARE(unpinned(every, &functions), QStringList());
        QVERIFY(onServerDirectly(fresh.location(), [&](QSqlDatabase& db) {
            QSqlQuery query(db);
            return query.exec(QStringLiteral(
                       "DO $$ DECLARE f regprocedure; BEGIN FOR f IN SELECT oid::regprocedure "
                       "FROM pg_proc WHERE proname LIKE 'orx%' LOOP EXECUTE format('ALTER "
                       "FUNCTION %s RESET search_path', f); END LOOP; END $$")) &&
                   query.exec(QStringLiteral("UPDATE OrxSchema SET Version = 3"));
        }));
        // The writes, which another role may own, are not made anew; an older server had no
        // evaluation write at all.
        functions = 0;
        QCOMPARE(unpinned(every + QStringLiteral(" AND p.proname NOT IN ('orx_write_drill_field', "
                                                 "'orx_write_drill_evaluation')"),
                          &functions),
                 QStringList());
        QVERIFY(functions > 10);
    }

    // A statement the server stops for taking too long is told as such, with what to do.
    void aStatementStoppedForTakingTooLongSaysSo()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase db(fresh.location());
        OPEN(db);
        QSqlQuery query(db.connection());
        QVERIFY(query.exec(QStringLiteral("SET statement_timeout = 50")));
        QVERIFY(!query.exec(QStringLiteral("SELECT pg_sleep(2)")));
        const QString sentence = DataFailure::of(query.lastError()).sentence();
        QVERIFY2(sentence.contains(QLatin1String("took too long")) &&
                     sentence.contains(QLatin1String("try again")) &&
                     !sentence.contains(QLatin1String("canceling statement")),
                 qPrintable(sentence));
    }

    // Two programs starting at the same moment on an empty server database.
    void twoFirstStartsAtOnceMakeOneSchema()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        const QList<int> opened =
            onConnectionsAtOnce(fresh.location(), 4, [](DrillDatabase&, int) { return 1; });
        QCOMPARE(opened, QList<int>(4, 1));
        DrillDatabase db(fresh.location());
        OPEN(db);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM OrxSchema")).toInt(), 1);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Company")).toInt(), 1);
    }

    // Each user's program holds its own copy of the year; an edit must not write back the
    // fields it did not change.
    void editsOfOneRowWriteOnlyTheirOwnField_data() { Engines::addRows(); }
    void editsOfOneRowWriteOnlyTheirOwnField()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase first(fresh.location());
        DrillDatabase second(fresh.location());
        OPEN(first);
        OPEN(second);
        DrillDataSource mine(first);
        DrillDataSource theirs(second);
        QVERIFY(oneShipsYear(first, {&mine, &theirs}));
        QVERIFY(mine.write(DrillChange::of(mine.records().at(0), DrillDataSource::DrillDate,
                                           QStringLiteral("2026-03-05")))
                    .stored());
        QVERIFY(theirs
                    .write(DrillChange::of(theirs.records().at(0), DrillDataSource::Master,
                                           QStringLiteral("O'Brien")))
                    .stored());
        QVERIFY(mine.write(DrillChange::of(mine.records().at(0), DrillDataSource::CompEval1,
                                           QStringLiteral("85")))
                    .stored());
        QVERIFY(theirs.refresh());
        const DrillRecord& row = theirs.records().first();
        QCOMPARE(row.stored(DrillDataSource::Master), QStringLiteral("O'Brien"));
        QCOMPARE(row.stored(DrillDataSource::CompEval1), QStringLiteral("85"));
        QCOMPARE(scalar(second, QStringLiteral("SELECT \"Drill Date\" FROM Drills")).toString(),
                 QStringLiteral("2026-03-05"));

        // A row another user deleted is not reported as stored.
        QSqlQuery(QStringLiteral("DELETE FROM Drills"), second.connection());
        QVERIFY(!mine.write(DrillChange::of(mine.records().at(0), DrillDataSource::Master1,
                                            QStringLiteral("Late")))
                     .stored());
    }

    // Two users start from the same value: the first write lands, the second is refused and
    // told what is stored now, the same value twice is no conflict, and a lock held by a third
    // is waited for within the limit, the user told before the wait begins.
    void aWriteLandsOnlyOnTheValueItStartedFrom_data() { Engines::addRows(); }
    void aWriteLandsOnlyOnTheValueItStartedFrom()
    {
        using Outcome = DrillWriteResult::Outcome;
        FRESH_LOCATION(fresh);
        DrillDatabase first(fresh.location());
        DrillDatabase second(fresh.location());
        DrillDatabase holder(fresh.location());
        OPEN(first);
        OPEN(second);
        OPEN(holder);
        DrillDataSource mine(first);
        DrillDataSource theirs(second);
        QVERIFY(oneShipsYear(first, {&mine, &theirs}));
        const auto change = [](DrillDataSource& year, const char* value) {
            return DrillChange::of(year.records().at(0), DrillRecord::Master,
                                   QString::fromUtf8(value));
        };
        const DrillChange stale = change(theirs, "By them");
        QCOMPARE(mine.write(change(mine, "By me")).outcome, Outcome::Written);
        const DrillWriteResult refused = theirs.write(stale);
        QCOMPARE(refused.outcome, Outcome::Conflict);
        QCOMPARE(refused.storedNow, QStringLiteral("By me"));
        QCOMPARE(theirs.records().at(0).stored(DrillRecord::Master), QStringLiteral("By me"));
        QCOMPARE(scalar(holder, QStringLiteral("SELECT Master FROM Drills")).toString(),
                 QStringLiteral("By me"));
        DrillChange same = stale;
        same.value = QStringLiteral("By me");
        QCOMPARE(theirs.write(same).outcome, Outcome::Unchanged);

        QSqlQuery lock(holder.connection());
        const bool server = fresh.location().engine == Engine::Postgres;
        QVERIFY(lock.exec(server ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN EXCLUSIVE")));
        QVERIFY(!server || lock.exec(QStringLiteral("UPDATE Drills SET Master = Master")));
        int toldWaiting = 0;
        QElapsedTimer clock;
        clock.start();
        const DrillWriteResult busy =
            theirs.write(change(theirs, "Waited"), {}, [&] { ++toldWaiting; });
        QCOMPARE(busy.outcome, Outcome::Busy);
        QCOMPARE(toldWaiting, 1);
        QVERIFY(clock.elapsed() < DrillDataSource::lockWaitLimit().count() + 1000);
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        QCOMPARE(theirs.write(change(theirs, "Waited")).outcome, Outcome::Written);
    }

    void yearRowsAreMadeOncePerShipWhenTwoUsersShowTheYearAtOnce_data() { Engines::addRows(); }
    void yearRowsAreMadeOncePerShipWhenTwoUsersShowTheYearAtOnce()
    {
        FRESH_LOCATION(fresh);
        constexpr int Ships = 300;
        {
            DrillDatabase db(fresh.location());
            OPEN(db);
            QVERIFY(addShips(db, shipNames(Ships)));
        }
        const QList<int> added =
            onConnectionsAtOnce(fresh.location(), 4, [](DrillDatabase& db, int) {
                return YearRows::addMissing(db, 2026);
            });
        for (int count : added)
            QVERIFY2(count >= 0, "a user's program was refused");
        QCOMPARE(std::accumulate(added.begin(), added.end(), 0), Ships);

        DrillDatabase db(fresh.location());
        OPEN(db);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Drills")).toInt(), Ships);
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(DISTINCT IDShip) FROM Drills")).toInt(),
                 Ships);
        // A ship added later gets its row, and only it.
        QVERIFY(addShips(db, {QStringLiteral("MV Late")}));
        QCOMPARE(YearRows::addMissing(db, 2026), 1);
        QCOMPARE(YearRows::addMissing(db, 2026), 0);
    }

    // What an open window needs to show other users' edits within two seconds.
    void otherUsersChangesAreToldAndOwnAreNot_data() { Engines::addRows(); }
    void otherUsersChangesAreToldAndOwnAreNot()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase mine(fresh.location());
        DrillDatabase theirs(fresh.location());
        OPEN(mine);
        OPEN(theirs);
        QVERIFY(addShips(mine, {QStringLiteral("MV Alpha")}));
        QCOMPARE(YearRows::addMissing(mine, 2026), 1);
        ChangeWatch watch(mine, std::chrono::milliseconds(50));
        QVERIFY(watch.start());
        QSignalSpy told(&watch, &ChangeWatch::changed);
        QSignalSpy toldDrill(&watch, &ChangeWatch::drillsChanged);

        DrillDataSource myYear(mine);
        DrillDataSource theirYear(theirs);
        for (DrillDataSource* year : {&myYear, &theirYear}) {
            year->setYear(2026);
            QVERIFY(year->refresh());
        }
        QVERIFY(myYear
                    .write(DrillChange::of(myYear.records().at(0), DrillDataSource::Master,
                                           QStringLiteral("Mine")))
                    .stored());
        QTest::qWait(300);
        QCOMPARE(told.count() + toldDrill.count(), 0);

        QVERIFY(theirYear
                    .write(DrillChange::of(theirYear.records().at(0), DrillDataSource::Master1,
                                           QStringLiteral("Theirs")))
                    .stored());
        QTRY_VERIFY_WITH_TIMEOUT(told.count() + toldDrill.count() >= 1, 2000);
        // A server names the edited drill, so that only it is read again.
        const qint64 edited = myYear.records().at(0).idDrill;
        if (mine.location().engine == Engine::Postgres)
            QCOMPARE(toldDrill.value(0).value(0).value<QList<qint64>>(), QList<qint64>{edited});
        QSignalSpy reread(&myYear, &DrillDataSource::recordRefreshed);
        myYear.refreshDrills({edited, edited + 1000});
        QCOMPARE(reread.count(), 1);
        QCOMPARE(myYear.records().at(0).stored(DrillDataSource::Master1), QStringLiteral("Theirs"));
        told.clear();
        QVERIFY(addShips(theirs, {QStringLiteral("MV Bravo")}));
        QTRY_VERIFY_WITH_TIMEOUT(told.count() >= 1, 2000);
    }

    // The server ends the connection under the program (a restart, a network cut): the edit is
    // refused and said so, and the program can connect again and go on.
    void aLostServerConnectionIsToldAndCanBeMadeAgain()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase mine(fresh.location());
        DrillDatabase admin(fresh.location());
        OPEN(mine);
        OPEN(admin);
        QVERIFY(addShips(mine, {QStringLiteral("MV Alpha")}));
        QCOMPARE(YearRows::addMissing(mine, 2026), 1);
        DrillDataSource year(mine);
        year.setYear(2026);
        QVERIFY(year.refresh());
        const QVariant backend = scalar(mine, QStringLiteral("SELECT pg_backend_pid()"));
        QVERIFY(
            scalar(admin, QStringLiteral("SELECT pg_terminate_backend(?)"), {backend}).toBool());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Writing a drill field failed"));
        const auto lost = year.write(
            DrillChange::of(year.records().at(0), DrillDataSource::Master, QStringLiteral("Lost")));
        QCOMPARE(lost.outcome, DrillWriteResult::Outcome::ConnectionLost);
        QVERIFY(!lost.failure.text.isEmpty());
        QVERIFY(!mine.isAlive());

        QCOMPARE(mine.reconnect(), QString());
        QVERIFY(mine.isAlive());
        QVERIFY(year.write(DrillChange::of(year.records().at(0), DrillDataSource::Master,
                                           QStringLiteral("Kept")))
                    .stored());
        QCOMPARE(scalar(admin, QStringLiteral("SELECT Master FROM Drills")).toString(),
                 QStringLiteral("Kept"));
        // The connection's own report tables are back.
        QVERIFY(PrintDrillsTable::refill(mine, 2026, QStringLiteral("HBQ"),
                                         QDateTime::currentDateTime()));
    }

    // Another user holds the drills locked (an open transaction in psql): an edit waits no
    // longer than the limit, and is refused as busy, not as a failure of the database.
    void anEditWaitsForALockOnlyUpToTheLimit()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase mine(fresh.location(), std::chrono::seconds(1));
        OPEN(mine);
        QVERIFY(addShips(mine, {QStringLiteral("MV Alpha")}));
        QCOMPARE(YearRows::addMissing(mine, 2026), 1);
        DrillDataSource year(mine);
        year.setYear(2026);
        QVERIFY(year.refresh());
        QVERIFY(onServerDirectly(fresh.location(), [&](QSqlDatabase& locker) {
            QSqlQuery query(locker);
            // Whatever happens here, the lock is gone after a while.
            query.exec(QStringLiteral("SET idle_in_transaction_session_timeout = '6s'"));
            if (!locker.transaction() ||
                !query.exec(QStringLiteral("LOCK TABLE drills IN EXCLUSIVE MODE")))
                return false;
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Writing a drill field failed"));
            QElapsedTimer waited;
            waited.start();
            const auto written = year.write(DrillChange::of(
                year.records().at(0), DrillDataSource::Master, QStringLiteral("X")));
            const qint64 elapsed = waited.elapsed();
            locker.rollback();
            // One bounded wait for the whole write, and a little for the rollback.
            return written.outcome == DrillWriteResult::Outcome::Busy &&
                   elapsed < DrillDataSource::lockWaitLimit().count() + 2000;
        }));
        QVERIFY(scalar(mine, QStringLiteral("SELECT Master FROM Drills")).isNull());
    }

    // Another tool left an empty text where the program keeps nothing: the user saw an empty
    // field, and their edit lands on it.
    void anEditLandsOnAnEmptyTextAsOnNothing_data() { Engines::addRows(); }
    void anEditLandsOnAnEmptyTextAsOnNothing()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        QVERIFY(addShips(db, {QStringLiteral("MV Alpha")}));
        QCOMPARE(YearRows::addMissing(db, 2026), 1);
        QVERIFY(QSqlQuery(db.connection()).exec(QStringLiteral("UPDATE Drills SET Master = ''")));
        DrillDataSource year(db);
        year.setYear(2026);
        QVERIFY(year.refresh());
        const auto written = year.write(
            DrillChange::of(year.records().at(0), DrillRecord::Master, QStringLiteral("Mine")));
        QCOMPARE(written.outcome, DrillWriteResult::Outcome::Written);
        QCOMPARE(scalar(db, QStringLiteral("SELECT Master FROM Drills")).toString(),
                 QStringLiteral("Mine"));
    }

    // Each record holds its own row's values as stored: text in any script, nothing, and
    // numbers; read with the year, and read again alone.
    void everyRecordIsReadAsStored_data() { Engines::addRows(); }
    void everyRecordIsReadAsStored()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        const QStringList names = {QStringLiteral("MV Alpha"), QStringLiteral("Αθηνά ⚓ 𝔄")};
        QVERIFY(addShips(db, names));
        QCOMPARE(YearRows::addMissing(db, 2026), 2);
        QVERIFY(QSqlQuery(db.connection())
                    .exec(QStringLiteral("UPDATE Drills SET Master = ShipName || ' Ø', "
                                         "CompEval1 = '' WHERE ShipName <> 'MV Alpha'")));
        DrillDataSource year(db);
        year.setYear(2026);
        QVERIFY(year.refresh());
        QCOMPARE(year.recordCount(), 2);
        for (const DrillRecord& record : year.records()) {
            const bool second = record.shipName == names.at(1);
            QCOMPARE(record.stored(DrillRecord::Master),
                     second ? names.at(1) + QStringLiteral(" Ø") : QString());
            QCOMPARE(record.stored(DrillRecord::CompEval1), QString());
            QCOMPARE(record.year, 2026);
            QSqlQuery keys(db.connection());
            keys.prepare(QStringLiteral("SELECT IDDrill, IDShip FROM Drills WHERE ShipName = ?"));
            keys.addBindValue(record.shipName);
            QVERIFY(keys.exec() && keys.next());
            QCOMPARE(record.idDrill, keys.value(0).toLongLong());
            QCOMPARE(record.idShip, keys.value(1).toLongLong());
        }
        QSqlQuery(QStringLiteral("UPDATE Drills SET Master1 = 'Again'"), db.connection());
        year.refreshDrills({year.records().at(1).idDrill});
        QCOMPARE(year.records().at(1).stored(DrillRecord::Master1), QStringLiteral("Again"));
        QCOMPARE(year.records().at(1).shipName, names.at(1));
    }

    // At a distance every round trip costs: an edit is one, whether it lands or meets another
    // user's value, and a second only when it meets a lock (let go here once the user is told).
    void anEditIsOneRoundTripToTheServer()
    {
        using Outcome = DrillWriteResult::Outcome;
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase near(fresh.location());
        OPEN(near);
        QVERIFY(addShips(near, {QStringLiteral("MV Alpha")}));
        QCOMPARE(YearRows::addMissing(near, 2026), 1);
        DelayProxy network(TestServer::instance().socketFolder() + QStringLiteral("/.s.PGSQL.5432"),
                           std::chrono::milliseconds(0));
        DatabaseLocation at = fresh.location();
        at.host = QStringLiteral("127.0.0.1");
        at.port = network.port();
        DrillDatabase far(at);
        OPEN(far);
        DrillDataSource year(far);
        year.setYear(2026);
        QVERIFY(year.refresh());
        const auto edit = [&](const char* value, const std::function<void()>& waiting = {}) {
            const long long before = network.roundTrips();
            const DrillWriteResult result =
                year.write(DrillChange::of(year.records().at(0), DrillRecord::Master,
                                           QString::fromUtf8(value)),
                           {}, waiting);
            return std::pair(result.outcome, network.roundTrips() - before);
        };
        QCOMPARE(edit("First").first, Outcome::Written); // the connection's first prepares
        QCOMPARE(edit("Second"), std::pair(Outcome::Written, 1LL));
        QSqlQuery other(near.connection());
        QVERIFY(other.exec(QStringLiteral("UPDATE Drills SET Master = 'By another'")));
        QCOMPARE(edit("Third"), std::pair(Outcome::Conflict, 1LL));
        QVERIFY(other.exec(QStringLiteral("BEGIN")));
        QVERIFY(other.exec(QStringLiteral("SELECT * FROM Drills FOR UPDATE")));
        const auto letGo = [&] { other.exec(QStringLiteral("ROLLBACK")); };
        QCOMPARE(edit("Fourth", letGo), std::pair(Outcome::Written, 2LL));
        QCOMPARE(scalar(near, QStringLiteral("SELECT Master FROM Drills")).toString(),
                 QStringLiteral("Fourth"));
    }

    // A database made before the server wrote fields in one call: the first program whose
    // role may make the function does so; a role that may not still stores its edits.
    void aServerWithoutTheFieldWriteIsGivenItOrWrittenTheLongerWay()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase owner(fresh.location());
        OPEN(owner);
        QVERIFY(addShips(owner, {QStringLiteral("MV Alpha")}));
        QCOMPARE(YearRows::addMissing(owner, 2026), 1);
        QSqlQuery admin(owner.connection());
        QVERIFY(admin.exec(QStringLiteral("DROP FUNCTION %1").arg(Schema::FieldWriteFunction)));
        admin.exec(QStringLiteral("CREATE ROLE orx_writer LOGIN"));
        QVERIFY(admin.exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO "
                                          "orx_writer")));
        QVERIFY(admin.exec(QStringLiteral("GRANT UPDATE ON Drills TO orx_writer")));
        const QString functions =
            QStringLiteral("SELECT COUNT(*) FROM pg_proc WHERE proname = '%1'")
                .arg(Schema::FieldWriteFunction);

        DatabaseLocation asWriter = fresh.location();
        asWriter.user = QStringLiteral("orx_writer");
        DrillDatabase writer(asWriter);
        OPEN(writer);
        for (DrillDatabase* db : {&writer, &owner}) {
            DrillDataSource year(*db);
            year.setYear(2026);
            QVERIFY(year.refresh());
            QVERIFY(year.write(DrillChange::of(year.records().at(0), DrillRecord::Master,
                                               db->location().user))
                        .stored());
            QCOMPARE(scalar(owner, QStringLiteral("SELECT Master FROM Drills")).toString(),
                     db->location().user);
            QCOMPARE(scalar(owner, functions).toInt(), db == &owner ? 1 : 0);
        }
    }

    // A role that may only read: the program learns it at once, and who it is.
    void aRoleThatMayOnlyReadIsKnownAtTheStart()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase owner(fresh.location());
        OPEN(owner);
        QCOMPARE(owner.writeRights().mayWrite, true);
        QCOMPARE(owner.writeRights().role, fresh.location().user);
        QSqlQuery grant(owner.connection());
        grant.exec(QStringLiteral("CREATE ROLE orx_reader LOGIN"));
        QVERIFY(grant.exec(QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO "
                                          "orx_reader")));
        DatabaseLocation asReader = fresh.location();
        asReader.user = QStringLiteral("orx_reader");
        DrillDatabase reader(asReader);
        OPEN(reader);
        QCOMPARE(reader.writeRights().mayWrite, false);
        QCOMPARE(reader.writeRights().role, QStringLiteral("orx_reader"));
        // Its edit is refused as such at once, never waited on as if another user held a lock.
        DrillDataSource readerYear(reader);
        QVERIFY(oneShipsYear(owner, {&readerYear}));
        QElapsedTimer clock;
        clock.start();
        const DrillWriteResult refused = readerYear.write(
            DrillChange::of(readerYear.records().first(), DrillRecord::Master, "Reader"));
        QCOMPARE(refused.outcome, DrillWriteResult::Outcome::Failed);
        QVERIFY(clock.elapsed() < DrillDataSource::lockWaitLimit().count() / 2);

        Engines::FreshLocation file(QStringLiteral("sqlite"));
        DrillDatabase local(file.location());
        OPEN(local);
        QCOMPARE(local.writeRights().mayWrite, true);
    }

    // One user renames a ship that another has just deleted: the deletion stands, and the
    // renaming user is told instead of seeing a name that was never stored.
    void renamingAShipAnotherUserDeletedIsTold_data() { Engines::addRows(); }
    void renamingAShipAnotherUserDeletedIsTold()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase mine(fresh.location());
        DrillDatabase theirs(fresh.location());
        OPEN(mine);
        OPEN(theirs);
        QVERIFY(addShips(mine, {QStringLiteral("MV Alpha"), QStringLiteral("MV Bravo")}));
        ShipTableModel fleet(mine);
        QVERIFY(fleet.refresh());
        QSignalSpy refused(&fleet, &ShipTableModel::writeFailed);
        const qint64 alpha = fleet.ships().first().id;
        QSqlQuery gone(theirs.connection());
        gone.prepare(QStringLiteral("DELETE FROM Ships WHERE IDShip = ?"));
        gone.addBindValue(alpha);
        QVERIFY(gone.exec());

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Storing a ship failed"));
        QVERIFY(fleet.setData(fleet.index(0, 1), QStringLiteral("MV Alpha II")));
        QVERIFY(!fleet.submitPending());
        QCOMPARE(refused.count(), 1);
        QVERIFY(refused.first().first().toString().contains(QLatin1String("deleted")));
        QCOMPARE(fleet.ships().size(), 1);
        QCOMPARE(fleet.ships().first().name, QStringLiteral("MV Bravo"));
        QCOMPARE(scalar(mine, QStringLiteral("SELECT COUNT(*) FROM Ships")).toInt(), 1);
    }

    void reportTablesAreReadBackAsTheReportsNameThem_data() { Engines::addRows(); }
    void reportTablesAreReadBackAsTheReportsNameThem()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        QVERIFY(addShips(db, {QStringLiteral("MV Beta"), QStringLiteral("MV Alpha")}));
        QCOMPARE(YearRows::addMissing(db, 2026), 2);
        const QDateTime now(QDate(2026, 3, 5), QTime(9, 30));
        QVERIFY(PrintDrillsTable::refill(db, 2026, QStringLiteral("HBQ"), now));

        ReportTable table;
        QCOMPARE(ReportTableReader::read(db, QStringLiteral("PrintDrills"), table), QString());
        QCOMPARE(table.columns.size(), Schema::drillColumns().size() + 3);
        for (const char* column :
             {"IDDrill", "ShipName", "Drill Date", "Master1", "YearDrill", "Company", "Time1"})
            QVERIFY2(table.columns.contains(QLatin1String(column)), column);
        QCOMPARE(table.rows.size(), 2);
        const int name = int(table.columns.indexOf(QStringLiteral("ShipName")));
        QCOMPARE(table.rows.at(0).at(name).toString(), QStringLiteral("MV Alpha"));
        QCOMPARE(table.rows.at(1).at(name).toString(), QStringLiteral("MV Beta"));

        PrintEvalTable::Questionnaire form;
        form.company = QStringLiteral("HBQ");
        form.answers[2] = 4;
        QVERIFY(PrintEvalTable::refill(db, form, now));
        QCOMPARE(ReportTableReader::read(db, QStringLiteral("PrintEval"), table), QString());
        QCOMPARE(table.rows.size(), 1);
        QCOMPARE(table.rows.first().at(table.columns.indexOf(QStringLiteral("Ev34"))).toString(),
                 QString::fromLatin1(PrintEvalTable::ChosenMark));

        // A report file may name its table, but only the program's report tables are read.
        QVERIFY(!ReportTableReader::read(db, QStringLiteral("Ships; DROP TABLE Ships"), table)
                     .isEmpty());
    }

    void twoUsersPrintingAtOnceEachGetTheirOwnReport()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase first(fresh.location());
        DrillDatabase second(fresh.location());
        OPEN(first);
        OPEN(second);
        QVERIFY(addShips(first, shipNames(3)));
        QCOMPARE(YearRows::addMissing(first, 2025), 3);
        QCOMPARE(YearRows::addMissing(first, 2026), 3);
        const QDateTime now(QDate(2026, 3, 5), QTime(9, 30));
        QVERIFY(PrintDrillsTable::refill(first, 2026, QStringLiteral("First"), now));
        QVERIFY(PrintDrillsTable::refill(second, 2025, QStringLiteral("Second"), now));

        for (auto [db, year] : {std::pair{&first, 2026}, std::pair{&second, 2025}}) {
            ReportTable table;
            QCOMPARE(ReportTableReader::read(*db, QStringLiteral("printdrills"), table), QString());
            QCOMPARE(table.rows.size(), 3);
            const int column = int(table.columns.indexOf(QStringLiteral("YearDrill")));
            for (const QVariantList& row : std::as_const(table.rows))
                QCOMPARE(row.at(column).toInt(), year);
        }
    }

    void answersCompanyAndFleetBehaveAlike_data() { Engines::addRows(); }
    void answersCompanyAndFleetBehaveAlike()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);

        QVERIFY(EvaluationTable::ensureRows(db, 7));
        QVERIFY(EvaluationTable::ensureRows(db, 7));
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Evaluation")).toInt(), 10);
        EvaluationTable::Answers answers{};
        answers[0] = 5;
        answers[9] = 1;
        QVERIFY(EvaluationTable::save(db, 7, EvaluationTable::Drill::Second, answers));
        QCOMPARE(EvaluationTable::load(db, 7, EvaluationTable::Drill::Second), answers);
        QCOMPARE(EvaluationTable::load(db, 7, EvaluationTable::Drill::First),
                 EvaluationTable::Answers{});

        CompanyTable company(db);
        QSqlQuery(QStringLiteral("INSERT INTO Company (Name) VALUES ('Last')"), db.connection());
        QCOMPARE(company.replaceName(QStringLiteral("Last"), QStringLiteral("O'Neill")).outcome,
                 CompanyTable::Outcome::Stored);
        QCOMPARE(company.name(), std::optional(QStringLiteral("O'Neill")));
        QCOMPARE(company.replaceName(QStringLiteral("Last"), QStringLiteral("Mine")).storedNow,
                 QStringLiteral("O'Neill"));

        ShipTableModel fleet(db);
        QVERIFY(fleet.refresh());
        QVERIFY(fleet.setData(fleet.index(0, 1), QStringLiteral("MV Alpha")));
        QVERIFY(fleet.setData(fleet.index(1, 1), QStringLiteral("MV Beta")));
        QVERIFY(fleet.setData(fleet.index(0, 1), QStringLiteral("MV Alpha II")));
        QVERIFY(fleet.submitPending());
        QVERIFY(fleet.removeShips({1}));
        QCOMPARE(fleet.ships().size(), 1);
        QCOMPARE(fleet.ships().first().name, QStringLiteral("MV Alpha II"));
        QCOMPARE(scalar(db, QStringLiteral("SELECT ShipName FROM Ships")).toString(),
                 QStringLiteral("MV Alpha II"));
    }

    void theFleetIsListedByNameThenKey_data() { Engines::addRows(); }
    void theFleetIsListedByNameThenKey()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        QVERIFY(addShips(db, {"MV Delta", "MV Bravo", "MV Alpha", "MV Bravo"}));
        // An edit moves the row to the end of a server's table.
        QVERIFY(QSqlQuery(db.connection())
                    .exec(QStringLiteral("UPDATE Ships SET ShipName = 'MV Charlie' WHERE "
                                         "ShipName = 'MV Delta'")));
        ShipTableModel fleet(db);
        QVERIFY(fleet.refresh());
        QStringList listed;
        QList<qint64> bravoKeys;
        for (const Ship& ship : fleet.ships()) {
            listed << ship.name;
            if (ship.name == QLatin1String("MV Bravo"))
                bravoKeys << ship.id;
        }
        QCOMPARE(listed, (QStringList{"MV Alpha", "MV Bravo", "MV Bravo", "MV Charlie"}));
        QVERIFY(bravoKeys.first() < bravoKeys.last());
    }

    void serversThatCannotBeUsedAreNamedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("location");
        QTest::addColumn<int>("problem");
        const TestServer& server = TestServer::instance();
        QTest::newRow("no server")
            << QStringLiteral("postgresql://orx@/orx?host=%1/none").arg(server.socketFolder())
            << int(DrillDatabase::Problem::Unreachable);
        QTest::newRow("unknown user")
            << QStringLiteral("postgresql://stranger@/postgres?host=%1").arg(server.socketFolder())
            << int(DrillDatabase::Problem::LoginRefused);
        QTest::newRow("no such database") << server.location(QStringLiteral("nowhere"))
                                          << int(DrillDatabase::Problem::LoginRefused);
    }
    void serversThatCannotBeUsedAreNamedAndLeftAlone()
    {
        QFETCH(QString, location);
        QFETCH(int, problem);
        QVERIFY2(TestServer::instance().failure().isEmpty(),
                 qPrintable(TestServer::instance().failure()));
        const DatabaseLocation at = *DatabaseLocation::parse(location, nullptr);
        DrillDatabase db(at);
        const QString message = db.open();
        QVERIFY2(message.contains(at.display()), qPrintable(message));
        QCOMPARE(int(db.problem()), problem);
    }

    void databasesOfOtherProgramsOnTheServerAreLeftAlone_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("problem");
        QTest::newRow("another program") << QStringLiteral("CREATE TABLE Notes (Text TEXT)")
                                         << int(DrillDatabase::Problem::NotOurs);
        QTest::newRow("a newer version")
            << QStringLiteral("UPDATE OrxSchema SET Version = Version + 1")
            << int(DrillDatabase::Problem::Newer);
        QTest::newRow("half of ours")
            << QStringLiteral("DROP VIEW QuDrills") << int(DrillDatabase::Problem::NotOurs);
    }
    void databasesOfOtherProgramsOnTheServerAreLeftAlone()
    {
        QFETCH(QString, content);
        QFETCH(int, problem);
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        // The program's own schema first, unless another program's table comes first.
        if (!content.startsWith(QLatin1String("CREATE")))
            QVERIFY(DrillDatabase(fresh.location()).open().isEmpty());
        QVERIFY(onServerDirectly(fresh.location(),
                                 [&](QSqlDatabase& db) { return QSqlQuery(db).exec(content); }));
        const QStringList before = serverObjects(fresh.location());

        DrillDatabase db(fresh.location());
        const QString message = db.open();
        QVERIFY2(message.contains(fresh.location().display()), qPrintable(message));
        QCOMPARE(int(db.problem()), problem);
        QCOMPARE(serverObjects(fresh.location()), before);
    }
};

QTEST_GUILESS_MAIN(TestEngines)
#include "tst_engines.moc"
