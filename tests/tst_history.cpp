// The history of changes and closed years in the data layer, on both engines: what each change
// leaves, what a closed year refuses, what nobody may change, and older databases brought up.
#include "Engines.h"
#include "TestServer.h"
#include "common/LoginName.h"
#include "data/Backups.h"
#include "data/ChangeHistory.h"
#include "data/CompanyTable.h"
#include "data/Dialect.h"
#include "data/DrillChange.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/EvaluationTable.h"
#include "data/Schema.h"
#include "data/YearClosure.h"

#include <QDir>
#include <QProcess>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

namespace {

using Engine = DatabaseLocation::Engine;

QSqlQuery run(const DrillDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query(db.connection());
    if (values.isEmpty()) { // the server prepares no schema statements
        query.exec(sql);
        return query;
    }
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    query.exec();
    return query;
}

QVariant scalar(const DrillDatabase& db, const QString& sql, const QVariantList& values = {})
{
    QSqlQuery query = run(db, sql, values);
    return query.next() ? query.value(0) : QVariant();
}

int historyCount(const DrillDatabase& db)
{
    return scalar(db, QStringLiteral("SELECT COUNT(*) FROM History")).toInt();
}

// The entries written since `before` entries were there, oldest first.
QStringList entriesSince(const DrillDatabase& db, int before)
{
    QSqlQuery query = run(db, QStringLiteral("SELECT ChangedBy, TableName, Field, OldValue, "
                                             "NewValue FROM History ORDER BY IDHistory"));
    QStringList entries;
    for (int row = 0; query.next(); ++row) {
        if (row < before)
            continue;
        QStringList fields;
        for (int column = 0; column < 5; ++column)
            fields << (query.isNull(column) ? QStringLiteral("-") : query.value(column).toString());
        entries << fields.join(u'|');
    }
    return entries;
}

QString whoOn(const DrillDatabase& db)
{
    return db.location().engine == Engine::Postgres ? TestServer::user() : LoginName::current();
}

// A drill of 2025 for one ship; its id.
qint64 oneDrill(DrillDatabase& db, const QString& ship = QStringLiteral("MV O'Brien"))
{
    run(db, QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"), {ship});
    DrillDataSource data(db);
    data.setYear(2025);
    data.addFleetYear();
    return scalar(db, QStringLiteral("SELECT MAX(IDDrill) FROM Drills")).toLongLong();
}

DrillWriteResult writeMaster(DrillDatabase& db, const QString& value)
{
    DrillDataSource data(db);
    data.setYear(2025);
    data.refresh();
    return data.write(DrillChange::of(data.records().at(0), DrillDataSource::Master, value));
}

EvaluationTable::Answers answersWith(int question, int scale)
{
    EvaluationTable::Answers answers{};
    answers[question - 1] = scale;
    return answers;
}

// What the tables the user fills hold, in key order.
QStringList contentOf(const DrillDatabase& db)
{
    QStringList rows;
    for (const char* table : {"Ships", "Drills", "Company", "Evaluation"}) {
        QSqlQuery query = run(db, QStringLiteral("SELECT * FROM %1 ORDER BY 1").arg(table));
        while (query.next()) {
            QStringList values;
            for (int column = 0; column < query.record().count(); ++column)
                values << query.value(column).toString();
            rows << QLatin1String(table) + u':' + values.join(u'|');
        }
    }
    return rows;
}

// Takes the database back to the first version of its schema, as an older program left it.
void makeFirstVersion(DrillDatabase& db)
{
    const bool server = db.location().engine == Engine::Postgres;
    QStringList own;
    QSqlQuery query = run(db, server ? QStringLiteral("SELECT proname FROM pg_proc WHERE proname "
                                                      "LIKE 'orx\\_%' AND proname <> "
                                                      "'orx_announce_change'")
                                     : QStringLiteral("SELECT name FROM sqlite_master WHERE type "
                                                      "= 'trigger'"));
    while (query.next())
        own << query.value(0).toString();
    for (const QString& name : own)
        run(db, (server ? QStringLiteral("DROP FUNCTION %1 CASCADE")
                        : QStringLiteral("DROP TRIGGER %1"))
                    .arg(name));
    run(db, QStringLiteral("DROP TABLE History"));
    run(db, QStringLiteral("DROP TABLE ClosedYears"));
    if (server)
        run(db, QStringLiteral("DELETE FROM OrxSchema"));
    run(db, db.dialect().setVersion(1));
}

// Takes the history back to the layout of the second version of the schema, every entry kept.
void makeSecondVersion(DrillDatabase& db)
{
    if (db.location().isFile()) {
        for (const char* statement :
             {"CREATE TEMP TABLE HistoryOfOld AS SELECT * FROM History", "DROP TABLE History",
              "CREATE TABLE History (IDHistory INTEGER PRIMARY KEY AUTOINCREMENT, ChangedAt TEXT "
              "NOT NULL, ChangedBy TEXT NOT NULL, TableName TEXT NOT NULL, RecordId BIGINT NOT "
              "NULL, Field TEXT NOT NULL, OldValue TEXT, NewValue TEXT)",
              "INSERT INTO History SELECT * FROM HistoryOfOld",
              "CREATE INDEX HistoryOfRecord ON History (TableName, RecordId)",
              "CREATE TRIGGER orx_kept_history_delete BEFORE DELETE ON History BEGIN SELECT "
              "RAISE(ABORT, 'kept'); END"})
            QVERIFY2(run(db, QLatin1String(statement)).isActive(), statement);
    }
    run(db, QStringLiteral("DELETE FROM OrxSchema"));
    run(db, db.dialect().setVersion(2));
}

// Takes the schema back to its third version, before drills were found by year through an index.
void makeThirdVersion(DrillDatabase& db)
{
    run(db, QStringLiteral("DROP INDEX DrillsOfYear"));
    run(db, QStringLiteral("DELETE FROM OrxSchema"));
    run(db, db.dialect().setVersion(3));
}

bool hasDrillsOfYearIndex(const DrillDatabase& db)
{
    return scalar(db, db.location().engine == Engine::Postgres
                          ? QStringLiteral("SELECT COUNT(*) FROM pg_indexes WHERE indexname = "
                                           "'drillsofyear'")
                          : QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = "
                                           "'index' AND name = 'DrillsOfYear'"))
               .toInt() == 1;
}

// Every entry with every column, in the order written.
QStringList historyOf(const DrillDatabase& db)
{
    QStringList entries;
    QSqlQuery query = run(db, QStringLiteral("SELECT * FROM History ORDER BY IDHistory"));
    while (query.next()) {
        QStringList values;
        for (int column = 0; column < query.record().count(); ++column)
            values << query.value(column).toString();
        entries << values.join(u'|');
    }
    return entries;
}

} // namespace

class TestHistory : public QObject
{
    Q_OBJECT

private slots:
    void eachChangeLeavesOneEntryWithWhoFromAndTo_data() { Engines::addRows(); }
    void eachChangeLeavesOneEntryWithWhoFromAndTo()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        const QString who = whoOn(db);
        const qint64 drill = oneDrill(db);
        const qint64 ship = scalar(db, QStringLiteral("SELECT IDShip FROM Ships")).toLongLong();
        const auto expectOne = [&](const std::function<bool()>& change, const QString& entry) {
            const int before = historyCount(db);
            QVERIFY(change());
            QCOMPARE(entriesSince(db, before), QStringList{who + u'|' + entry});
        };
        expectOne([&] { return writeMaster(db, QStringLiteral("Capt. O'Hara")).stored(); },
                  QStringLiteral("Drills|Master|-|Capt. O'Hara"));
        expectOne([&] { return writeMaster(db, QStringLiteral("Capt. Berg")).stored(); },
                  QStringLiteral("Drills|Master|Capt. O'Hara|Capt. Berg"));
        expectOne(
            [&] {
                return EvaluationTable::save(db, drill, EvaluationTable::Drill::First,
                                             answersWith(3, 4));
            },
            QStringLiteral("Evaluation|Question 3|-|4"));
        expectOne(
            [&] {
                return EvaluationTable::save(db, drill, EvaluationTable::Drill::Second,
                                             answersWith(3, 2));
            },
            QStringLiteral("Evaluation|Question 3 (2nd drill)|-|2"));
        expectOne(
            [&] {
                return EvaluationTable::save(db, drill, EvaluationTable::Drill::First,
                                             answersWith(3, 5));
            },
            QStringLiteral("Evaluation|Question 3|4|5"));
        expectOne(
            [&] {
                return CompanyTable(db).replaceName({}, QStringLiteral("Nordic Lines")).outcome ==
                       CompanyTable::Outcome::Stored;
            },
            QStringLiteral("Company|Name||Nordic Lines"));
        expectOne(
            [&] {
                return run(db, QStringLiteral("UPDATE Ships SET ShipName = ? WHERE IDShip = ?"),
                           {QStringLiteral("MV Renamed"), ship})
                    .isActive();
            },
            QStringLiteral("Ships|ShipName|MV O'Brien|MV Renamed"));
        expectOne(
            [&] {
                return run(db, QStringLiteral("INSERT INTO Ships (ShipName) VALUES ('MV New')"))
                    .isActive();
            },
            QStringLiteral("Ships|ShipName|-|MV New"));
        expectOne(
            [&] {
                return run(db, QStringLiteral("DELETE FROM Ships WHERE ShipName = 'MV New'"))
                    .isActive();
            },
            QStringLiteral("Ships|ShipName|MV New|-"));
        const auto ofDrill = ChangeHistory::ofDrill(db, drill);
        QVERIFY(ofDrill);
        QCOMPARE(ofDrill->size(), 5);
        QCOMPARE(ofDrill->first().field, QStringLiteral("Question 3")); // newest first
        QCOMPARE(ofDrill->first().shipName, QStringLiteral("MV O'Brien"));
        QVERIFY(qAbs(ofDrill->first().when.secsTo(QDateTime::currentDateTimeUtc())) < 60);
        QCOMPARE(ChangeHistory::ofShip(db, ship)->size(), 7); // added, renamed, five of its drill
    }

    // A statement of another tool may set several fields at once, some to the value they hold.
    void eachFieldAStatementChangesLeavesItsOwnEntry_data() { Engines::addRows(); }
    void eachFieldAStatementChangesLeavesItsOwnEntry()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        oneDrill(db);
        QVERIFY(writeMaster(db, QStringLiteral("Capt. Berg")).stored());
        int before = historyCount(db);
        QVERIFY(run(db, QStringLiteral("UPDATE Drills SET Master = 'Capt. Lund', CompEval = "
                                       "'Good', \"Drill Date\" = \"Drill Date\", Master1 = "
                                       "Master1, \"Done Date1\" = '2025-03-01'"))
                    .isActive());
        QStringList entries = entriesSince(db, before);
        entries.sort();
        const QString who = whoOn(db);
        QCOMPARE(entries,
                 QStringList({who + QStringLiteral("|Drills|CompEval|-|Good"),
                              who + QStringLiteral("|Drills|Done Date1|-|2025-03-01"),
                              who + QStringLiteral("|Drills|Master|Capt. Berg|Capt. Lund")}));
        before = historyCount(db);
        QVERIFY(run(db, QStringLiteral("UPDATE Drills SET Master = 'Capt. Lund', CompEval = "
                                       "'Good'"))
                    .isActive());
        QCOMPARE(entriesSince(db, before), QStringList());
    }

    void aClosedYearRefusesEveryChangeUntilReopenedWithAReason_data() { Engines::addRows(); }
    void aClosedYearRefusesEveryChangeUntilReopenedWithAReason()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        const qint64 drill = oneDrill(db);
        QCOMPARE(YearClosure::close(db, 2027, 2026), YearClosure::Outcome::InTheFuture);
        QCOMPARE(YearClosure::close(db, 2025, 2026), YearClosure::Outcome::Done);
        const auto closed = YearClosure::closedInfo(db, 2025);
        QVERIFY(closed);
        QCOMPARE(closed->closedBy, whoOn(db));
        QVERIFY(!YearClosure::closedInfo(db, 2026));

        const DrillWriteResult write = writeMaster(db, QStringLiteral("Late"));
        QVERIFY(!write.stored());
        QVERIFY2(write.failure.text.contains(QLatin1String("closed")),
                 qPrintable(write.failure.text));
        QVERIFY(
            !EvaluationTable::save(db, drill, EvaluationTable::Drill::First, answersWith(1, 1)));
        const QSqlQuery direct = run(db, QStringLiteral("UPDATE Drills SET Master = 'x'"));
        QVERIFY(YearClosure::isClosedYearRefusal(direct.lastError()));
        // A ship added after the closing gets rows in open years only.
        run(db, QStringLiteral("INSERT INTO Ships (ShipName) VALUES ('MV Later')"));
        DrillDataSource data(db);
        data.setYear(2025);
        QVERIFY(data.addFleetYear());
        data.addMissingRecords(
            {{scalar(db, QStringLiteral("SELECT MAX(IDShip) FROM Ships")).toLongLong(),
              QStringLiteral("MV Later")}});
        QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM Drills")).toInt(), 1);

        QCOMPARE(YearClosure::reopen(db, 2025, QStringLiteral("  ")),
                 YearClosure::Outcome::ReasonRequired);
        QVERIFY(!run(db, QStringLiteral("DELETE FROM ClosedYears")).isActive());
        const int before = historyCount(db);
        QCOMPARE(YearClosure::reopen(db, 2025, QStringLiteral("Class asked for a correction")),
                 YearClosure::Outcome::Done);
        QCOMPARE(entriesSince(db, before),
                 QStringList{whoOn(db) + QStringLiteral("|ClosedYears|Closed|Closed|Reopened: "
                                                        "Class asked for a correction")});
        QVERIFY(writeMaster(db, QStringLiteral("Corrected")).stored());
        const auto year = ChangeHistory::ofYear(db, 2025);
        QCOMPARE(year->size(), 3); // closed, reopened, corrected
    }

    void historyIsNeverChangedOrDeleted_data() { Engines::addRows(); }
    void historyIsNeverChangedOrDeleted()
    {
        FRESH_LOCATION(fresh);
        DrillDatabase db(fresh.location());
        OPEN(db);
        oneDrill(db);
        QVERIFY(writeMaster(db, QStringLiteral("Capt. Berg")).stored());
        for (const char* statement :
             {"UPDATE History SET NewValue = 'forged'", "DELETE FROM History"})
            QVERIFY2(!run(db, QLatin1String(statement)).isActive(), statement);
        if (db.location().engine == Engine::Postgres)
            QVERIFY(!run(db, QStringLiteral("TRUNCATE History")).isActive());
        QCOMPARE(scalar(db, QStringLiteral("SELECT NewValue FROM History WHERE Field = 'Master'"))
                     .toString(),
                 QStringLiteral("Capt. Berg"));
    }

    // Another tool, logged in as a role of its own, is recorded with that role.
    void aChangeMadeWithPsqlIsRecordedWithItsRole()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase db(fresh.location());
        OPEN(db);
        oneDrill(db);
        run(db, QStringLiteral("CREATE ROLE clerk LOGIN"));
        run(db, QStringLiteral("GRANT SELECT, UPDATE ON Drills TO clerk"));
        const auto psql = [&](const QString& sql) {
            return QProcess::execute(QStringLiteral("psql"),
                                     {QStringLiteral("-h"), TestServer::instance().socketFolder(),
                                      QStringLiteral("-U"), QStringLiteral("clerk"),
                                      QStringLiteral("-d"), fresh.location().database,
                                      QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                      QStringLiteral("-qc"), sql});
        };
        const int before = historyCount(db);
        QCOMPARE(psql(QStringLiteral("UPDATE Drills SET Master = 'By hand'")), 0);
        QCOMPARE(entriesSince(db, before),
                 QStringList{QStringLiteral("clerk|Drills|Master|-|By hand")});
        QVERIFY(psql(QStringLiteral("DELETE FROM History")) != 0);
        QCOMPARE(historyCount(db), before + 1);
        run(db, QStringLiteral("REVOKE ALL ON Drills FROM clerk"));
        run(db, QStringLiteral("DROP OWNED BY clerk"));
        run(db, QStringLiteral("DROP ROLE clerk"));
    }

    void anOlderDatabaseIsBroughtUpWithEveryValueKept_data() { Engines::addRows(); }
    void anOlderDatabaseIsBroughtUpWithEveryValueKept()
    {
        FRESH_LOCATION(fresh);
        QStringList before;
        {
            DrillDatabase db(fresh.location());
            OPEN(db);
            const qint64 drill = oneDrill(db);
            QVERIFY(writeMaster(db, QStringLiteral("Capt. Berg")).stored());
            QVERIFY(
                EvaluationTable::save(db, drill, EvaluationTable::Drill::First, answersWith(2, 3)));
            QCOMPARE(CompanyTable(db).replaceName({}, QStringLiteral("Nordic Lines")).outcome,
                     CompanyTable::Outcome::Stored);
            makeFirstVersion(db);
            before = contentOf(db);
        }
        DrillDatabase db(fresh.location());
        OPEN(db);
        QCOMPARE(scalar(db, db.dialect().readVersion()).toInt(), Schema::Version);
        QCOMPARE(contentOf(db), before);
        QCOMPARE(historyCount(db), 0);
        QVERIFY(writeMaster(db, QStringLiteral("Capt. Lund")).stored());
        QCOMPARE(entriesSince(db, 0),
                 QStringList{whoOn(db) + QStringLiteral("|Drills|Master|Capt. Berg|Capt. Lund")});
        if (db.location().isFile()) // the copy made before the upgrade is of the old file
            QCOMPARE(QDir(Backups::folderOf(db.filePath())).entryList(QDir::Files).size(), 1);
    }

    void aSecondVersionHistoryIsBroughtUpWithEveryEntryKept_data() { Engines::addRows(); }
    void aSecondVersionHistoryIsBroughtUpWithEveryEntryKept()
    {
        FRESH_LOCATION(fresh);
        QStringList before;
        {
            DrillDatabase db(fresh.location());
            OPEN(db);
            const qint64 drill = oneDrill(db);
            for (const char* master : {"Capt. O'Hara", "Capt. Berg"})
                QVERIFY(writeMaster(db, QLatin1String(master)).stored());
            QVERIFY(
                EvaluationTable::save(db, drill, EvaluationTable::Drill::First, answersWith(2, 3)));
            makeSecondVersion(db);
            before = historyOf(db);
        }
        QVERIFY(!before.isEmpty());
        DrillDatabase db(fresh.location());
        OPEN(db);
        QCOMPARE(scalar(db, db.dialect().readVersion()).toInt(), Schema::Version);
        QCOMPARE(historyOf(db), before);
        QVERIFY(writeMaster(db, QStringLiteral("Capt. Lund")).stored());
        QCOMPARE(historyOf(db).mid(0, before.size()), before);
        QCOMPARE(entriesSince(db, int(before.size())),
                 QStringList{whoOn(db) + QStringLiteral("|Drills|Master|Capt. Berg|Capt. Lund")});
        QVERIFY(!run(db, QStringLiteral("DELETE FROM History")).isActive());
        if (db.location().isFile()) // the entries' ids are no longer counted apart
            QCOMPARE(scalar(db, QStringLiteral("SELECT COUNT(*) FROM sqlite_sequence WHERE name = "
                                               "'History'"))
                         .toInt(),
                     0);
    }

    // A third version file gets the index by which a year's drills, and so its history, are
    // found; the history of a year holds its own drills' changes, whatever other years hold.
    void aYearsHistoryIsFoundByItsDrillsIndex_data() { Engines::addRows(); }
    void aYearsHistoryIsFoundByItsDrillsIndex()
    {
        FRESH_LOCATION(fresh);
        {
            DrillDatabase db(fresh.location());
            OPEN(db);
            oneDrill(db);
            makeThirdVersion(db);
            QVERIFY(!hasDrillsOfYearIndex(db));
        }
        DrillDatabase db(fresh.location());
        OPEN(db);
        QCOMPARE(scalar(db, db.dialect().readVersion()).toInt(), Schema::Version);
        QVERIFY(hasDrillsOfYearIndex(db));
        QVERIFY(writeMaster(db, QStringLiteral("Capt. Berg")).stored());
        DrillDataSource later(db);
        later.setYear(2026);
        QVERIFY(later.addFleetYear() && later.refresh());
        QVERIFY(later
                    .write(DrillChange::of(later.records().at(0), DrillDataSource::Master,
                                           QStringLiteral("Capt. Lund")))
                    .stored());
        for (const auto& [year, master] : {std::pair{2025, "Capt. Berg"}, {2026, "Capt. Lund"}}) {
            const auto entries = ChangeHistory::ofYear(db, year);
            QVERIFY(entries);
            QCOMPARE(entries->size(), 1);
            QCOMPARE(entries->first().to, QLatin1String(master));
        }
    }
};

QTEST_GUILESS_MAIN(TestHistory)
#include "tst_history.moc"
