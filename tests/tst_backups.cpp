// Daily backups, their rotation, the newest good copy and putting a copy back.
#include "DatabaseFiles.h"
#include "Fixture.h"
#include "common/Clock.h"
#include "data/Backups.h"
#include "data/DrillDatabase.h"
#include "data/SqliteConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTest>

namespace {

const QDate LastDay(2026, 3, 4); // a Wednesday

QDateTime morningOf(const QDate& day)
{
    return QDateTime(day, QTime(8, 30));
}

QList<QDate> daysOfCopies(const QString& databasePath)
{
    QList<QDate> days;
    const QDir folder(Backups::folderOf(databasePath));
    for (const QString& name : folder.entryList(QDir::Files, QDir::Name)) {
        const QDate day =
            QDate::fromString(name.mid(13, 10), QStringLiteral("yyyy-MM-dd")); // ORXmanager97-
        days.append(day);
    }
    return days;
}

QList<QDate> dates(std::initializer_list<const char*> isoDays)
{
    QList<QDate> days;
    for (const char* day : isoDays)
        days.append(QDate::fromString(QString::fromLatin1(day), Qt::ISODate));
    return days;
}

// Starts the program on each day, as the office does.
void startOnDays(const QString& databasePath, const QList<QDate>& days)
{
    for (const QDate& day : days) {
        Clock::setFixed(morningOf(day));
        QCOMPARE(Backups::makeDaily(databasePath).kind, Backups::Outcome::Kind::Made);
    }
}

QList<QDate> daysUpTo(const QDate& last, int count, bool weekendsToo)
{
    QList<QDate> days;
    for (QDate day = last.addDays(-count + 1); day <= last; day = day.addDays(1)) {
        if (weekendsToo || day.dayOfWeek() <= 5)
            days.append(day);
    }
    return days;
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

} // namespace

class TestBackups : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { Clock::reset(); }

    void rotationKeepsSevenDailyAndFourWeeklyCopies_data()
    {
        QTest::addColumn<bool>("weekendsToo");
        QTest::addColumn<QList<QDate>>("kept");
        // Weekly copies are each week's newest, for the weeks the daily copies do not cover.
        QTest::newRow("started every day")
            << true
            << dates({"2026-02-01", "2026-02-08", "2026-02-15", "2026-02-22", "2026-02-26",
                      "2026-02-27", "2026-02-28", "2026-03-01", "2026-03-02", "2026-03-03",
                      "2026-03-04"});
        QTest::newRow("started on weekdays")
            << false
            << dates({"2026-01-30", "2026-02-06", "2026-02-13", "2026-02-20", "2026-02-24",
                      "2026-02-25", "2026-02-26", "2026-02-27", "2026-03-02", "2026-03-03",
                      "2026-03-04"});
    }

    void rotationKeepsSevenDailyAndFourWeeklyCopies()
    {
        QFETCH(bool, weekendsToo);
        QFETCH(QList<QDate>, kept);
        Fixture fixture({"MV Alpha"});
        startOnDays(fixture.databasePath(), daysUpTo(LastDay, 60, weekendsToo));
        QCOMPARE(daysOfCopies(fixture.databasePath()), kept);
    }

    void oneCopyADayWithTheDataOfThatMorning()
    {
        Fixture fixture({"MV Alpha", "MV Bravo"});
        Clock::setFixed(morningOf(LastDay));
        const Backups::Outcome first = Backups::makeDaily(fixture.databasePath());
        QCOMPARE(first.kind, Backups::Outcome::Kind::Made);
        QCOMPARE(first.detail, Backups::copyOf(fixture.databasePath(), LastDay));

        fixture.exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES ('MV Charlie')"));
        Clock::setFixed(morningOf(LastDay).addSecs(3600));
        QCOMPARE(Backups::makeDaily(fixture.databasePath()).kind,
                 Backups::Outcome::Kind::AlreadyMade);
        QCOMPARE(DatabaseFiles::shipCount(first.detail), 2);
        QCOMPARE(QDir(Backups::folderOf(fixture.databasePath())).entryList(QDir::Files).size(), 1);
    }

    void aFileThatIsNoDatabaseYetIsNotCopied()
    {
        QTemporaryDir dir;
        const QString missing = dir.filePath(QStringLiteral("ORXmanager97.mdb"));
        QCOMPARE(Backups::makeDaily(missing).kind, Backups::Outcome::Kind::NothingToCopy);
        writeFile(missing, "Standard Jet DB, not ours");
        QCOMPARE(Backups::makeDaily(missing).kind, Backups::Outcome::Kind::NothingToCopy);
        QVERIFY(!QFileInfo::exists(Backups::folderOf(missing)));
    }

    void aFailedCopyKeepsEveryOlderCopyAndLeavesNoFile_data()
    {
        QTest::addColumn<bool>("cutShort");
        QTest::newRow("a zeroed page") << false;
        QTest::newRow("cut short at its end") << true;
    }

    void aFailedCopyKeepsEveryOlderCopyAndLeavesNoFile()
    {
        QFETCH(bool, cutShort);
        Fixture fixture(400);
        // More copies than rotation keeps, as after a week the program was not started.
        QDir().mkpath(Backups::folderOf(fixture.databasePath()));
        for (const QDate& day : daysUpTo(LastDay.addDays(-1), 12, true))
            QVERIFY(
                QFile::copy(fixture.databasePath(), Backups::copyOf(fixture.databasePath(), day)));
        const QList<QDate> before = daysOfCopies(fixture.databasePath());
        if (cutShort)
            QVERIFY(QFile::resize(fixture.databasePath(),
                                  QFileInfo(fixture.databasePath()).size() - 22));
        else
            DatabaseFiles::zeroMiddlePage(fixture.databasePath());

        Clock::setFixed(morningOf(LastDay));
        const Backups::Outcome outcome = Backups::makeDaily(fixture.databasePath());
        QCOMPARE(outcome.kind, Backups::Outcome::Kind::Failed);
        QVERIFY2(!outcome.detail.isEmpty(), "the user is told why");
        QCOMPARE(daysOfCopies(fixture.databasePath()), before);
        QCOMPARE(QDir(Backups::folderOf(fixture.databasePath())).entryList(QDir::Files).size(),
                 before.size());
    }

    void aBackupsFolderThatCannotBeMadeIsAFailure()
    {
        Fixture fixture({"MV Alpha"});
        writeFile(Backups::folderOf(fixture.databasePath()), "a file in the folder's place");
        const Backups::Outcome outcome = Backups::makeDaily(fixture.databasePath());
        QCOMPARE(outcome.kind, Backups::Outcome::Kind::Failed);
        QVERIFY(outcome.detail.contains(QLatin1String(Backups::FolderName)));
    }

    void integrityProblemsAreFound()
    {
        Fixture fixture(400);
        QVERIFY(Backups::integrityProblem(fixture.databasePath()).isEmpty());
        QTemporaryDir dir;
        const QString empty = dir.filePath(QStringLiteral("empty.mdb"));
        writeFile(empty, {});
        const QString foreign = dir.filePath(QStringLiteral("foreign.mdb"));
        writeFile(foreign, QByteArray(8192, 'x'));
        for (const QString& bad : {empty, foreign, dir.filePath(QStringLiteral("missing.mdb"))})
            QVERIFY2(!Backups::integrityProblem(bad).isEmpty(), qPrintable(bad));
        DatabaseFiles::zeroMiddlePage(fixture.databasePath());
        QVERIFY(!Backups::integrityProblem(fixture.databasePath()).isEmpty());
    }

    void theNewestGoodCopyPassesOverDamagedOnes()
    {
        Fixture fixture(400);
        QCOMPARE(Backups::newestGoodCopy(fixture.databasePath()), QString());
        startOnDays(fixture.databasePath(), daysUpTo(LastDay, 3, true));
        DatabaseFiles::zeroMiddlePage(Backups::copyOf(fixture.databasePath(), LastDay));
        QCOMPARE(Backups::newestGoodCopy(fixture.databasePath()),
                 Backups::copyOf(fixture.databasePath(), LastDay.addDays(-1)));
    }

    void restorePutsTheCopyInPlaceAndKeepsTheFormerFileAside()
    {
        Fixture fixture({"MV Alpha"});
        startOnDays(fixture.databasePath(), {LastDay});
        fixture.exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES ('MV Bravo')"));
        const QByteArray former = DatabaseFiles::contentOf(fixture.databasePath());
        const QString journal = fixture.databasePath() + QStringLiteral("-journal");
        writeFile(journal, "left by a crash");

        const QDateTime now = morningOf(LastDay).addSecs(7200);
        const Backups::Restored restored = Backups::restore(
            Backups::copyOf(fixture.databasePath(), LastDay), fixture.databasePath(), now);
        QCOMPARE(restored.failure, QString());
        QCOMPARE(DatabaseFiles::shipCount(fixture.databasePath()), 1);
        QCOMPARE(QFileInfo(restored.keptAside).fileName(),
                 QStringLiteral("ORXmanager97-before-restore-2026-03-04-103000.mdb"));
        QCOMPARE(DatabaseFiles::contentOf(restored.keptAside), former);
        // A journal belongs to the file it was written for, never to the restored one.
        QVERIFY(!QFileInfo::exists(journal));
        QCOMPARE(DatabaseFiles::contentOf(restored.keptAside + QStringLiteral("-journal")),
                 QByteArray("left by a crash"));
    }

    // A former file kept aside with the journal of a write cut short is put back as it was
    // before that write: its journal is rolled back, never taken for damage.
    void aFileKeptAsideWithAHotJournalIsRestoredAsItWasBeforeTheWrite()
    {
        Fixture fixture({"MV Alpha"});
        Fixture former(400);
        const QString aside = Backups::keptAsideFile(fixture.databasePath(), morningOf(LastDay));
        // Copied in the middle of a write large enough to reach the file: the write was cut.
        former.exec(QStringLiteral("PRAGMA cache_size = 2"));
        former.exec(QStringLiteral("BEGIN"));
        former.exec(QStringLiteral("UPDATE Ships SET ShipName = hex(randomblob(500))"));
        for (const QString& suffix : {QString(), QStringLiteral("-journal")})
            QVERIFY(QFile::copy(former.databasePath() + suffix, aside + suffix));
        former.exec(QStringLiteral("ROLLBACK"));
        const QByteArray journal = DatabaseFiles::contentOf(aside + QStringLiteral("-journal"));

        const Backups::Restored restored =
            Backups::restore(aside, fixture.databasePath(), morningOf(LastDay).addSecs(60));
        QCOMPARE(restored.failure, QString());
        SqliteConnection::Scoped db(fixture.databasePath(), SqliteConnection::Access::ReadOnly);
        QSqlQuery longest(QStringLiteral("SELECT COUNT(*), MAX(length(ShipName)) FROM Ships"),
                          db.db());
        QVERIFY(longest.next());
        QCOMPARE(longest.value(0).toInt(), 400);
        QVERIFY2(longest.value(1).toInt() < 100, "the names as they were before the write");
        // The file kept aside stays as it was, journal and all.
        QCOMPARE(DatabaseFiles::contentOf(aside + QStringLiteral("-journal")), journal);
    }

    void restoreWithoutAFormerFile()
    {
        Fixture source({"MV Alpha"});
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("ORXmanager97.mdb"));
        const Backups::Restored restored =
            Backups::restore(source.databasePath(), target, morningOf(LastDay));
        QCOMPARE(restored.failure, QString());
        QCOMPARE(restored.keptAside, QString());
        QCOMPARE(DatabaseFiles::shipCount(target), 1);
    }

    void restoreRefusesABadBackupAndChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("says");
        const QString unsound = QStringLiteral("is not a sound database of this program");
        QTest::newRow("damaged") << "damaged" << unsound;
        QTest::newRow("another program's database") << "foreign"
                                                    << "not one of this program";
        QTest::newRow("missing") << "missing"
                                 << "there is no such file";
        QTest::newRow("random bytes") << "random" << unsound;
        QTest::newRow("cut short at its end") << "cut" << unsound;
        QTest::newRow("half of it") << "half" << unsound;
    }

    void restoreRefusesABadBackupAndChangesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, says);
        Fixture fixture({"MV Alpha"});
        Fixture backupFixture(400);
        const QString backup = backupFixture.databasePath();
        if (kind == QLatin1String("damaged"))
            DatabaseFiles::zeroMiddlePage(backup);
        if (kind == QLatin1String("foreign"))
            backupFixture.exec(QStringLiteral("DROP VIEW QuDrills"));
        if (kind == QLatin1String("missing"))
            QVERIFY(QFile::remove(backup));
        if (kind == QLatin1String("random"))
            writeFile(backup, QByteArray(20000, '\x5a'));
        const qint64 size = QFileInfo(backup).size();
        if (kind == QLatin1String("cut") || kind == QLatin1String("half"))
            QVERIFY(QFile::resize(backup, kind == QLatin1String("cut") ? size - 22 : size / 2));
        const QByteArray before = DatabaseFiles::contentOf(fixture.databasePath());

        const Backups::Restored restored =
            Backups::restore(backup, fixture.databasePath(), morningOf(LastDay));
        QVERIFY(restored.failure.contains(backup));
        QVERIFY2(!restored.failure.contains(QLatin1String(".restoring")), "names the user's file");
        QVERIFY2(restored.failure.contains(says), qPrintable(restored.failure));
        QCOMPARE(DatabaseFiles::contentOf(fixture.databasePath()), before);
        QCOMPARE(QDir(fixture.folder()).entryList(QDir::Files),
                 QStringList{QStringLiteral("ORXmanager97.mdb")});
    }

    // Only a file kept aside, as a restore leaves it when cut short and its copy did not survive:
    // a start puts it back rather than making a new, empty database beside it.
    void aStartPutsBackAFileKeptAsideWhenTheDatabaseIsMissing()
    {
        Fixture fixture(5);
        const QString aside = Backups::keptAsideFile(fixture.databasePath(), morningOf(LastDay));
        QVERIFY(QFile::rename(fixture.databasePath(), aside));
        DrillDatabase db(fixture.databasePath());
        QCOMPARE(db.open(), QString());
        QVERIFY2(db.notice().contains(QLatin1String("undone")), qPrintable(db.notice()));
        QCOMPARE(DatabaseFiles::shipCount(fixture.databasePath()), 5);
        QVERIFY(!QFileInfo::exists(aside));
    }

    void twoRestoresInOneSecondBothKeepTheirFormerFile()
    {
        Fixture fixture({"MV Alpha"});
        Fixture first(3);
        Fixture second(5);
        const QDateTime now = morningOf(LastDay);
        const Backups::Restored one =
            Backups::restore(first.databasePath(), fixture.databasePath(), now);
        const Backups::Restored two =
            Backups::restore(second.databasePath(), fixture.databasePath(), now);
        QCOMPARE(one.failure, QString());
        QCOMPARE(two.failure, QString());
        QCOMPARE(DatabaseFiles::shipCount(one.keptAside), 1);
        QCOMPARE(DatabaseFiles::shipCount(two.keptAside), 3);
        QCOMPARE(Backups::newestKeptAside(fixture.databasePath()), two.keptAside);
        QCOMPARE(DatabaseFiles::shipCount(fixture.databasePath()), 5);
    }
};

QTEST_GUILESS_MAIN(TestBackups)
#include "tst_backups.moc"
