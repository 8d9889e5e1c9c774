#include "data/SqliteConnection.h"

#include <QSqlError>

#include <atomic>

namespace {
std::atomic_int g_scopedCount{0};
}

QSqlDatabase SqliteConnection::add(const QString& name, const QString& path, Access access,
                                   std::chrono::milliseconds busyTimeout)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
    db.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout.count());
    if (access == Access::ReadOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    return db;
}

SqliteConnection::Scoped::Scoped(const QString& path, Access access)
    : m_name(QStringLiteral("orx-scoped-%1").arg(++g_scopedCount))
{
    QSqlDatabase connection = add(m_name, path, access);
    if (!connection.open())
        m_openFailure = connection.lastError().text();
}

SqliteConnection::Scoped::~Scoped()
{
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase SqliteConnection::Scoped::db() const
{
    return QSqlDatabase::database(m_name, false);
}
