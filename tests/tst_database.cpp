// The drill database file: created on first start, refused when it is not ours, never damaged.
#include "Fixture.h"
#include "data/ChangeHistory.h"
#include "data/CompanyTable.h"
#include "data/DrillChange.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/EvaluationTable.h"
#include "data/Schema.h"
#include "data/ShipTableModel.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString pathIn(const QTemporaryDir& dir)
{
    return dir.filePath(QStringLiteral("ORXmanager97.mdb"));
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

// A SQLite database that some other program made.
bool makeForeignSqlite(const QString& path, int userVersion)
{
    bool made = false;
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        db.setDatabaseName(path);
        QSqlQuery query(db);
        made = db.open() && query.exec(QStringLiteral("CREATE TABLE Notes (Text TEXT)")) &&
               query.exec(QStringLiteral("PRAGMA user_version = %1").arg(userVersion));
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    return made;
}

} // namespace

class TestDatabase : public QObject
{
    Q_OBJECT

private slots:
    void firstStartCreatesTheWholeSchema()
    {
        QTemporaryDir dir;
        DrillDatabase db(pathIn(dir));
        QCOMPARE(db.open(), QString());
        QVERIFY(QFile::exists(pathIn(dir)));

        QSqlQuery query(db.connection());
        QVERIFY(query.exec(QStringLiteral("PRAGMA user_version")) && query.next());
        QCOMPARE(query.value(0).toInt(), Schema::Version);
        const QStringList tables = db.connection().tables(QSql::AllTables);
        for (const char* name :
             {"Ships", "Drills", "Company", "Evaluation", "PrintDrills", "PrintEval", "QuDrills",
              "QuEvaluations", "History", "ClosedYears"})
            QVERIFY2(tables.contains(QString::fromLatin1(name)), name);
        QCOMPARE(CompanyTable(db).name(), std::optional(QString()));

        QVERIFY(query.exec(QStringLiteral("SELECT * FROM QuDrills")));
        const QSqlRecord columns = query.record();
        const QStringList expected = {"IDDrill",    "IDShip",    "ShipName", "Drill Date",
                                      "Done Date",  "CompEval",  "Master",   "Drill Date1",
                                      "Done Date1", "CompEval1", "Master1",  "YearDrill"};
        QCOMPARE(columns.count(), expected.size());
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(columns.fieldName(i), expected.at(i));

        // The report table holds every column of the grid's source, plus its stamps.
        QVERIFY(query.exec(QStringLiteral("INSERT INTO PrintDrills SELECT *, 'c', 'd', 't' "
                                          "FROM QuDrills")));
    }

    // Every place that names a drill field reads one list: its rows must match the view's columns.
    void eachDrillFieldIsItsColumnEverywhere_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("caption");
        using R = DrillRecord;
        QTest::newRow("scheduled 1") << int(R::DrillDate) << "Drill Date"
                                     << "Scheduled Date";
        QTest::newRow("done 1") << int(R::DoneDate) << "Done Date"
                                << "Date Done";
        QTest::newRow("evaluation 1") << int(R::CompEval) << "CompEval"
                                      << "Evaluation (%)";
        QTest::newRow("master 1") << int(R::Master) << "Master"
                                  << "Ship's Master Name";
        QTest::newRow("scheduled 2") << int(R::DrillDate1) << "Drill Date1"
                                     << "Scheduled Date";
        QTest::newRow("done 2") << int(R::DoneDate1) << "Done Date1"
                                << "Date Done";
        QTest::newRow("evaluation 2") << int(R::CompEval1) << "CompEval1"
                                      << "Evaluation (%)";
        QTest::newRow("master 2") << int(R::Master1) << "Master1"
                                  << "Ship's Master Name";
    }

    void eachDrillFieldIsItsColumnEverywhere()
    {
        QFETCH(int, column);
        QFETCH(QString, stored);
        QFETCH(QString, caption);
        QTemporaryDir dir;
        DrillDatabase db(pathIn(dir));
        QCOMPARE(db.open(), QString());
        QSqlQuery query(db.connection());
        QVERIFY(query.exec(QStringLiteral("SELECT * FROM QuDrills")));
        QCOMPARE(query.record().fieldName(column), stored);

        const auto drillColumn = DrillRecord::Column(column);
        const DrillFields::Field* field = DrillFields::named(stored);
        QVERIFY(field && DrillRecord::fieldOf(drillColumn) == field);
        QCOMPARE(DrillRecord::columnOf(*field), drillColumn);
        QCOMPARE(&DrillFields::of(field->drill, field->part), field);
        const int drill = column < DrillRecord::DrillDate1 ? 1 : 2;
        const QString drillCaption =
            QStringLiteral("Drill No %1 \u00b7 %2").arg(drill).arg(caption);
        ChangeEntry entry;
        entry.table = QStringLiteral("Drills");
        entry.field = stored;
        QCOMPARE(ChangeHistory::captionOf(entry), drillCaption);
        // The grid shows a record's columns after its fixed column.
        const bool second = drillColumn == DrillRecord::CompEval1;
        QCOMPARE(EvaluationTable::drillOfColumn(column + 1) == EvaluationTable::Drill::Second,
                 second);
    }

    void existingDatabaseOpensAndKeepsItsData()
    {
        Fixture fixture({QStringLiteral("MV Alpha")});
        DrillDatabase again(fixture.databasePath());
        QCOMPARE(again.open(), QString());
        QSqlQuery query(again.connection());
        QVERIFY(query.exec(QStringLiteral("SELECT ShipName FROM Ships")) && query.next());
        QCOMPARE(query.value(0).toString(), QStringLiteral("MV Alpha"));
    }

    void filesThatAreNotOursAreRefusedAndLeftAlone_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("problem");
        QTest::newRow("empty file") << QByteArray() << "is not a database of this program";
        QTest::newRow("old Access file")
            << QByteArray("\x00\x01\x00\x00Standard Jet DB\x00", 20) + QByteArray(2000, '\x7f')
            << "is not a database of this program";
        QTest::newRow("damaged sqlite")
            << QByteArray("SQLite format 3\0", 16) + QByteArray(100, 'x') << "damaged";
    }
    void filesThatAreNotOursAreRefusedAndLeftAlone()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QVERIFY(writeTestFile(pathIn(dir), content));
        {
            DrillDatabase db(pathIn(dir));
            const QString message = db.open();
            QVERIFY2(message.contains(problem), qPrintable(message));
            QVERIFY(message.contains(pathIn(dir)));
        }
        QCOMPARE(contentOf(pathIn(dir)), content);
    }

    void sqliteDatabasesOfOtherProgramsAreRefused_data()
    {
        QTest::addColumn<int>("userVersion");
        QTest::addColumn<QString>("problem");
        QTest::newRow("unversioned") << 0 << "not one of this program";
        QTest::newRow("newer") << 7 << "newer version";
    }
    void sqliteDatabasesOfOtherProgramsAreRefused()
    {
        QFETCH(int, userVersion);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        QVERIFY(makeForeignSqlite(pathIn(dir), userVersion));
        const QByteArray before = contentOf(pathIn(dir));
        {
            DrillDatabase db(pathIn(dir));
            const QString message = db.open();
            QVERIFY2(message.contains(problem), qPrintable(message));
        }
        QCOMPARE(contentOf(pathIn(dir)), before);
    }

    void aFolderOfThatNameIsRefused()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("ORXmanager97.mdb")));
        DrillDatabase db(pathIn(dir));
        QVERIFY(db.open().contains(QStringLiteral("is a folder")));
        QVERIFY(QFileInfo(pathIn(dir)).isDir());
    }

    void aFolderWhereNothingCanBeCreatedIsReported()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("no/such/folder/ORXmanager97.mdb"));
        DrillDatabase db(missing);
        QVERIFY(db.open().contains(QStringLiteral("could not be created")));
        QVERIFY(!QFile::exists(missing));
    }

    void yearRowsAreAddedOncePerShip()
    {
        Fixture fixture({QStringLiteral("MV Alpha"), QStringLiteral("MV Beta")});
        DrillDatabase db(fixture.databasePath());
        QCOMPARE(db.open(), QString());
        DrillDataSource data(db);
        data.setYear(2018);
        QVERIFY(data.addFleetYear());
        QVERIFY(data.refresh());
        QCOMPARE(data.recordCount(), 2);
        QCOMPARE(data.records().first().year, 2018);

        // A row another program added meanwhile is kept, and never made a second time.
        fixture.exec(QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, Master) "
                                    "VALUES (?, 'MV Beta', 2019, 'Kept')"),
                     {fixture.shipId(QStringLiteral("MV Beta"))});
        data.setYear(2019);
        QVERIFY(data.addFleetYear());
        QCOMPARE(
            fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills WHERE YearDrill = 2019"))
                .toInt(),
            2);
        QCOMPARE(
            fixture
                .scalar(QStringLiteral(
                    "SELECT Master FROM Drills WHERE ShipName = 'MV Beta' AND YearDrill = 2019"))
                .toString(),
            QStringLiteral("Kept"));
    }

    void aRecordTheYearDoesNotHoldIsNotWritten()
    {
        Fixture fixture({QStringLiteral("MV Alpha")});
        DrillDatabase db(fixture.databasePath());
        QCOMPARE(db.open(), QString());
        DrillDataSource data(db);
        data.setYear(2020);
        QVERIFY(data.addFleetYear());
        QVERIFY(data.refresh());
        // A drill the year does not hold is never written.
        DrillChange unknown = DrillChange::of(data.records().at(0), DrillDataSource::Master,
                                              QStringLiteral("Nobody"));
        unknown.idDrill += 1;
        QVERIFY(!data.write(unknown).stored());
        QVERIFY(fixture.scalar(QStringLiteral("SELECT Master FROM Drills")).isNull());
        QVERIFY(fixture.scalar(QStringLiteral("SELECT Master FROM Drills")).isNull());
    }

    // The name is read from the last row and stored there, in place of the name it started from.
    void companyNameIsStoredWhereItIsRead()
    {
        Fixture fixture;
        DrillDatabase db(fixture.databasePath());
        QCOMPARE(db.open(), QString());
        CompanyTable company(db);
        fixture.exec(QStringLiteral("UPDATE Company SET Name = 'First'"));
        fixture.exec(QStringLiteral("INSERT INTO Company (Name) VALUES ('Last')"));
        QCOMPARE(company.name(), std::optional(QStringLiteral("Last")));
        QCOMPARE(company.replaceName(QStringLiteral("Last"), QStringLiteral("O'Neill")).outcome,
                 CompanyTable::Outcome::Stored);
        QCOMPARE(company.name(), std::optional(QStringLiteral("O'Neill")));

        // Another user's newer name is reported, not overwritten.
        const CompanyTable::Write stale =
            company.replaceName(QStringLiteral("Last"), QStringLiteral("Mine"));
        QCOMPARE(stale.outcome, CompanyTable::Outcome::ChangedByOther);
        QCOMPARE(stale.storedNow, QStringLiteral("O'Neill"));
        QCOMPARE(company.name(), std::optional(QStringLiteral("O'Neill")));

        // With no row at all, saving makes the row.
        fixture.exec(QStringLiteral("DELETE FROM Company"));
        QCOMPARE(company.name(), std::optional(QString()));
        QCOMPARE(company.replaceName(QString(), QString()).outcome, CompanyTable::Outcome::Stored);
        QCOMPARE(fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Company")).toInt(), 1);
    }

    void textIsStoredAsTyped_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const auto unit = [](char16_t code) { return QString(QChar(code)); };
        const QString mark = unit(0xFEFF);
        const QString replaced = unit(0xFFFD);
        QTest::newRow("a byte-order mark first") << mark + "Acme" << mark + "Acme";
        QTest::newRow("two of them") << mark + mark + "Acme" << mark + mark + "Acme";
        // Half a pair is no character; the next one must not be taken as its other half.
        QTest::newRow("a lone high surrogate") << "A" + unit(0xD800) + "BC"
                                               << "A" + replaced + "BC";
        QTest::newRow("a lone low surrogate") << "A" + unit(0xDC00) + "B"
                                              << "A" + replaced + "B";
        const QString ship = unit(0xD83D) + unit(0xDEA2);
        QTest::newRow("a pair") << "A" + ship + "B"
                                << "A" + ship + "B";
    }

    void textIsStoredAsTyped()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        Fixture fixture({"MV Alpha"});
        DrillDatabase db(fixture.databasePath());
        QCOMPARE(db.open(), QString());
        QCOMPARE(CompanyTable(db).replaceName(QString(), typed).outcome,
                 CompanyTable::Outcome::Stored);
        DrillDataSource drills(db);
        drills.setYear(2026);
        QVERIFY(drills.addFleetYear() && drills.refresh());
        QVERIFY(
            drills.write(DrillChange::of(drills.records().at(0), DrillDataSource::Master, typed))
                .stored());
        ShipTableModel ships(db);
        QVERIFY(ships.refresh());
        QVERIFY(ships.setData(ships.index(ships.rowCount() - 1, 1), typed));

        const auto value = [&](const char* sql) {
            return fixture.scalar(QString::fromLatin1(sql)).toString();
        };
        QCOMPARE(value("SELECT Name FROM Company"), stored);
        QCOMPARE(value("SELECT Master FROM Drills"), stored);
        QCOMPARE(value("SELECT ShipName FROM Ships WHERE ShipName <> 'MV Alpha'"), stored);
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
