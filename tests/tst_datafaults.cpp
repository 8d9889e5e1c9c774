// The data file under faults: killed mid-write, cut short on the first start, damaged, locked,
// in a folder that cannot be written; and the grid when a year cannot be read or made.
#include "DatabaseFiles.h"
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/ProgramTitle.h"
#include "data/Backups.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/Schema.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTest>

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <thread>

using namespace std::chrono_literals;

namespace {

constexpr auto ShortWait = 50ms; // how long the program waits for a lock, in tests

QByteArray digestOf(const QString& path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A leaf page of a table, from the middle of it.
int leafPageOf(const Fixture& fixture, const QString& table)
{
    QSqlQuery query(fixture.db());
    query.prepare(QStringLiteral("SELECT pageno FROM dbstat WHERE name = ? AND pagetype = 'leaf' "
                                 "ORDER BY pageno"));
    query.addBindValue(table);
    QList<int> pages;
    if (query.exec()) {
        while (query.next())
            pages << query.value(0).toInt();
    }
    return pages.isEmpty() ? 0 : pages.at(pages.size() / 2);
}

// The view the grid reads made unreadable, as a file changed by other means could be.
void breakTheDrillView(const Fixture& fixture)
{
    fixture.exec(QStringLiteral("DROP VIEW QuDrills"));
    fixture.exec(QStringLiteral("CREATE VIEW QuDrills AS SELECT * FROM NoSuchTable"));
}

struct ChildResult
{
    QProcess::ExitStatus status;
    QStringList lines;
};

// A copy of the child that any user can start: the build may lie in a folder that only its
// owner can enter (a home folder, a folder made by mktemp -d).
class ChildForEveryone
{
public:
    ChildForEveryone() : m_path(m_folder.filePath(QStringLiteral("orx_datachild")))
    {
        const auto everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                              QFile::ReadGroup | QFile::ExeGroup | QFile::ReadOther |
                              QFile::ExeOther;
        if (!QFile::copy(QStringLiteral(DATA_CHILD), m_path) ||
            !QFile::setPermissions(m_path, everyone) ||
            !QFile::setPermissions(m_folder.path(), everyone))
            m_path.clear();
    }
    QString folder() const { return m_folder.path(); }
    QString path() const { return m_path; }

private:
    QTemporaryDir m_folder;
    QString m_path;
};

// Runs the child to its end; as the user nobody when asked to.
ChildResult runChild(const QStringList& arguments, const passwd* asUser = nullptr)
{
    QProcess child;
    std::optional<ChildForEveryone> copy;
    if (asUser) {
        copy.emplace();
        child.setWorkingDirectory(copy->folder());
        const uid_t uid = asUser->pw_uid;
        const gid_t gid = asUser->pw_gid;
        child.setChildProcessModifier([uid, gid] {
            if (setgroups(0, nullptr) != 0 || setgid(gid) != 0 || setuid(uid) != 0)
                _exit(99);
        });
    }
    child.start(copy ? copy->path() : QStringLiteral(DATA_CHILD), arguments);
    child.waitForFinished(20000);
    return {child.exitStatus(),
            QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)};
}

// What the kill test's children reported as stored, and the check of the file against it.
class Acknowledged
{
public:
    // Takes the complete lines of a child's output; returns the highest edit number seen.
    qint64 take(const QByteArray& output, qint64 highest)
    {
        const QList<QByteArray> lines = output.split('\n');
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) { // the last piece is unfinished
            const QList<QByteArray> words = lines.at(i).split(' ');
            if (words.size() == 4 && words.at(0) == "field") {
                const qint64 n = words.at(3).toLongLong();
                m_fields[{words.at(1).toLongLong(), words.at(2).toInt()}] = n;
                highest = qMax(highest, n);
            } else if (words.size() == 2 && words.at(0) == "year") {
                m_years.append(words.at(1).toInt());
                highest = qMax(highest, qint64(words.at(1).toInt() - 3000));
            }
            ++m_count;
        }
        return highest;
    }

    int count() const { return m_count; }

    // Every acknowledged edit is in the file: each field holds its value or a later one.
    void verifyIn(DrillDatabase& db, int shipCount) const
    {
        DrillDataSource data(db);
        data.setYear(2026);
        QVERIFY(data.refresh());
        QHash<qint64, DrillRecord> byId;
        for (const DrillRecord& record : data.records())
            byId.insert(record.idDrill, record);
        for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
            const QString stored =
                byId.value(it.key().first).stored(DrillRecord::Column(it.key().second));
            QVERIFY2(numberOf(stored) >= it.value(),
                     qPrintable(QStringLiteral("drill %1 column %2 holds \"%3\", edit %4 was "
                                               "acknowledged")
                                    .arg(it.key().first)
                                    .arg(it.key().second)
                                    .arg(stored)
                                    .arg(it.value())));
        }
        for (int year : m_years) {
            data.setYear(year);
            QVERIFY(data.refresh());
            QCOMPARE(data.recordCount(), shipCount);
        }
        verifyHistoryIn(db, byId);
    }

private:
    // Each field's entries chain from nothing to the value it holds, each one's old value the
    // one before's new: no edit without its entry, and no entry without its edit. Every
    // acknowledged edit is among them.
    void verifyHistoryIn(DrillDatabase& db, const QHash<qint64, DrillRecord>& byId) const
    {
        QSqlQuery query(db.connection());
        QVERIFY(
            query.exec(QStringLiteral("SELECT RecordId, Field, OldValue, NewValue FROM "
                                      "History WHERE TableName = 'Drills' ORDER BY IDHistory")));
        QHash<QPair<qint64, int>, QString> last;
        QSet<QString> entries;
        while (query.next()) {
            const QPair<qint64, int> key{query.value(0).toLongLong(),
                                         columnOf(query.value(1).toString())};
            QCOMPARE(query.value(2).toString(), last.value(key));
            last[key] = query.value(3).toString();
            entries.insert(QStringLiteral("%1 %2 %3")
                               .arg(key.first)
                               .arg(key.second)
                               .arg(query.value(3).toString()));
        }
        for (auto it = last.cbegin(); it != last.cend(); ++it)
            QCOMPARE(byId.value(it.key().first).stored(DrillRecord::Column(it.key().second)),
                     it.value());
        for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
            const QString value = valueFor(DrillRecord::Column(it.key().second), it.value());
            QVERIFY2(
                entries.contains(
                    QStringLiteral("%1 %2 %3").arg(it.key().first).arg(it.key().second).arg(value)),
                qPrintable(QStringLiteral("no history of edit %1").arg(it.value())));
        }
    }

    static int columnOf(const QString& field)
    {
        const QStringList columns = Schema::drillColumns();
        const qsizetype quoted = columns.indexOf(u'"' + field + u'"');
        return int(quoted >= 0 ? quoted : columns.indexOf(field));
    }

    // The value the child stores for edit n, as it makes it.
    static QString valueFor(DrillRecord::Column column, qint64 n)
    {
        using C = DrillRecord::Column;
        if (column == C::DrillDate || column == C::DoneDate || column == C::DrillDate1 ||
            column == C::DoneDate1)
            return DateText::toIso(QDate(2000, 1, 1).addDays(n));
        return QStringLiteral("v%1").arg(n);
    }

    static qint64 numberOf(const QString& stored)
    {
        if (stored.startsWith(u'v'))
            return stored.mid(1).toLongLong();
        const auto date = DateText::read(stored);
        return date ? QDate(2000, 1, 1).daysTo(*date) : -1;
    }

    QHash<QPair<qint64, int>, qint64> m_fields;
    QList<int> m_years;
    int m_count = 0;
};

QString integrityOf(DrillDatabase& db)
{
    QSqlQuery query(db.connection());
    QStringList findings;
    if (query.exec(QStringLiteral("PRAGMA integrity_check"))) {
        while (query.next())
            findings << query.value(0).toString();
    }
    return findings.join(u'\n');
}

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(content);
}

// The files in the folder whose names end so.
QStringList filesEndingIn(const QString& folder, const QString& end)
{
    return QDir(folder).entryList({u'*' + end}, QDir::Files | QDir::Hidden);
}

} // namespace

class TestDataFaults : public QObject
{
    Q_OBJECT

private slots:
    void init() { setTheTestDay(); }
    void cleanup() { Clock::reset(); }

    // A child makes edits through the data layer and is killed at random moments, now and
    // then while it starts, mostly while it writes.
    void killedAtRandomMomentsNoAcknowledgedEditIsLost()
    {
        constexpr int Ships = 30;
        constexpr int Kills = 60;
        Fixture fixture(Ships);
        {
            DrillDatabase db(fixture.databasePath());
            QCOMPARE(db.open(), QString());
            DrillDataSource data(db);
            data.setYear(2026);
            QVERIFY(data.addFleetYear());
        }
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        Acknowledged acknowledged;
        qint64 next = 0;
        int journalsLeft = 0;
        for (int kill = 0; kill < Kills; ++kill) {
            QProcess child;
            child.start(QStringLiteral(DATA_CHILD),
                        {QStringLiteral("edit"), fixture.databasePath(), QString::number(next),
                         QString::number(random.generate())});
            QVERIFY(child.waitForStarted());
            QByteArray output;
            if (kill % 4 == 0) {
                std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(150000)));
            } else {
                const int wanted = random.bounded(1, 10);
                while (output.count('\n') < wanted && child.waitForReadyRead(5000))
                    output += child.readAllStandardOutput();
                QVERIFY2(output.count('\n') >= wanted, "the child stopped editing");
                std::this_thread::sleep_for(std::chrono::microseconds(random.bounded(3000)));
            }
            child.kill();
            QVERIFY(child.waitForFinished(5000));
            output += child.readAllStandardOutput();
            next = acknowledged.take(output, next) + 2; // past an edit stored but not told

            journalsLeft += QFile::exists(fixture.databasePath() + QStringLiteral("-journal"));
            DrillDatabase db(fixture.databasePath());
            QVERIFY2(db.open().isEmpty(), qPrintable(QStringLiteral("seed %1").arg(seed)));
            QCOMPARE(integrityOf(db), QStringLiteral("ok"));
            acknowledged.verifyIn(db, Ships);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("after kill %1, seed %2").arg(kill).arg(seed)));
        }
        qInfo("%d kills, %d acknowledged edits, %d kills left a journal to roll back", Kills,
              acknowledged.count(), journalsLeft);
        QVERIFY(acknowledged.count() > Kills);
    }

    // The kernel kills the first start when a file grows past the limit: at the journal's
    // first byte, or part-way through the schema's pages.
    void aFirstStartCutShortSimplyStartsAgain_data()
    {
        QTest::addColumn<int>("maxBytes");
        QTest::newRow("nothing written") << 0;
        QTest::newRow("one page") << 4096;
        QTest::newRow("two pages") << 8192;
        QTest::newRow("five pages") << 20480;
    }
    void aFirstStartCutShortSimplyStartsAgain()
    {
        QFETCH(int, maxBytes);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ORXmanager97.mdb"));
        const ChildResult cut =
            runChild({QStringLiteral("create"), path, QString::number(maxBytes)});
        QCOMPARE(cut.status, QProcess::CrashExit);

        DrillDatabase db(path);
        QCOMPARE(db.open(), QString());
        QSqlQuery query(db.connection());
        QVERIFY(query.exec(QStringLiteral("SELECT COUNT(*) FROM QuDrills")));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files),
                 QStringList{QStringLiteral("ORXmanager97.mdb")});
    }

    void aDamagedFileIsRefusedAndNotWrittenTo()
    {
        Fixture fixture(2000);
        const int page = leafPageOf(fixture, QStringLiteral("Ships"));
        QVERIFY(page > 1);
        DatabaseFiles::zeroPage(fixture.databasePath(), page);
        const QByteArray before = digestOf(fixture.databasePath());

        DrillDatabase db(fixture.databasePath(), ShortWait);
        const QString message = db.open();
        QCOMPARE(db.problem(), DrillDatabase::Problem::Damaged);
        QVERIFY2(message.contains(QStringLiteral("is damaged (")) &&
                     message.contains(QStringLiteral("has not written to it")) &&
                     message.contains(fixture.databasePath()),
                 qPrintable(message));
        QCOMPARE(digestOf(fixture.databasePath()), before);
    }

    void aDamagedFileAtStartNamesTheNewestGoodBackup_data()
    {
        QTest::addColumn<bool>("cutShort");
        QTest::newRow("a zeroed page") << false;
        QTest::newRow("cut short at its end") << true;
    }

    void aDamagedFileAtStartNamesTheNewestGoodBackup()
    {
        QFETCH(bool, cutShort);
        LoadedWindow w(300);
        Clock::setFixed(QDateTime(QDate(2026, 3, 1), QTime(8, 0)));
        QCOMPARE(Backups::makeDaily(w.fixture.databasePath()).kind, Backups::Outcome::Kind::Made);
        Clock::setFixed(QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
        const QString path = w.fixture.databasePath();
        if (cutShort)
            QVERIFY(QFile::resize(path, QFileInfo(path).size() - 22));
        else
            DatabaseFiles::zeroMiddlePage(path);
        const QByteArray before = digestOf(w.fixture.databasePath());

        QVERIFY(!w.load());
        // One message: no attempt at today's backup of a damaged file comes before it.
        QCOMPARE(w.messages.shown.size(), 1);
        const QString backup =
            QDir::toNativeSeparators(Backups::copyOf(w.fixture.databasePath(), QDate(2026, 3, 1)));
        // The advice restores this very file, not the usual one.
        const QString advice = QStringLiteral("--database \"%1\" --restore \"%2\"")
                                   .arg(QDir::toNativeSeparators(path), backup);
        QVERIFY2(w.messages.shown.first().text.contains(advice),
                 qPrintable(w.messages.shown.first().text));
        QVERIFY(!QFile::exists(Backups::copyOf(w.fixture.databasePath(), QDate(2026, 3, 2))));
        QCOMPARE(digestOf(w.fixture.databasePath()), before);
        Clock::reset();
    }

    void aLockedFileIsInUseNotDamaged()
    {
        Fixture fixture({QStringLiteral("MV Alpha")});
        const QByteArray before = digestOf(fixture.databasePath());
        fixture.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        {
            DrillDatabase db(fixture.databasePath(), ShortWait);
            const QString message = db.open();
            QCOMPARE(db.problem(), DrillDatabase::Problem::InUse);
            QVERIFY2(message.contains(QStringLiteral("in use by another program")) &&
                         message.contains(QStringLiteral("Nothing was changed")) &&
                         !message.contains(QStringLiteral("damaged")),
                     qPrintable(message));
        }
        fixture.exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(digestOf(fixture.databasePath()), before);
        DrillDatabase later(fixture.databasePath(), ShortWait);
        QCOMPARE(later.open(), QString());
    }

    // Root writes into any folder, so as root the program runs as the user nobody here.
    void aReadOnlyFolderIsFoundAtStart()
    {
        const bool root = geteuid() == 0;
        const passwd* nobody = root ? getpwnam("nobody") : nullptr;
        if (root && !nobody)
            QSKIP("Run as root, and there is no user nobody to run the program as; root may "
                  "write into a read-only folder.");
        QTemporaryDir parent;
        QDir(parent.path()).mkdir(QStringLiteral("app"));
        const QString folder = parent.filePath(QStringLiteral("app"));
        const QString path = folder + QStringLiteral("/ORXmanager97.mdb");
        {
            DrillDatabase db(path);
            QCOMPARE(db.open(), QString());
        }
        const auto everyone = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther |
                              QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther;
        const auto writable = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
        QVERIFY(QFile::setPermissions(parent.path(), everyone | QFile::WriteOwner));
        QVERIFY(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther |
                                                writable));
        QVERIFY(QFile::setPermissions(folder, everyone));
        const QByteArray before = digestOf(path);

        const ChildResult readOnly = runChild({QStringLiteral("open"), path}, nobody);
        QFile::setPermissions(folder, everyone | writable);
        QCOMPARE(readOnly.lines.value(0),
                 QString::number(int(DrillDatabase::Problem::FolderReadOnly)));
        QVERIFY2(readOnly.lines.value(1).contains(QStringLiteral("folder of the database file")),
                 qPrintable(readOnly.lines.join(u'\n')));
        QCOMPARE(digestOf(path), before);

        // The same file in a folder that can be written opens: it was the folder.
        const ChildResult writableFolder = runChild({QStringLiteral("open"), path}, nobody);
        QCOMPARE(writableFolder.lines, QStringList{QStringLiteral("0")});
    }

    // SQLite reads what is missing at a file's end as zeros, so a cut must be found by length.
    void aFileCutShortByAnyLengthUpToAPageIsRefused()
    {
        Fixture fixture(300);
        const int pageSize = fixture.scalar(QStringLiteral("PRAGMA page_size")).toInt();
        const QByteArray whole = DatabaseFiles::contentOf(fixture.databasePath());
        QTemporaryDir dir;
        const QString cut = dir.filePath(QStringLiteral("ORXmanager97.mdb"));
        writeFile(cut, whole);
        for (int length = 1; length <= pageSize; ++length) {
            QVERIFY(QFile::resize(cut, whole.size() - length));
            DrillDatabase db(cut, ShortWait);
            const QString message = db.open();
            if (db.problem() != DrillDatabase::Problem::Damaged ||
                Backups::integrityProblem(cut).isEmpty())
                QFAIL(qPrintable(QStringLiteral("cut by %1 bytes: %2").arg(length).arg(message)));
        }
        QCOMPARE(DatabaseFiles::contentOf(cut), whole.chopped(pageSize));
    }

    // The child restores a backup of 3 ships over a file of 200 and is killed at each of its
    // renames; the next start finds one of the two fleets in place, never an empty new file.
    void aRestoreKilledAtEachRenameIsSettledAtTheNextStart()
    {
        Fixture backup(3);
        const auto restoreOver = [&](const Fixture& former, int killAt) {
            writeFile(former.databasePath() + QStringLiteral("-journal"), {}); // left behind
            return runChild({QStringLiteral("restore"), former.databasePath(),
                             backup.databasePath(), QString::number(killAt)});
        };
        const ChildResult whole = restoreOver(Fixture(200), 0);
        QCOMPARE(whole.lines.size(), 1); // no failure
        const int renames = whole.lines.value(0).split(u' ').value(1).toInt();
        QVERIFY(renames >= 3);
        for (int killAt = 1; killAt <= renames; ++killAt) {
            Fixture former(200);
            const QString path = former.databasePath();
            QCOMPARE(restoreOver(former, killAt).status, QProcess::CrashExit);
            DrillDatabase db(path, ShortWait);
            QCOMPARE(db.open(), QString());
            const int ships = DatabaseFiles::shipCount(path);
            const QString aside = Backups::newestKeptAside(path);
            QVERIFY2(ships == 200 || (ships == 3 && DatabaseFiles::shipCount(aside) == 200),
                     qPrintable(QStringLiteral("killed at rename %1: %2 ships, %3 kept aside")
                                    .arg(killAt)
                                    .arg(ships)
                                    .arg(DatabaseFiles::shipCount(aside))));
            // Once the restored copy had its staging name, the start says what it did.
            QCOMPARE(db.notice().isEmpty(), killAt == 1);
            QCOMPARE(filesEndingIn(former.folder(), QStringLiteral(".restoring*")), QStringList());
            QCOMPARE(filesEndingIn(former.folder(), QStringLiteral(".partial*")), QStringList());
        }
    }

    // Another tool in the middle of a write: the restore waits for none of the program's own
    // locks, but must not move the file from under that write, whose commit would be lost.
    void aRestoreLeavesAWriteOfAnotherToolToFinish()
    {
        Fixture former(5);
        Fixture backup(3);
        former.exec(QStringLiteral("BEGIN IMMEDIATE"));
        former.exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES ('MV Late')"));
        const ChildResult restore = runChild(
            {QStringLiteral("restore"), former.databasePath(), backup.databasePath(), "0"});
        former.exec(QStringLiteral("COMMIT"));
        QVERIFY2(restore.lines.join(u' ').contains(QLatin1String("holds it locked")),
                 qPrintable(restore.lines.join(u' ')));
        QCOMPARE(DatabaseFiles::shipCount(former.databasePath()), 6);
    }

    // A full disk is no fault of what was typed: the message says what happened and what to
    // do, under the program's title, and the text stays in its box.
    void aFullDiskIsNamedAsSuchNotAsAnInputError()
    {
        LoadedWindow w({"MV Alpha"});
        QVERIFY(w.loadAndShow());
        const int pages = w.fixture.scalar(QStringLiteral("PRAGMA page_count")).toInt();
        QVERIFY(w.execOnWorker(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));
        QVERIFY(w.clickCell(QStringLiteral("MV Alpha"), DrillRecord::Master));
        QVERIFY(w.box());
        const QString pasted = QString(6000, u'x') + u'y';
        w.box()->setText(pasted.chopped(1)); // as pasted, then a last key typed
        QTest::keyClick(w.box(), Qt::Key_Y);
        QTest::keyClick(w.box(), Qt::Key_Return);
        QTRY_COMPARE(w.messages.shown.size(), 1);
        QCOMPARE(w.messages.shown.first().title, ProgramTitle);
        QVERIFY2(w.messages.shown.first().text.contains(QLatin1String("disk that holds the "
                                                                      "database is full")),
                 qPrintable(w.messages.shown.first().text));
        QTRY_VERIFY(w.box() && w.box()->text() == pasted);
    }

    // The window's start says what it did with a restore killed at its last step.
    void theWindowFinishesARestoreCutShortAndSaysSo()
    {
        Fixture backup(3);
        const auto restoreOver = [&](const QString& path, int killAt) {
            return runChild(
                {QStringLiteral("restore"), path, backup.databasePath(), QString::number(killAt)});
        };
        const int renames =
            restoreOver(Fixture(7).databasePath(), 0).lines.value(0).split(u' ').value(1).toInt();
        LoadedWindow w(7);
        QCOMPARE(restoreOver(w.fixture.databasePath(), renames).status, QProcess::CrashExit);
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown.first().text.contains(QStringLiteral("finished")),
                 qPrintable(w.messages.shown.first().text));
        QCOMPARE(w.shipRows(), 3); // the backup's ships
    }

    // Killed as the finished copy was to take its name.
    void aBackupKilledMidCopyLeavesNothingAfterTheNextStart()
    {
        Fixture fixture(2000);
        const QString backups = Backups::folderOf(fixture.databasePath());
        const ChildResult cut =
            runChild({QStringLiteral("backup"), fixture.databasePath(), QStringLiteral("1")});
        QCOMPARE(cut.status, QProcess::CrashExit);
        QCOMPARE(filesEndingIn(backups, QStringLiteral(".partial*")).size(), 1);

        DrillDatabase db(fixture.databasePath(), ShortWait);
        QCOMPARE(db.open(), QString());
        QCOMPARE(filesEndingIn(backups, QStringLiteral(".partial*")), QStringList());
    }

    // Another program holds the file locked while the window watches it for changes: the
    // window's events go on being handled all the while.
    void aLockHeldElsewhereDoesNotStopTheWindow()
    {
        LoadedWindow w(20);
        QVERIFY(w.loadAndShow());
        w.fixture.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        QElapsedTimer clock;
        clock.start();
        qint64 last = 0;
        qint64 longestGap = 0;
        QTimer beat;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longestGap = qMax(longestGap, clock.elapsed() - last);
            last = clock.elapsed();
        });
        beat.start(10);
        QTest::qWait(3500);
        w.fixture.exec(QStringLiteral("ROLLBACK"));
        QVERIFY2(longestGap < 500,
                 qPrintable(QStringLiteral("%1 ms without an event").arg(longestGap)));
    }

    // A drive mounted read-only, in a mount namespace of the child's own.
    void aReadOnlyDriveIsNamedAsSuch()
    {
        Fixture fixture({QStringLiteral("MV Alpha")});
        QTemporaryDir drive;
        const QString script = QStringLiteral("mount -t tmpfs none \"$1\" && cp \"$2\" \"$1/\" && "
                                              "mount -o remount,ro \"$1\" && \"$3\" open "
                                              "\"$1/ORXmanager97.mdb\"");
        QProcess child;
        child.start(QStringLiteral("unshare"),
                    {QStringLiteral("-rm"), QStringLiteral("sh"), QStringLiteral("-c"), script,
                     QStringLiteral("sh"), drive.path(), fixture.databasePath(),
                     QStringLiteral(DATA_CHILD)});
        if (!child.waitForFinished(20000) || child.exitCode() != 0)
            QSKIP("No mount namespace of its own can be made here.");
        const QStringList lines =
            QString::fromUtf8(child.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.value(0), QString::number(int(DrillDatabase::Problem::FolderReadOnly)));
        QVERIFY2(lines.value(1).contains(QStringLiteral("mounted read-only")) &&
                     !lines.value(1).contains(QStringLiteral("permissions")),
                 qPrintable(lines.join(u'\n')));
    }

    // A read that fails keeps the year that was read before, and says why.
    void aLockedYearIsNotReadAsAnEmptyOne()
    {
        Fixture fixture(20);
        DrillDatabase db(fixture.databasePath(), ShortWait);
        QCOMPARE(db.open(), QString());
        DrillDataSource data(db);
        data.setYear(2026);
        QVERIFY(data.addFleetYear());
        QVERIFY(data.refresh());
        QList<qint64> shown;
        for (const DrillRecord& record : data.records())
            shown.append(record.idDrill);

        fixture.exec(QStringLiteral("BEGIN EXCLUSIVE"));
        data.setYear(2025);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Reading the drills of a year failed"));
        QVERIFY(!data.refresh());
        fixture.exec(QStringLiteral("ROLLBACK"));
        QCOMPARE(data.failure().number, QStringLiteral("5"));
        QCOMPARE(data.failure().sentence(), QStringLiteral("Error No 5 - database is locked"));
        QList<qint64> kept;
        for (const DrillRecord& record : data.records())
            kept.append(record.idDrill);
        QCOMPARE(kept, shown);
        QCOMPARE(data.recordsYear(), 2026);
    }

    // Damage found while the program runs: the year is not read as the rows before it. With
    // the ships' order indexed, rows stream out before the damaged page is reached.
    void aDamagedPageMakesAFailedReadNotAShorterYear()
    {
        Fixture fixture(2000);
        fixture.exec(QStringLiteral("CREATE INDEX DrillsInOrder ON Drills (ShipName, IDDrill)"));
        DrillDatabase db(fixture.databasePath(), ShortWait);
        QCOMPARE(db.open(), QString());
        DrillDataSource data(db);
        data.setYear(2026);
        QVERIFY(data.addFleetYear());
        QVERIFY(data.refresh());
        const int page = leafPageOf(fixture, QStringLiteral("Drills"));
        QVERIFY(page > 1);
        DatabaseFiles::zeroPage(fixture.databasePath(), page);

        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("Reading the drills of a year"));
        QVERIFY(!data.refresh());
        QCOMPARE(data.failure().number, QStringLiteral("11"));
        QCOMPARE(data.recordCount(), 2000);
    }

    void theGridKeepsItsYearWhenTheNextCannotBeRead()
    {
        LoadedWindow w(3);
        QVERIFY(w.loadAndShow());
        breakTheDrillView(w.fixture);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Reading the drills of a year failed"));
        w.press("previousYearButton");
        QVERIFY(w.settle());

        QCOMPARE(w.messages.shown.size(), 1);
        QCOMPARE(w.messages.shown.first().icon, Messages::Icon::Critical);
        QCOMPARE(w.messages.shown.first().text,
                 QStringLiteral("Error No 1 - no such table: main.NoSuchTable. The drills of 2025 "
                                "could not be read. The grid shows 2026 again."));
        QCOMPARE(w.child<QLabel>("yearLabel")->text(), QStringLiteral("Year - 2026"));
        QCOMPARE(w.shipRows(), 3);
        QCOMPARE(w.rowOf(QStringLiteral("MV Ship 0001")), 0);
        QVERIFY(!w.child<QAbstractButton>("nextYearButton")->isEnabled());
        QVERIFY(w.child<QAbstractButton>("previousYearButton")->isEnabled());
        // Nothing was made for the year that could not be read.
        QCOMPARE(
            w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills WHERE YearDrill = 2025"))
                .toInt(),
            0);
    }

    void aFirstYearThatCannotBeReadEndsTheStart()
    {
        LoadedWindow w(3);
        breakTheDrillView(w.fixture);
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Reading the drills of a year failed"));
        QVERIFY(!w.load());
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown.first().text.endsWith(QStringLiteral(
                     "The drills of 2026 could not be read. The program will now end.")),
                 qPrintable(w.messages.shown.first().text));
        QVERIFY(!QGuiApplication::overrideCursor());
        QCOMPARE(w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills")).toInt(), 0);
    }

    // A full disk while a year's rows are made: said so, nothing stored, and the next visit
    // makes them.
    void aYearWhoseRowsCannotBeMadeIsReported()
    {
        LoadedWindow w(2000);
        QVERIFY(w.loadAndShow());
        const int pages = w.fixture.scalar(QStringLiteral("PRAGMA page_count")).toInt();
        QVERIFY(w.execOnWorker(QStringLiteral("PRAGMA max_page_count = %1").arg(pages)));

        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("Adding the drill rows of a year failed"));
        w.press("previousYearButton");
        QVERIFY(w.settle());
        QCOMPARE(w.messages.shown.size(), 1);
        QCOMPARE(w.messages.shown.first().text,
                 QStringLiteral("Error No 13 - the disk that holds the database is full: free "
                                "some space on it, then try again. The drill rows of 2025 could "
                                "not be created; nothing was stored."));
        QCOMPARE(w.child<QLabel>("yearLabel")->text(), QStringLiteral("Year - 2025"));
        QCOMPARE(w.shipRows(), 0);
        QCOMPARE(
            w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills WHERE YearDrill = 2025"))
                .toInt(),
            0);

        QVERIFY(w.execOnWorker(QStringLiteral("PRAGMA max_page_count = 1073741823")));
        w.press("nextYearButton");
        w.press("previousYearButton");
        QVERIFY(w.settle());
        QCOMPARE(w.shipRows(), 2000);
        QCOMPARE(w.messages.shown.size(), 1);
    }
};

QTEST_MAIN(TestDataFaults)
#include "tst_datafaults.moc"
