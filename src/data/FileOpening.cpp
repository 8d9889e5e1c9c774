#include "data/FileOpening.h"

#include "common/Quoted.h"
#include "data/AccessFile.h"
#include "data/FileUseLock.h"
#include "data/Leftovers.h"
#include "data/Schema.h"
#include "data/SqliteConnection.h"
#include "data/SqliteFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryFile>

#include <sys/statvfs.h>

namespace {

// SQLite's primary result codes that open() tells apart.
constexpr int SqliteBusy = 5;
constexpr int SqliteLocked = 6;
constexpr int SqliteCorrupt = 11;
constexpr int SqliteNotADatabase = 26;

bool onReadOnlyDrive(const QString& path)
{
    struct statvfs drive = {};
    return statvfs(QFile::encodeName(path).constData(), &drive) == 0 &&
           (drive.f_flag & ST_RDONLY) != 0;
}

// SQLite writes its journal beside the file: without a writable folder no change can be
// stored. Trying is the only sure test (read-only mounts, access lists, root's exemptions).
bool folderIsWritable(const QString& filePath)
{
    QTemporaryFile probe(QFileInfo(filePath).absolutePath() +
                         QStringLiteral("/.orx-write-test-XXXXXX"));
    return probe.open();
}

// Makes a database file with the whole schema; empty on success, else the engine's reason.
QString buildSchema(const Dialect& dialect, const QString& path, const QString& connectionName)
{
    QString failure;
    {
        QSqlDatabase db =
            SqliteConnection::add(connectionName, path, SqliteConnection::Access::ReadWrite,
                                  std::chrono::milliseconds(0));
        QSqlError error;
        if (!db.open()) {
            error = db.lastError();
        } else {
            DrillDatabase::inTransaction(
                db,
                [&] {
                    QSqlQuery query(db);
                    for (const QString& statement : Schema::createStatements(dialect)) {
                        if (!query.exec(statement)) {
                            error = query.lastError();
                            return false;
                        }
                    }
                    return true;
                },
                &error);
            db.close();
        }
        failure = error.text();
    }
    QSqlDatabase::removeDatabase(connectionName);
    return failure;
}

// The first lines of what an integrity check found, on one line.
QString firstFinding(const QStringList& findings)
{
    const QString text = findings.value(0).simplified();
    return text.size() > 200 ? text.left(200) + QStringLiteral("...") : text;
}

QString damagedMessage(const QString& quotedFile, const QString& finding)
{
    return QStringLiteral("The database file %1 is damaged (%2). The program has not written to "
                          "it.")
        .arg(quotedFile, finding);
}

} // namespace

FileOpening::FileOpening(const DatabaseLocation& location, const QString& connectionName,
                         std::chrono::milliseconds busyTimeout, DrillDatabase::UseMark mark)
    : DatabaseOpening(location, connectionName, busyTimeout), m_dialect(Dialect::sqlite()),
      m_mark(mark)
{
}

FileOpening::~FileOpening() = default;

// Creation speaks of an empty database on a server; a missing file is always made.
QString FileOpening::connect(Creation)
{
    const QFileInfo info(filePath());
    if (info.isDir())
        return refuse(Problem::NotAFile, QStringLiteral("The database file %1 is a folder, not a "
                                                        "file.")
                                             .arg(quoted(filePath())));
    const QString inUse = markInUse();
    if (!inUse.isEmpty())
        return inUse;
    return QFileInfo::exists(filePath()) ? checkExisting() : create();
}

// Only while no other program has the file open are the leftovers of a backup or restore cut
// short surely stale.
QString FileOpening::markInUse()
{
    setNotice({});
    if (m_mark == DrillDatabase::UseMark::None)
        return {};
    m_useLock = std::make_unique<FileUseLock>(filePath());
    if (!m_useLock->isUsable())
        return {};
    if (m_useLock->take(FileUseLock::Mode::Exclusive, std::chrono::milliseconds(0)))
        setNotice(Leftovers::settle(filePath()));
    if (m_useLock->take(FileUseLock::Mode::Shared, busyTimeout()))
        return {};
    return refuse(Problem::InUse,
                  QStringLiteral("The database file %1 is being restored from a backup by "
                                 "another program. Nothing was changed. Start again when the "
                                 "restore has finished.")
                      .arg(quoted(filePath())));
}

QString FileOpening::refuseError(const QSqlError& error)
{
    const QString file = quoted(filePath());
    const QString reason = DataFailure::of(error).text;
    switch (error.nativeErrorCode().toInt() & 0xff) {
    case SqliteBusy:
    case SqliteLocked:
        return refuse(Problem::InUse,
                      QStringLiteral("The database file %1 is in use by another program, which "
                                     "holds it locked. Nothing was changed. Close that program, "
                                     "or wait until it has finished, and start again.")
                          .arg(file));
    case SqliteCorrupt:
    case SqliteNotADatabase:
        return refuse(Problem::Damaged, damagedMessage(file, reason));
    default:
        return refuse(
            Problem::CannotOpen,
            QStringLiteral("The database file %1 cannot be opened: %2").arg(file, reason));
    }
}

QString FileOpening::checkExisting()
{
    const QString file = quoted(filePath());
    const QFileInfo info(filePath());
    if (onReadOnlyDrive(filePath()))
        return refuse(Problem::FolderReadOnly,
                      QStringLiteral("The database file %1 lies on a drive that is mounted "
                                     "read-only, so no change could be stored. Nothing was "
                                     "changed. Copy the program's folder to a drive where you "
                                     "may write, or have the drive mounted for writing.")
                          .arg(file));
    if (!info.isReadable() || !info.isWritable())
        return refuse(Problem::NoAccess, QStringLiteral("The database file %1 cannot be read and "
                                                        "written. Check its permissions.")
                                             .arg(file));
    if (const AccessFile::Kind access = AccessFile::readHeader(filePath()).kind;
        access != AccessFile::Kind::None)
        return refuse(Problem::NotOurs,
                      QStringLiteral("The file %1 is an %2 database, not one of this program. %3")
                          .arg(file, AccessFile::kindName(access),
                               access == AccessFile::Kind::Newer
                                   ? QStringLiteral("It is not supported.")
                                   : QStringLiteral("Start the program's window on it, which "
                                                    "offers to take it over, or take it over "
                                                    "with --import-access.")));
    if (!SqliteFile::hasHeader(filePath()))
        return refuse(Problem::NotOurs,
                      QStringLiteral("The file %1 is not a database of this program (it is "
                                     "empty, damaged, or of another kind, such as an old Access "
                                     "file).")
                          .arg(file));
    if (!folderIsWritable(filePath()))
        return refuse(Problem::FolderReadOnly,
                      QStringLiteral("The folder of the database file %1 cannot be written to. "
                                     "The program writes beside the file whenever it stores a "
                                     "change, so no change could be stored. Nothing was changed. "
                                     "Make the folder writable for you, or move the program's "
                                     "folder to a place where you may write.")
                          .arg(file));

    QSqlDatabase db = SqliteConnection::add(connectionName(), filePath(),
                                            SqliteConnection::Access::ReadWrite, busyTimeout());
    if (!db.open())
        return refuseError(db.lastError());
    const QString failure = checkContent();
    return failure.isEmpty() ? prepareSession() : failure;
}

// All checks in one read: the file's length is judged while no other program can write.
QString FileOpening::checkContent()
{
    QSqlDatabase db = connection();
    if (!db.transaction())
        return refuseError(db.lastError());
    int version = 0;
    const QString failure = checkContentRead(version);
    db.rollback();
    // The upgrade writes, and makes the day's backup first: both after the read has ended.
    if (!failure.isEmpty())
        return failure;
    return version < Schema::Version ? upgrade() : QString();
}

QString FileOpening::checkContentRead(int& version)
{
    const QString file = quoted(filePath());
    QSqlQuery query(connection());
    // The first read also rolls back what a crash left in the journal, before anything is judged.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return refuseError(query.lastError());
    version = query.value(0).toInt();
    const QString cutShort = SqliteFile::cutShortFinding(filePath());
    if (!cutShort.isEmpty())
        return refuse(Problem::Damaged, damagedMessage(file, cutShort));

    if (!query.exec(QStringLiteral("PRAGMA quick_check")))
        return refuseError(query.lastError());
    QStringList findings;
    while (query.next())
        findings << query.value(0).toString();
    if (query.lastError().isValid())
        return refuseError(query.lastError());
    if (findings != QStringList{QStringLiteral("ok")})
        return refuse(Problem::Damaged, damagedMessage(file, firstFinding(findings)));

    if (version > Schema::Version)
        return refuse(Problem::Newer, QStringLiteral("The database file %1 was written by a newer "
                                                     "version of this program.")
                                          .arg(file));
    const QStringList tables = connection().tables(QSql::AllTables);
    for (const QString& name : Schema::requiredObjects(*m_dialect, version)) {
        if (version < 1 || !tables.contains(name, Qt::CaseInsensitive))
            return refuse(Problem::NotOurs, QStringLiteral("The file %1 is a SQLite database, but "
                                                           "not one of this program.")
                                                .arg(file));
    }
    return QString();
}

// A new file is made under a name of its own and takes the real name only once its schema is
// committed: a first start cut short leaves no half-made database behind, and the next start
// simply begins again.
QString FileOpening::create()
{
    const QString building = filePath() + QStringLiteral(".new");
    const auto removeBuilding = [&] {
        QFile::remove(building + QStringLiteral("-journal"));
        QFile::remove(building);
    };
    removeBuilding(); // what an interrupted first start left
    QString failure = buildSchema(*m_dialect, building, connectionName());
    if (failure.isEmpty() && !QFile::rename(building, filePath()))
        failure = QStringLiteral("it could not be given its name");
    if (!failure.isEmpty()) {
        removeBuilding();
        return refuse(Problem::CannotCreate,
                      QStringLiteral("The database file %1 could not be created: %2. Check that "
                                     "the folder exists and that you may write to it.")
                          .arg(quoted(filePath()), failure));
    }
    return checkExisting();
}
