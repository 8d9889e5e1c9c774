#include "data/DrillDatabase.h"

#include "data/Schema.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <atomic>

namespace {

std::atomic_int g_connectionCount{0};

bool hasSqliteHeader(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    return file.read(16) == QByteArray("SQLite format 3\0", 16);
}

QString quoted(const QString& path)
{
    return QStringLiteral("\"%1\"").arg(path);
}

} // namespace

DrillDatabase::DrillDatabase(QString filePath)
    : m_filePath(std::move(filePath)),
      m_connectionName(QStringLiteral("orx-%1").arg(++g_connectionCount))
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

QString DrillDatabase::open()
{
    const QFileInfo info(m_filePath);
    if (info.isDir())
        return QStringLiteral("The database file %1 is a folder, not a file.").arg(quoted(m_filePath));
    return info.exists() ? checkExisting() : create();
}

QString DrillDatabase::checkExisting()
{
    const QFileInfo info(m_filePath);
    if (!info.isReadable() || !info.isWritable())
        return QStringLiteral("The database file %1 cannot be read and written. Check its "
                              "permissions.")
            .arg(quoted(m_filePath));
    if (!hasSqliteHeader(m_filePath))
        return QStringLiteral("The file %1 is not a database of this program (it is empty, "
                              "damaged, or of another kind, such as an old Access file).")
            .arg(quoted(m_filePath));

    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(m_filePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return QStringLiteral("The database file %1 cannot be opened: %2")
            .arg(quoted(m_filePath), db.lastError().text());

    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("PRAGMA user_version")) || !query.next())
        return QStringLiteral("The database file %1 is damaged: %2")
            .arg(quoted(m_filePath), query.lastError().text());
    const int version = query.value(0).toInt();
    if (version > Schema::Version)
        return QStringLiteral("The database file %1 was written by a newer version of this "
                              "program.")
            .arg(quoted(m_filePath));

    const QStringList tables = db.tables(QSql::AllTables);
    for (const QString& name : Schema::requiredObjects()) {
        if (version != Schema::Version || !tables.contains(name, Qt::CaseInsensitive))
            return QStringLiteral("The file %1 is a SQLite database, but not one of this "
                                  "program.")
                .arg(quoted(m_filePath));
    }
    return {};
}

QString DrillDatabase::create()
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(m_filePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    QString failure;
    if (!db.open()) {
        failure = db.lastError().text();
    } else {
        inTransaction([&] {
            QSqlQuery query(db);
            for (const QString& statement : Schema::createStatements()) {
                if (!query.exec(statement)) {
                    failure = query.lastError().text();
                    return false;
                }
            }
            return true;
        });
    }
    if (failure.isEmpty())
        return {};
    db.close();
    QFile::remove(m_filePath); // we made it; a half-made file must not stay behind
    return QStringLiteral("The database file %1 could not be created: %2. Check that the "
                          "folder exists and that you may write to it.")
        .arg(quoted(m_filePath), failure);
}

bool DrillDatabase::inTransaction(const std::function<bool()>& work)
{
    QSqlDatabase db = connection();
    if (!db.transaction()) {
        qWarning().noquote() << "Cannot begin a transaction:" << db.lastError().text();
        return false;
    }
    if (work() && db.commit())
        return true;
    qWarning().noquote() << "Transaction rolled back:" << db.lastError().text();
    db.rollback();
    return false;
}

bool DrillDatabase::exec(QSqlQuery& query, const char* context)
{
    if (query.exec())
        return true;
    qWarning().noquote() << context << "failed:" << query.lastError().text();
    return false;
}
