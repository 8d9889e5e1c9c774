#include "data/ReportTable.h"

#include "common/Quoted.h"
#include "data/Dialect.h"
#include "data/DrillDatabase.h"
#include "data/Schema.h"
#include "data/SqliteConnection.h"

#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

// The table's name as the database spells it; empty when it has no such table.
QString existingTable(const QSqlDatabase& db, const QString& table)
{
    for (const QString& name : db.tables(QSql::Tables)) {
        if (name.compare(table, Qt::CaseInsensitive) == 0)
            return name;
    }
    return {};
}

// Reads the rows in the order they were written; the name must be safe in a statement.
// The order column itself is not part of what a report sees.
QString readRows(const QSqlDatabase& db, const QString& safeName, const QString& place,
                 ReportTable& out)
{
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT * FROM %1 ORDER BY rowid").arg(safeName)))
        return QStringLiteral("The table %1 of the database %2 cannot be read: %3")
            .arg(quoted(safeName), place, query.lastError().text());

    ReportTableReader::take(query, out);
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
    // The name is one the database itself listed, so quoting it is enough.
    return readRows(db, db.driver()->escapeIdentifier(name, QSqlDriver::TableName),
                    QStringLiteral("file ") + quoted(db.databaseName()), out);
}

} // namespace

void ReportTableReader::take(QSqlQuery& query, ReportTable& out)
{
    const QSqlRecord record = query.record();
    const QStringList programNames = Schema::reportColumns();
    out = {};
    QList<int> shown;
    for (int i = 0; i < record.count(); ++i) {
        if (record.fieldName(i) == QLatin1String("rowid"))
            continue;
        shown.append(i);
        out.columns.append(Dialect::programName(record.fieldName(i), programNames));
    }
    while (query.next()) {
        QVariantList row;
        row.reserve(shown.size());
        for (int i : std::as_const(shown))
            row.append(query.value(i));
        out.rows.append(row);
    }
}

QString ReportTableReader::read(const DrillDatabase& db, const QString& table, ReportTable& out)
{
    const QString place = quoted(db.location().display());
    // Only the program's own tables: a report file names its table, and a user may edit it.
    const QString name =
        Dialect::programName(table, {QStringLiteral("PrintDrills"), QStringLiteral("PrintEval")});
    if (name != QLatin1String("PrintDrills") && name != QLatin1String("PrintEval"))
        return QStringLiteral("The database %1 has no report table %2.").arg(place, quoted(table));
    return readRows(db.connection(), name, place, out);
}

QString ReportTableReader::read(const QString& databasePath, const QString& table, ReportTable& out)
{
    const QFileInfo info(databasePath);
    if (!info.isFile())
        return QStringLiteral("The database file %1 was not found.").arg(quoted(databasePath));

    const SqliteConnection::Scoped connection(databasePath, SqliteConnection::Access::ReadOnly);
    if (!connection.openFailure().isEmpty())
        return QStringLiteral("The database file %1 cannot be opened: %2")
            .arg(quoted(databasePath), connection.openFailure());
    QSqlDatabase db = connection.db();
    return readOpen(db, table, out);
}
