#include "data/DrillDatabase.h"

#include "common/LoginName.h"
#include "common/Quoted.h"
#include "data/AccessFile.h"
#include "data/Backups.h"
#include "data/Dialect.h"
#include "data/FileUseLock.h"
#include "data/HistorySchema.h"
#include "data/Leftovers.h"
#include "data/Schema.h"
#include "data/SqliteConnection.h"
#include "data/SqliteFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QTemporaryFile>
#include <QtDebug>

#include <sys/statvfs.h>

#include <algorithm>
#include <atomic>
#include <optional>

namespace {

std::atomic_int g_connectionCount{0};

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

bool runInTransaction(QSqlDatabase db, const std::function<bool()>& work, QSqlError* failure)
{
    if (!db.transaction()) {
        qWarning().noquote() << "Cannot begin a transaction:" << db.lastError().text();
        if (failure)
            *failure = db.lastError();
        return false;
    }
    if (!work()) {
        qWarning().noquote() << "Transaction rolled back";
        db.rollback();
        return false;
    }
    if (db.commit())
        return true;
    const QSqlError error = db.lastError();
    qWarning().noquote() << "Transaction rolled back:" << error.text();
    if (failure)
        *failure = error;
    db.rollback();
    return false;
}

// Makes a database file with the whole schema; empty on success, else the engine's reason.
QString buildSchema(const QString& path, const QString& connectionName)
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
            runInTransaction(
                db,
                [&] {
                    QSqlQuery query(db);
                    for (const QString& statement :
                         Schema::createStatements(DatabaseLocation::Engine::Sqlite)) {
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

// The names of the tables and views in the database; nothing when they cannot be read.
std::optional<QStringList> objectsIn(const QSqlDatabase& db, DatabaseLocation::Engine engine,
                                     QSqlError* error)
{
    QSqlQuery query(db);
    if (!query.exec(Dialect::listObjects(engine))) {
        *error = query.lastError();
        return std::nullopt;
    }
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

bool execAll(QSqlQuery& query, const QStringList& statements, QSqlError* error)
{
    for (const QString& statement : statements) {
        if (!statement.isEmpty() && !query.exec(statement)) {
            *error = query.lastError();
            return false;
        }
    }
    return true;
}

// libpq says "FATAL" when the server itself turned the connection down, and asks for a
// password it did not find; anything else means no server answered.
bool serverRefusedLogin(const QSqlError& error)
{
    const QString text = error.text();
    return text.contains(QLatin1String("FATAL")) || text.contains(QLatin1String("password"));
}

QSqlDatabase serverConnection(const DatabaseLocation& location, const QString& name,
                              std::chrono::milliseconds timeout)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(Dialect::driver(location.engine), name);
    db.setHostName(location.host);
    if (location.port != 0)
        db.setPort(location.port);
    db.setUserName(location.user);
    db.setDatabaseName(location.database);
    // A server that does not answer is given as long as a busy file would be.
    db.setConnectOptions(QStringLiteral("connect_timeout=%1;application_name=%2")
                             .arg(std::max<qint64>(1, timeout.count() / 1000))
                             .arg(QLatin1String(ORX_PROGRAM_NAME)));
    return db;
}

} // namespace

DataFailure DataFailure::of(const QSqlError& error)
{
    const QString plain = Dialect::plainReason(error.nativeErrorCode());
    if (!plain.isEmpty())
        return {error.nativeErrorCode(), plain};
    const QString text = error.databaseText().isEmpty() ? error.text() : error.databaseText();
    return {error.nativeErrorCode(), text};
}

QString DataFailure::sentence() const
{
    return QStringLiteral("Error No %1 - %2").arg(number, text);
}

DrillDatabase::DrillDatabase(const QString& filePath, std::chrono::milliseconds busyTimeout,
                             UseMark mark)
    : DrillDatabase(DatabaseLocation::file(filePath), busyTimeout, mark)
{
}

DrillDatabase::DrillDatabase(DatabaseLocation location, std::chrono::milliseconds busyTimeout,
                             UseMark mark)
    : m_location(std::move(location)),
      m_connectionName(QStringLiteral("orx-%1").arg(++g_connectionCount)),
      m_busyTimeout(busyTimeout), m_mark(mark)
{
}

DrillDatabase::~DrillDatabase()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
}

QSqlDatabase DrillDatabase::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QString DrillDatabase::open(Creation creation)
{
    m_problem = Problem::None;
    if (engine() == DatabaseLocation::Engine::Postgres)
        return openServer(creation);
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
QString DrillDatabase::markInUse()
{
    m_notice.clear();
    if (m_mark == UseMark::None)
        return {};
    m_useLock = std::make_unique<FileUseLock>(filePath());
    if (!m_useLock->isUsable())
        return {};
    if (m_useLock->take(FileUseLock::Mode::Exclusive, std::chrono::milliseconds(0)))
        m_notice = Leftovers::settle(filePath());
    if (m_useLock->take(FileUseLock::Mode::Shared, m_busyTimeout))
        return {};
    return refuse(Problem::InUse,
                  QStringLiteral("The database file %1 is being restored from a backup by "
                                 "another program. Nothing was changed. Start again when the "
                                 "restore has finished.")
                      .arg(quoted(filePath())));
}

QString DrillDatabase::refuse(Problem problem, const QString& message)
{
    m_problem = problem;
    return message;
}

QString DrillDatabase::refuse(const QSqlError& error)
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

QString DrillDatabase::checkExisting()
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

    QSqlDatabase db = SqliteConnection::add(m_connectionName, filePath(),
                                            SqliteConnection::Access::ReadWrite, m_busyTimeout);
    if (!db.open())
        return refuse(db.lastError());
    const QString failure = checkContent();
    return failure.isEmpty() ? prepareSession() : failure;
}

// All checks in one read: the file's length is judged while no other program can write.
QString DrillDatabase::checkContent()
{
    QSqlDatabase db = connection();
    if (!db.transaction())
        return refuse(db.lastError());
    int version = 0;
    const QString failure = checkContentRead(version);
    db.rollback();
    // The upgrade writes, and makes the day's backup first: both after the read has ended.
    if (!failure.isEmpty())
        return failure;
    return version < Schema::Version ? upgrade() : QString();
}

QString DrillDatabase::checkContentRead(int& version)
{
    const QString file = quoted(filePath());
    QSqlQuery query(connection());
    // The first read also rolls back what a crash left in the journal, before anything is judged.
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return refuse(query.lastError());
    version = query.value(0).toInt();
    const QString cutShort = SqliteFile::cutShortFinding(filePath());
    if (!cutShort.isEmpty())
        return refuse(Problem::Damaged, damagedMessage(file, cutShort));

    if (!query.exec(QStringLiteral("PRAGMA quick_check")))
        return refuse(query.lastError());
    QStringList findings;
    while (query.next())
        findings << query.value(0).toString();
    if (query.lastError().isValid())
        return refuse(query.lastError());
    if (findings != QStringList{QStringLiteral("ok")})
        return refuse(Problem::Damaged, damagedMessage(file, firstFinding(findings)));

    if (version > Schema::Version)
        return refuse(Problem::Newer, QStringLiteral("The database file %1 was written by a newer "
                                                     "version of this program.")
                                          .arg(file));
    const QStringList tables = connection().tables(QSql::AllTables);
    for (const QString& name : Schema::requiredObjects(DatabaseLocation::Engine::Sqlite, version)) {
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
QString DrillDatabase::create()
{
    const QString building = filePath() + QStringLiteral(".new");
    const auto removeBuilding = [&] {
        QFile::remove(building + QStringLiteral("-journal"));
        QFile::remove(building);
    };
    removeBuilding(); // what an interrupted first start left
    QString failure = buildSchema(building, m_connectionName);
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

bool DrillDatabase::inTransaction(const std::function<bool()>& work, QSqlError* failure)
{
    return runInTransaction(connection(), work, failure);
}

bool DrillDatabase::inTransaction(QSqlDatabase db, const std::function<bool()>& work,
                                  QSqlError* failure)
{
    return runInTransaction(std::move(db), work, failure);
}

bool DrillDatabase::exec(QSqlQuery& query, const char* context)
{
    SqliteConnection::bindTextAsTyped(query);
    if (query.exec())
        return true;
    qWarning().noquote() << context << "failed:" << query.lastError().text();
    return false;
}

QString DrillDatabase::openServer(Creation creation)
{
    // Qt's plugin comes in a package of its own, which an install may leave out.
    if (!QSqlDatabase::isDriverAvailable(Dialect::driver(engine())))
        return refuse(Problem::CannotOpen,
                      QStringLiteral("The database server %1 cannot be used: Qt's PostgreSQL "
                                     "driver (QPSQL) is not installed. Install the Debian "
                                     "package libqt6sql6-psql. Nothing was changed.")
                          .arg(quoted(m_location.display())));
    QSqlDatabase db = serverConnection(m_location, m_connectionName, m_busyTimeout);
    if (!db.open())
        return refuseServer(db.lastError());
    const QString failure =
        checkServerContent(quoted(m_location.display()), creation == Creation::Allowed);
    return failure.isEmpty() ? prepareSession() : failure;
}

bool DrillDatabase::serverAnswers(const DatabaseLocation& location,
                                  std::chrono::milliseconds timeout)
{
    const QString name = QStringLiteral("orx-probe-%1").arg(++g_connectionCount);
    bool answers = false;
    {
        QSqlDatabase db = serverConnection(location, name, timeout);
        answers = db.open();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return answers;
}

QString DrillDatabase::refuseServer(const QSqlError& error)
{
    const QString server = quoted(m_location.display());
    const QString reason = error.text().simplified();
    if (serverRefusedLogin(error))
        return refuse(Problem::LoginRefused,
                      QStringLiteral("The database server %1 refused the login: %2. Check the "
                                     "user and database names, and the password in ~/.pgpass or "
                                     "PGPASSWORD. Nothing was changed.")
                          .arg(server, reason));
    return refuse(Problem::Unreachable,
                  QStringLiteral("The database server %1 cannot be reached: %2. Check that the "
                                 "server runs and that its address is right. Nothing was "
                                 "changed.")
                      .arg(server, reason));
}

QString DrillDatabase::checkServerContent(const QString& server, bool mayCreate)
{
    QSqlQuery query(connection());
    const auto cannotRead = [&](const QSqlError& error) {
        return refuse(Problem::CannotOpen, QStringLiteral("The database %1 cannot be read: %2")
                                               .arg(server, DataFailure::of(error).text));
    };
    QSqlError error;
    const auto objects = objectsIn(connection(), engine(), &error);
    if (!objects)
        return cannotRead(error);
    if (objects->isEmpty() && mayCreate)
        return createOnServer(server);
    if (objects->isEmpty())
        return refuse(Problem::Empty,
                      QStringLiteral("The database %1 is empty: it holds none of the program's "
                                     "tables. Nothing was changed.")
                          .arg(server));
    const auto has = [&](const QString& name) {
        return objects->contains(name, Qt::CaseInsensitive);
    };
    const QString notOurs = QStringLiteral("The database %1 holds tables of another program. The "
                                           "program has not changed it: name an empty database, "
                                           "or one of this program.")
                                .arg(server);
    if (!has(QStringLiteral("OrxSchema")))
        return refuse(Problem::NotOurs, notOurs);
    if (!query.exec(Dialect::readVersion(engine())) || !query.next())
        return cannotRead(query.lastError());
    const int version = query.value(0).toInt();
    if (version > Schema::Version)
        return refuse(Problem::Newer,
                      QStringLiteral("The database %1 was written by a newer version of this "
                                     "program.")
                          .arg(server));
    const QStringList required = Schema::requiredObjects(engine(), version);
    if (version < 1 || !std::all_of(required.begin(), required.end(), has))
        return refuse(Problem::NotOurs, notOurs);
    return version < Schema::Version ? upgrade() : QString();
}

// The schema is made in one transaction under a lock: of two first starts at the same moment,
// the second finds the tables the first made and uses them.
QString DrillDatabase::createOnServer(const QString& server)
{
    QSqlError error;
    const bool made = inTransaction(
        [&] {
            QSqlQuery query(connection());
            if (!execAll(query, {Dialect::schemaLock(engine())}, &error))
                return false;
            const auto objects = objectsIn(connection(), engine(), &error);
            if (!objects)
                return false;
            return !objects->isEmpty() ||
                   execAll(query, Schema::createStatements(engine()), &error);
        },
        &error);
    if (!made)
        return refuse(Problem::CannotCreate,
                      QStringLiteral("The program's tables could not be made in the database %1: "
                                     "%2. Nothing was changed.")
                          .arg(server, DataFailure::of(error).text));
    return checkServerContent(server, false);
}

// A database of an older version gets what this one adds, in one transaction, after a copy of
// it was made: a failed upgrade leaves it as it was, and a surprise in the new version can be
// undone from the copy.
QString DrillDatabase::upgrade()
{
    const QString where = quoted(m_location.display());
    if (engine() == DatabaseLocation::Engine::Sqlite) {
        const Backups::Outcome copy = Backups::makeDaily(filePath());
        if (copy.kind == Backups::Outcome::Kind::Failed)
            return refuse(Problem::CannotOpen,
                          QStringLiteral("The database %1 needs new tables for this version of "
                                         "the program, and no backup of it could be made first: "
                                         "%2 Nothing was changed.")
                              .arg(where, copy.detail));
    }
    QSqlError error;
    const bool upgraded = inTransaction(
        [&] {
            QSqlQuery query(connection());
            if (!execAll(query, {Dialect::schemaLock(engine())}, &error))
                return false;
            // Another program may have upgraded it a moment ago.
            if (!query.exec(Dialect::readVersion(engine())) || !query.next()) {
                error = query.lastError();
                return false;
            }
            const int version = query.value(0).toInt();
            return execAll(query, Schema::upgradeStatements(engine(), version), &error);
        },
        &error);
    if (upgraded)
        return {};
    return refuse(Problem::CannotOpen,
                  QStringLiteral("The database %1 could not be given the new tables of this "
                                 "version of the program: %2. Nothing was changed.")
                      .arg(where, DataFailure::of(error).text));
}

// Each connection has its own report tables on a server, and its own record of who works
// through it on SQLite.
QString DrillDatabase::prepareSession()
{
    QSqlQuery query(connection());
    QSqlError error;
    if (execAll(query, Dialect::waitLimits(engine(), m_busyTimeout), &error) &&
        execAll(query, Schema::sessionStatements(engine()), &error) && setSessionUser(&error))
        return {};
    return refuse(Problem::CannotOpen,
                  QStringLiteral("The database %1 cannot be used: %2")
                      .arg(quoted(m_location.display()), DataFailure::of(error).text));
}

WriteRights DrillDatabase::writeRights() const
{
    const QString rights = Dialect::writeRights(engine());
    if (rights.isEmpty())
        return {};
    QSqlQuery query(connection());
    if (!query.exec(rights) || !query.next()) {
        qWarning().noquote() << "Cannot read the rights of the connection:"
                             << query.lastError().text();
        return {};
    }
    return {query.value(1).toBool(), query.value(0).toString()};
}

bool DrillDatabase::isAlive() const
{
    if (!connection().isOpen())
        return false;
    QSqlQuery query(connection());
    return query.exec(QStringLiteral("SELECT 1")) && query.next();
}

QString DrillDatabase::reconnect()
{
    QSqlDatabase db = connection();
    db.close();
    ++m_session;
    if (!db.open())
        return engine() == DatabaseLocation::Engine::Postgres ? refuseServer(db.lastError())
                                                              : refuse(db.lastError());
    m_problem = Problem::None;
    const QString failure = engine() == DatabaseLocation::Engine::Postgres
                                ? checkServerContent(quoted(m_location.display()), false)
                                : checkContent();
    return failure.isEmpty() ? prepareSession() : failure;
}

bool DrillDatabase::setSessionUser(QSqlError* error)
{
    const QString statement = HistorySchema::setSessionUser(engine());
    if (statement.isEmpty())
        return true;
    QSqlQuery query(connection());
    query.prepare(statement);
    query.addBindValue(LoginName::current());
    if (query.exec())
        return true;
    *error = query.lastError();
    return false;
}
