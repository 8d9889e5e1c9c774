#include "data/DrillDatabase.h"

#include "data/Dialect.h"
#include "data/FileOpening.h"
#include "data/ServerLogin.h"
#include "data/SqliteConnection.h"

#include <QSqlQuery>
#include <QtDebug>

#include <atomic>

namespace {

std::atomic_int g_connectionCount{0};

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

std::unique_ptr<DatabaseOpening> openingOf(const DatabaseLocation& location, const QString& name,
                                           std::chrono::milliseconds busyTimeout,
                                           DrillDatabase::UseMark mark)
{
    if (location.isFile())
        return std::make_unique<FileOpening>(location, name, busyTimeout, mark);
    return std::make_unique<ServerLogin>(location, name, busyTimeout);
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

bool DataFailure::keep(const QSqlError& error, DataFailure* failure)
{
    if (failure && error.isValid())
        *failure = of(error);
    return false;
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
      m_busyTimeout(busyTimeout),
      m_opening(openingOf(m_location, m_connectionName, m_busyTimeout, mark))
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
    return m_opening->open(creation);
}

DrillDatabase::Problem DrillDatabase::problem() const
{
    return m_opening->problem();
}

const QString& DrillDatabase::notice() const
{
    return m_opening->notice();
}

const Dialect& DrillDatabase::dialect() const
{
    return m_opening->dialect();
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

bool DrillDatabase::run(QSqlQuery& query, const QString& statement, const QVariantList& values,
                        const char* context)
{
    if (!query.prepare(statement)) {
        qWarning().noquote() << context << "failed:" << query.lastError().text();
        return false;
    }
    for (const QVariant& value : values)
        query.addBindValue(value);
    return exec(query, context);
}

bool DrillDatabase::serverAnswers(const DatabaseLocation& location,
                                  std::chrono::milliseconds timeout)
{
    return ServerLogin::answers(location, QStringLiteral("orx-probe-%1").arg(++g_connectionCount),
                                timeout);
}

WriteRights DrillDatabase::writeRights() const
{
    const QString rights = dialect().writeRights();
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
    connection().close();
    ++m_session;
    return m_opening->reopen();
}
