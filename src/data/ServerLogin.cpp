#include "data/ServerLogin.h"

#include "common/Quoted.h"
#include "data/Schema.h"

#include <QSqlQuery>

#include <algorithm>
#include <optional>

namespace {

// The names of the tables and views in the database; nothing when they cannot be read.
std::optional<QStringList> objectsIn(const QSqlDatabase& db, const Dialect& dialect,
                                     QSqlError* error)
{
    QSqlQuery query(db);
    if (!query.exec(dialect.listObjects())) {
        *error = query.lastError();
        return std::nullopt;
    }
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    return names;
}

// libpq says "FATAL" when the server itself turned the connection down, and asks for a
// password it did not find; anything else means no server answered.
bool serverRefusedLogin(const QSqlError& error)
{
    const QString text = error.text();
    return text.contains(QLatin1String("FATAL")) || text.contains(QLatin1String("password"));
}

QSqlDatabase serverConnection(const Dialect& dialect, const DatabaseLocation& location,
                              const QString& name, std::chrono::milliseconds timeout)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(dialect.driver(), name);
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

ServerLogin::ServerLogin(const DatabaseLocation& location, const QString& connectionName,
                         std::chrono::milliseconds busyTimeout)
    : DatabaseOpening(location, connectionName, busyTimeout), m_dialect(Dialect::postgres())
{
}

QString ServerLogin::connect(Creation creation)
{
    // Qt's plugin comes in a package of its own, which an install may leave out.
    if (!QSqlDatabase::isDriverAvailable(m_dialect->driver()))
        return refuse(Problem::CannotOpen,
                      QStringLiteral("The database server %1 cannot be used: Qt's PostgreSQL "
                                     "driver (QPSQL) is not installed. Install the Debian "
                                     "package libqt6sql6-psql. Nothing was changed.")
                          .arg(quoted(location().display())));
    QSqlDatabase db = serverConnection(*m_dialect, location(), connectionName(), busyTimeout());
    if (!db.open())
        return refuseError(db.lastError());
    const QString failure =
        checkServerContent(quoted(location().display()), creation == Creation::Allowed);
    return failure.isEmpty() ? prepareSession() : failure;
}

bool ServerLogin::answers(const DatabaseLocation& location, const QString& name,
                          std::chrono::milliseconds timeout)
{
    bool answers = false;
    {
        QSqlDatabase db = serverConnection(Dialect::of(location.engine), location, name, timeout);
        answers = db.open();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return answers;
}

QString ServerLogin::refuseError(const QSqlError& error)
{
    const QString server = quoted(location().display());
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

QString ServerLogin::checkContent()
{
    return checkServerContent(quoted(location().display()), false);
}

QString ServerLogin::checkServerContent(const QString& server, bool mayCreate)
{
    QSqlQuery query(connection());
    const auto cannotRead = [&](const QSqlError& error) {
        return refuse(Problem::CannotOpen, QStringLiteral("The database %1 cannot be read: %2")
                                               .arg(server, DataFailure::of(error).text));
    };
    QSqlError error;
    const auto objects = objectsIn(connection(), *m_dialect, &error);
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
    if (!query.exec(m_dialect->readVersion()) || !query.next())
        return cannotRead(query.lastError());
    const int version = query.value(0).toInt();
    if (version > Schema::Version)
        return refuse(Problem::Newer,
                      QStringLiteral("The database %1 was written by a newer version of this "
                                     "program.")
                          .arg(server));
    const QStringList required = Schema::requiredObjects(*m_dialect, version);
    if (version < 1 || !std::all_of(required.begin(), required.end(), has))
        return refuse(Problem::NotOurs, notOurs);
    return version < Schema::Version ? upgrade() : QString();
}

// The schema is made in one transaction under a lock: of two first starts at the same moment,
// the second finds the tables the first made and uses them.
QString ServerLogin::createOnServer(const QString& server)
{
    QSqlError error;
    const bool made = DrillDatabase::inTransaction(
        connection(),
        [&] {
            QSqlQuery query(connection());
            if (!execAll(query, {m_dialect->schemaLock()}, &error))
                return false;
            const auto objects = objectsIn(connection(), *m_dialect, &error);
            if (!objects)
                return false;
            return !objects->isEmpty() ||
                   execAll(query, Schema::createStatements(*m_dialect), &error);
        },
        &error);
    if (!made)
        return refuse(Problem::CannotCreate,
                      QStringLiteral("The program's tables could not be made in the database %1: "
                                     "%2. Nothing was changed.")
                          .arg(server, DataFailure::of(error).text));
    return checkServerContent(server, false);
}
