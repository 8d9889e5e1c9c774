#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

class DrillDatabase;
class QSqlQuery;

// The rows of one table as a report reads them.
struct ReportTable
{
    QStringList columns;
    QList<QVariantList> rows;
};

namespace ReportTableReader {

// Reads the whole table, in the order its rows were written, through a read-only connection
// of its own, so that a report never disturbs the program's connection.
// Empty on success; otherwise a sentence for the user that names the file.
QString read(const QString& databasePath, const QString& table, ReportTable& out);

// Reads a report table of the program through the program's own connection: on a server
// the report tables belong to the connection that filled them.
QString read(const DrillDatabase& db, const QString& table, ReportTable& out);

// The rows of a query that has run, its columns named as the program spells them; a row-order
// column is left out.
void take(QSqlQuery& query, ReportTable& out);

} // namespace ReportTableReader
