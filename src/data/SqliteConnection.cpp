#include "data/SqliteConnection.h"

#include "data/Dialect.h"

#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <algorithm>

#include <atomic>

namespace {
std::atomic_int g_scopedCount{0};
}

QSqlDatabase SqliteConnection::add(const QString& name, const QString& path, Access access,
                                   std::chrono::milliseconds busyTimeout)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(Dialect::sqlite()->driver(), name);
    db.setDatabaseName(path);
    QString options = QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeout.count());
    if (access == Access::ReadOnly)
        options += QStringLiteral(";QSQLITE_OPEN_READONLY");
    db.setConnectOptions(options);
    return db;
}

QString SqliteConnection::boundText(const QString& text)
{
    QString bound = text.startsWith(QChar(0xFEFF)) ? QChar(0xFEFF) + text : text;
    for (qsizetype i = 0; i < bound.size(); ++i) {
        const QChar unit = bound.at(i);
        const bool paired = unit.isHighSurrogate()
                                ? i + 1 < bound.size() && bound.at(i + 1).isLowSurrogate()
                                : !unit.isLowSurrogate();
        if (!paired)
            bound[i] = QChar::ReplacementCharacter;
        else if (unit.isHighSurrogate())
            ++i;
    }
    return bound;
}

void SqliteConnection::bindTextAsTyped(QSqlQuery& query)
{
    if (query.driver()->dbmsType() != QSqlDriver::SQLite)
        return;
    const QVariantList values = query.boundValues();
    for (qsizetype i = 0; i < values.size(); ++i) {
        if (values.at(i).typeId() == QMetaType::QString)
            query.bindValue(int(i), boundText(values.at(i).toString()));
    }
}

namespace {
sqlite3* handleOf(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.constData());
}
} // namespace

bool SqliteConnection::setBusyTimeout(const QSqlDatabase& db, std::chrono::milliseconds wait)
{
    sqlite3* connection = handleOf(db);
    return connection &&
           sqlite3_busy_timeout(connection, int(std::max<qint64>(0, wait.count()))) == SQLITE_OK;
}

bool SqliteConnection::setBusyHandler(const QSqlDatabase& db, int (*handler)(void*, int),
                                      void* context)
{
    sqlite3* connection = handleOf(db);
    return connection && sqlite3_busy_handler(connection, handler, context) == SQLITE_OK;
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
