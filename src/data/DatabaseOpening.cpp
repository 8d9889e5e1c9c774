#include "data/DatabaseOpening.h"

#include "common/LoginName.h"
#include "common/Quoted.h"
#include "data/Backups.h"
#include "data/Dialect.h"
#include "data/HistorySchema.h"
#include "data/Schema.h"

#include <QSqlQuery>

DatabaseOpening::DatabaseOpening(DatabaseLocation location, QString connectionName,
                                 std::chrono::milliseconds busyTimeout)
    : m_location(std::move(location)), m_connectionName(std::move(connectionName)),
      m_busyTimeout(busyTimeout)
{
}

QString DatabaseOpening::open(Creation creation)
{
    m_problem = Problem::None;
    return connect(creation);
}

QString DatabaseOpening::reopen()
{
    QSqlDatabase db = connection();
    if (!db.open())
        return refuseError(db.lastError());
    m_problem = Problem::None;
    const QString failure = checkContent();
    return failure.isEmpty() ? prepareSession() : failure;
}

QSqlDatabase DatabaseOpening::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QString DatabaseOpening::refuse(Problem problem, const QString& message)
{
    m_problem = problem;
    return message;
}

bool DatabaseOpening::execAll(QSqlQuery& query, const QStringList& statements, QSqlError* error)
{
    for (const QString& statement : statements) {
        if (!statement.isEmpty() && !query.exec(statement)) {
            *error = query.lastError();
            return false;
        }
    }
    return true;
}

// A database of an older version gets what this one adds, in one transaction, after a copy of
// it was made: a failed upgrade leaves it as it was, and a surprise in the new version can be
// undone from the copy.
QString DatabaseOpening::upgrade()
{
    const QString where = quoted(m_location.display());
    if (!dialect().keepsOwnBackups()) {
        const Backups::Outcome copy = Backups::makeDaily(m_location.filePath);
        if (copy.kind == Backups::Outcome::Kind::Failed)
            return refuse(Problem::CannotOpen,
                          QStringLiteral("The database %1 needs new tables for this version of "
                                         "the program, and no backup of it could be made first: "
                                         "%2 Nothing was changed.")
                              .arg(where, copy.detail));
    }
    QSqlError error;
    const bool upgraded = DrillDatabase::inTransaction(
        connection(),
        [&] {
            QSqlQuery query(connection());
            if (!execAll(query, {dialect().schemaLock()}, &error))
                return false;
            // Another program may have upgraded it a moment ago.
            if (!query.exec(dialect().readVersion()) || !query.next()) {
                error = query.lastError();
                return false;
            }
            const int version = query.value(0).toInt();
            return execAll(query, Schema::upgradeStatements(dialect(), version), &error);
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
QString DatabaseOpening::prepareSession()
{
    QSqlQuery query(connection());
    QSqlError error;
    if (execAll(query, dialect().waitLimits(m_busyTimeout), &error) &&
        execAll(query, Schema::sessionStatements(dialect()), &error) && setSessionUser(&error))
        return {};
    return refuse(Problem::CannotOpen,
                  QStringLiteral("The database %1 cannot be used: %2")
                      .arg(quoted(m_location.display()), DataFailure::of(error).text));
}

bool DatabaseOpening::setSessionUser(QSqlError* error)
{
    const QString statement = HistorySchema::setSessionUser(dialect());
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
