#pragma once

#include <QString>

class QSqlQuery;
struct pg_result;

// The values of the current row of an executed query, for reads of many rows. On a server, of a
// result read whole, they are taken straight from libpq's result: Qt's driver makes a variant
// of each value, which cost several times the read itself. Elsewhere they come through the
// query.
class RowValues
{
public:
    // Readies a query for reading many rows: a server sends its result in one piece, where
    // Qt's forward-only reading would have libpq copy it row by row.
    static void readMany(QSqlQuery& query);

    // Of the rows of the query, as executed; it must live on while they are read.
    explicit RowValues(const QSqlQuery& query);

    // Empty for NULL.
    QString text(int column) const;
    // 0 for NULL.
    qint64 number(int column) const;

private:
    const QSqlQuery& m_query;
    const pg_result* m_result = nullptr;
};
