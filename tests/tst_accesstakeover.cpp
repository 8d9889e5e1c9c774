#include "LoadedWindow.h"
#include "MdbTools.h"
#include "ProgramRun.h"
#include "TestServer.h"
#include "data/DrillDatabase.h"
#include "data/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

namespace {

const QString Program = QStringLiteral(ORX_PROGRAM_FILE);

QString checksum(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(
        QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256).toHex());
}

// A table as mdb-export reads it, each row keyed by its first columns joined.
struct Exported
{
    QStringList columns;
    QMap<QString, QStringList> rows;
};

Exported exported(const QString& file, const QString& table, int keyColumns, const QString& charset)
{
    QList<QStringList> lines = MdbTools::exported(file, table, charset);
    Exported result;
    if (lines.isEmpty())
        return result;
    result.columns = lines.takeFirst();
    for (const QStringList& line : lines)
        result.rows.insert(line.first(keyColumns).join(u'/'), line);
    return result;
}

// The same table as the taken-over database holds it, in mdb-export's columns.
QMap<QString, QStringList> stored(DrillDatabase& db, const QString& table,
                                  const QStringList& columns, int keyColumns)
{
    QStringList quoted;
    for (const QString& column : columns)
        quoted << u'"' + column + u'"';
    // PostgreSQL folds names without quotes: the program's tables were made so.
    if (db.location().engine == DatabaseLocation::Engine::Postgres)
        for (QString& column : quoted) {
            if (!column.contains(u' '))
                column = column.toLower();
        }
    QSqlQuery query(db.connection());
    query.exec(QStringLiteral("SELECT %1 FROM %2").arg(quoted.join(u','), table));
    QMap<QString, QStringList> rows;
    while (query.next()) {
        QStringList row;
        for (int c = 0; c < columns.size(); ++c) {
            const QVariant value = query.value(c);
            row << (value.typeId() == QMetaType::Bool ? QString::number(value.toInt())
                                                      : value.toString());
        }
        rows.insert(row.first(keyColumns).join(u'/'), row);
    }
    return rows;
}

// Every value of the table as mdb-export reads it from the Access file, compared with the
// database; a list of the differences, empty when they agree.
QStringList differences(DrillDatabase& db, const QString& access, const QString& table,
                        int keyColumns, const QString& charset)
{
    const Exported expected = exported(access, table, keyColumns, charset);
    if (expected.rows.isEmpty())
        return {table + QStringLiteral(": mdb-export read no rows")};
    const QMap<QString, QStringList> actual = stored(db, table, expected.columns, keyColumns);
    QStringList found;
    if (actual.size() != expected.rows.size())
        found << QStringLiteral("%1: %2 rows, not %3")
                     .arg(table)
                     .arg(actual.size())
                     .arg(expected.rows.size());
    for (auto row = expected.rows.cbegin(); row != expected.rows.cend() && found.size() < 5;
         ++row) {
        if (actual.value(row.key()) != row.value())
            found << QStringLiteral("%1 %2: %3, not %4")
                         .arg(table, row.key(), actual.value(row.key()).join(u'|'),
                              row.value().join(u'|'));
    }
    return found;
}

// Runs a take-over of the Access file in its own place and kills it once it writes the new
// database; false when it ended before.
bool killWhileWriting(const QString& access)
{
    QProcess program;
    program.setProcessEnvironment(ProgramRun::headlessEnvironment());
    program.start(
        Program, {QStringLiteral("--database"), access, QStringLiteral("--import-access"), access});
    const QString building = access + QStringLiteral(".access-new");
    while (!QFileInfo::exists(building) && program.state() != QProcess::NotRunning)
        QThread::usleep(200);
    program.kill();
    program.waitForFinished();
    return program.exitStatus() == QProcess::CrashExit;
}

} // namespace

class TestAccessTakeOver : public QObject
{
    Q_OBJECT

private slots:
    void init() { setTheTestDay(); }

    void takenOver_data();
    void takenOver();
    void valuesNotCarried_data();
    void valuesNotCarried();
    void refused_data();
    void refused();
};

void TestAccessTakeOver::takenOver_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("way"); // the window's question, or --import-access
    QTest::addColumn<QString>("engine");
    QTest::addColumn<QString>("codePage"); // --access-codepage, and mdb-export's charset
    const QString years = QStringLiteral("--years");
    const QStringList greek97 = {QStringLiteral("--jet"),
                                 QStringLiteral("3"),
                                 QStringLiteral("--codepage"),
                                 QStringLiteral("1253"),
                                 QStringLiteral("--ships"),
                                 QStringLiteral("2000"),
                                 years,
                                 QStringLiteral("2024-2026")};
    const QStringList jet4 = {QStringLiteral("--jet"),
                              QStringLiteral("4"),
                              QStringLiteral("--ships"),
                              QStringLiteral("2000"),
                              years,
                              QStringLiteral("2024-2026")};
    const QStringList small4 = {QStringLiteral("--jet"),
                                QStringLiteral("4"),
                                QStringLiteral("--ships"),
                                QStringLiteral("40"),
                                years,
                                QStringLiteral("2017-2026")};
    const QString sqlite = QStringLiteral("sqlite");
    const QString server = QStringLiteral("postgresql");
    const QString dialog = QStringLiteral("dialog");
    const QString command = QStringLiteral("command");
    QTest::newRow("Jet 3, Greek, by the window") << greek97 << dialog << sqlite << QString();
    QTest::newRow("Jet 4, by the window") << jet4 << dialog << sqlite << QString();
    QTest::newRow("Jet 3, Greek, by the command") << greek97 << command << sqlite << QString();
    QTest::newRow("Jet 4, by the command") << jet4 << command << sqlite << QString();
    QTest::newRow("Jet 3, Greek, to the server") << greek97 << command << server << QString();
    QTest::newRow("Jet 4, to the server") << jet4 << command << server << QString();
    QTest::newRow("Jet 4, evaluations as numbers")
        << small4 + QStringList{QStringLiteral("--eval-type"), QStringLiteral("number")} << dialog
        << sqlite << QString();
    QTest::newRow("Jet 4, compressed text")
        << small4 + QStringList{QStringLiteral("--compressed-text")} << command << sqlite
        << QString();
    QTest::newRow("Jet 4, encrypted (libmdb reads it)")
        << small4 + QStringList{QStringLiteral("--encrypted")} << dialog << sqlite << QString();
    QTest::newRow("Jet 3, Greek under a Western header, code page named")
        << QStringList{QStringLiteral("--jet"),
                       QStringLiteral("3"),
                       QStringLiteral("--codepage"),
                       QStringLiteral("1253"),
                       QStringLiteral("--header-codepage"),
                       QStringLiteral("1252"),
                       QStringLiteral("--ships"),
                       QStringLiteral("30"),
                       years,
                       QStringLiteral("2025-2026")}
        << command << sqlite << QStringLiteral("1253");
}

void TestAccessTakeOver::takenOver()
{
    QFETCH(QStringList, options);
    QFETCH(QString, way);
    QFETCH(QString, engine);
    QFETCH(QString, codePage);
    QTemporaryDir folder;
    const QString access = folder.filePath(QStringLiteral("ORXmanager97.mdb"));
    QVERIFY(MdbTools::make(access, options).startsWith(QStringLiteral("JET")));
    const QString before = checksum(access);

    DatabaseLocation location = DatabaseLocation::file(access);
    QString kept = access;
    if (way == QLatin1String("dialog")) {
        LoadedWindow window;
        window.database = location;
        window.messages.answerYes = true;
        QVERIFY(window.load());
        QCOMPARE(window.messages.shown.size(), 2);
        QVERIFY(window.messages.shown.first().text.contains(
            QStringLiteral("%1 ships")
                .arg(options.at(options.indexOf(QStringLiteral("--ships")) + 1))));
        QVERIFY2(window.shipRows() > 0, "the grid shows the ships taken over");
        QVERIFY2(!QGuiApplication::overrideCursor(), "the wait cursor is gone");
        kept = folder.filePath(QStringLiteral("ORXmanager97-access-2026-06-15.mdb"));
    } else {
        QString target = folder.filePath(QStringLiteral("new.mdb"));
        if (engine == QLatin1String("postgresql")) {
            QVERIFY2(TestServer::instance().failure().isEmpty(),
                     qPrintable(TestServer::instance().failure()));
            target = TestServer::instance().createDatabase();
        }
        QStringList arguments = {QStringLiteral("--database"), target,
                                 QStringLiteral("--import-access"), access};
        if (way == QLatin1String("export"))
            arguments = {QStringLiteral("--database"), access, QStringLiteral("--export-csv"),
                         QStringLiteral("2025"), folder.filePath(QStringLiteral("2025.csv"))};
        if (!codePage.isEmpty())
            arguments << QStringLiteral("--access-codepage") << codePage;
        const ProgramRun run = ProgramRun::of(Program, arguments);
        QVERIFY2(run.exitCode == 0, qPrintable(run.err));
        QVERIFY(run.out.contains(QStringLiteral("taken over")));
        QString problem;
        location = *DatabaseLocation::parse(target, &problem);
    }
    QCOMPARE(checksum(kept), before);

    DrillDatabase db(location);
    QCOMPARE(db.open(DrillDatabase::Creation::Refused), QString());
    const QString charset = codePage.isEmpty() ? QString() : QStringLiteral("CP") + codePage;
    QStringList found = differences(db, kept, QStringLiteral("Ships"), 1, charset) +
                        differences(db, kept, QStringLiteral("Drills"), 1, charset) +
                        differences(db, kept, QStringLiteral("Evaluation"), 2, charset) +
                        differences(db, kept, QStringLiteral("Company"), 1, charset);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(u'\n')));
    QSqlQuery history(db.connection());
    QVERIFY(history.exec(QStringLiteral("SELECT COUNT(*) FROM History")) && history.next());
    QCOMPARE(history.value(0).toInt(), 4); // one entry per table, none per value
}

void TestAccessTakeOver::valuesNotCarried_data()
{
    QTest::addColumn<QString>("option");
    QTest::addColumn<QString>("reported"); // a line of the report, in part
    QTest::addColumn<QString>("check");    // a count that must be 1 in the new database
    QTest::newRow("duplicate ship and year")
        << QStringLiteral("--duplicate-drill") << QStringLiteral("a second drill row")
        << QStringLiteral("SELECT COUNT(*) FROM Drills WHERE IDShip = 1 AND YearDrill = 2025");
    QTest::newRow("ship without a name")
        << QStringLiteral("--nameless-ship") << QStringLiteral("Ship 2,,ShipName,,")
        << QStringLiteral("SELECT COUNT(*) FROM Drills WHERE ShipName = 'Ship 2' AND "
                          "YearDrill = 2026");
    QTest::newRow("drill of a ship that no longer exists")
        << QStringLiteral("--orphan-drill") << QStringLiteral("Lost Ship,2025,IDShip,105,")
        << QStringLiteral("SELECT COUNT(*) FROM Drills WHERE IDShip = 105");
    QTest::newRow("text dates that are not dates")
        << QStringLiteral("--text-dates") << QStringLiteral("Drill Date,next week,not a date")
        << QStringLiteral("SELECT COUNT(*) FROM Drills WHERE \"Drill Date\" = 'next week'");
    QTest::newRow("text dates that are dates")
        << QStringLiteral("--text-dates") << QStringLiteral("Drill Date1,31/02/2025,not a date")
        << QStringLiteral("SELECT COUNT(*) = 0 FROM Drills WHERE \"Done Date\" NOT LIKE "
                          "'____-__-__'");
    QTest::newRow("extra table and column")
        << QStringLiteral("--extra-table --extra-column --report-tables")
        << QStringLiteral("Crew, Drills.Remarks")
        << QStringLiteral("SELECT COUNT(*) + 1 FROM PrintDrills");
}

void TestAccessTakeOver::valuesNotCarried()
{
    QFETCH(QString, option);
    QFETCH(QString, reported);
    QFETCH(QString, check);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); // dd/mm/yyyy
    QTemporaryDir folder;
    const QString access = folder.filePath(QStringLiteral("ORXmanager97.mdb"));
    const QStringList options = {QStringLiteral("--jet"),   QStringLiteral("4"),
                                 QStringLiteral("--ships"), QStringLiteral("5"),
                                 QStringLiteral("--years"), QStringLiteral("2025-2026")};
    QCOMPARE(MdbTools::make(access, options + option.split(u' ')), QStringLiteral("JET4"));
    QVERIFY(MdbTools::run(QStringLiteral("mdb-tables"), {QStringLiteral("-1"), access})
                .contains(QStringLiteral("Drills")));
    LoadedWindow window;
    window.database = DatabaseLocation::file(access);
    window.messages.answerYes = true;
    QVERIFY(window.load());
    const QString report =
        folder.filePath(QStringLiteral("ORXmanager97-access-2026-06-15-report.csv"));
    QFile file(report);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString lines = QString::fromUtf8(file.readAll());
    const QString shown = window.messages.shown.constLast().text;
    QVERIFY2(lines.contains(reported) || shown.contains(reported), qPrintable(lines + shown));
    DrillDatabase db(access);
    QCOMPARE(db.open(), QString());
    QSqlQuery query(db.connection());
    QVERIFY(query.exec(check) && query.next());
    QCOMPARE(query.value(0).toInt(), 1);
}

void TestAccessTakeOver::refused_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("way");
    QTest::addColumn<QString>("message"); // in part
    const QString dialog = QStringLiteral("dialog");
    const QString command = QStringLiteral("command");
    const QString damaged = QStringLiteral("damaged");
    QTest::newRow("cut short within a page")
        << QStringLiteral("--cut 30000") << command << QStringLiteral("cut short");
    QTest::newRow("cut short at a page") << QStringLiteral("--cut 12288") << dialog << damaged;
    QTest::newRow("garbage pages") << QStringLiteral("--garbage-pages") << command << damaged;
    QTest::newRow("garbage table definition")
        << QStringLiteral("--garbage-definition") << dialog << damaged;
    QTest::newRow("password") << QStringLiteral("--password") << dialog
                              << QStringLiteral("protected by a password");
    QTest::newRow("accdb") << QStringLiteral("--accdb") << command
                           << QStringLiteral("not supported");
    QTest::newRow("no Drills") << QStringLiteral("--without-table Drills") << dialog
                               << QStringLiteral("no table Drills");
    QTest::newRow("no Ships") << QStringLiteral("--without-table Ships") << command
                              << QStringLiteral("no table Ships");
    QTest::newRow("missing column") << QStringLiteral("--without-column Drills.Done Date1")
                                    << command << QStringLiteral("no column [Done Date1]");
    QTest::newRow("unknown code page") << QStringLiteral("--access-codepage CP9999") << command
                                       << QStringLiteral("not one this system knows");
    QTest::newRow("database holding ships")
        << QString() << QStringLiteral("into a fleet") << QStringLiteral("already holds 3 ships");
    QTest::newRow("answered No") << QString() << QStringLiteral("No") << QString();
    QTest::newRow("exported, not taken over")
        << QString() << QStringLiteral("export") << QStringLiteral("--import-access");
    QTest::newRow("disk full part-way")
        << QString() << QStringLiteral("full disk") << QStringLiteral("could not be taken over");
    QTest::newRow("killed part-way")
        << QStringLiteral("--years 2000-2026") << QStringLiteral("killed") << QString();
}

void TestAccessTakeOver::refused()
{
    QFETCH(QString, options);
    QFETCH(QString, way);
    QFETCH(QString, message);
    QTemporaryDir folder;
    const QString access = folder.filePath(QStringLiteral("ORXmanager97.mdb"));
    QStringList makerOptions = {QStringLiteral("--jet"),   QStringLiteral("4"),
                                QStringLiteral("--ships"), QStringLiteral("200"),
                                QStringLiteral("--years"), QStringLiteral("2024-2026")};
    const bool ours = options.startsWith(QLatin1String("--access"));
    if (!options.isEmpty() && !ours) {
        const qsizetype blank = options.indexOf(u' ');
        makerOptions << options.left(blank);
        if (blank > 0)
            makerOptions << options.mid(blank + 1);
    }
    if (ours)
        makerOptions[1] = QStringLiteral("3");
    QVERIFY(!MdbTools::make(access, makerOptions).startsWith(QLatin1String("mdb-ver")));
    const QString before = checksum(access);
    const QStringList filesBefore = QDir(folder.path()).entryList(QDir::Files);

    QString said;
    if (way == QLatin1String("dialog") || way == QLatin1String("No")) {
        LoadedWindow window;
        window.database = DatabaseLocation::file(access);
        window.messages.answerYes = way == QLatin1String("dialog");
        QVERIFY(!window.load());
        said = window.messages.shown.constLast().text;
    } else {
        Fixture fleet(3);
        const QString target = way == QLatin1String("into a fleet")
                                   ? fleet.databasePath()
                                   : folder.filePath(QStringLiteral("new.mdb"));
        const QString fleetBefore = checksum(fleet.databasePath());
        QStringList arguments = {QStringLiteral("--database"), target,
                                 QStringLiteral("--import-access"), access};
        if (way == QLatin1String("export"))
            arguments = {QStringLiteral("--database"), access, QStringLiteral("--export-csv"),
                         QStringLiteral("2025"), folder.filePath(QStringLiteral("2025.csv"))};
        if (ours)
            arguments << options.split(u' ');
        if (way == QLatin1String("killed")) {
            QVERIFY(killWhileWriting(access));
            QCOMPARE(checksum(access), before);
            // What the killed one left is cleared by the next take-over, which succeeds.
            arguments = {QStringLiteral("--database"), access, QStringLiteral("--import-access"),
                         access};
            QCOMPARE(ProgramRun::of(Program, arguments).exitCode, 0);
            QVERIFY(!QFileInfo::exists(access + QStringLiteral(".access-new")));
            return;
        }
        // A disk that fills: the program may write no more than a few pages.
        const ProgramRun run =
            way == QLatin1String("full disk")
                ? ProgramRun::of(QStringLiteral("bash"),
                                 {QStringLiteral("-c"),
                                  QStringLiteral("trap '' XFSZ; ulimit -f 64; exec \"$@\""),
                                  QStringLiteral("bash"), Program, QStringLiteral("--database"),
                                  access, QStringLiteral("--import-access"), access})
                : ProgramRun::of(Program, arguments);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(checksum(fleet.databasePath()), fleetBefore);
        said = run.err;
    }
    QVERIFY2(said.contains(message), qPrintable(said));
    QCOMPARE(checksum(access), before);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files), filesBefore);
}

QTEST_MAIN(TestAccessTakeOver)
#include "tst_accesstakeover.moc"
