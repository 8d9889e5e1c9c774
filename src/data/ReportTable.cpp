#include "data/ReportTable.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <atomic>

namespace {

std::atomic_int g_readerCount{0};

QString quoted(const QString& text)
{
    return QStringLiteral("\"%1\"").arg(text);
}

// The table's name as the database spells it; empty when it has no such table.
QString existingTable(const QSqlDatabase& db, const QString& table)
{
    for (const QString& name : db.tables(QSql::Tables)) {
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

QString readOpen(QSqlDatabase& db, const QString& table, ReportTable& out)
{
    QSqlQuery probe(db);
    // SQLite opens any file; the first read tells whether it is a database at all.
    if (!probe.exec(QStringLiteral("PRAGMA schema_version")))
        return QStringLiteral("The database file %1 cannot be read: %2")
            .arg(quoted(db.databaseName()), probe.lastError().text());
    const QString name = existingTable(db, table);
    if (name.isEmpty())
        return QStringLiteral("The database file %1 has no table %2.")
            .arg(quoted(db.databaseName()), quoted(table));

    QSqlQuery query(db);
    query.setForwardOnly(true);
    // The name is one the database itself listed, so quoting it is enough.
    if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid")
                        .arg(db.driver()->escapeIdentifier(name, QSqlDriver::TableName))))
        return QStringLiteral("The table %1 of the database file %2 cannot be read: %3")
            .arg(quoted(name), quoted(db.databaseName()), query.lastError().text());

    const QSqlRecord record = query.record();
    out = {};
    for (int i = 0; i < record.count(); ++i)
        out.columns.append(record.fieldName(i));
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row.append(query.value(i));
        out.rows.append(row);
    }
    return {};
}

} // namespace

QString ReportTableReader::read(const QString& databasePath, const QString& table, ReportTable& out)
{
    const QFileInfo info(databasePath);
    if (!info.isFile())
        return QStringLiteral("The database file %1 was not found.").arg(quoted(databasePath));

    const QString connection = QStringLiteral("orx-report-%1").arg(++g_readerCount);
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(databasePath);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_BUSY_TIMEOUT=5000"));
        if (db.open())
            failure = readOpen(db, table, out);
        else
            failure = QStringLiteral("The database file %1 cannot be opened: %2")
                          .arg(quoted(databasePath), db.lastError().text());
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return failure;
}
