#include "data/RowValues.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QSqlResult>
#include <QVariant>

#include <libpq-fe.h>

#include <cstdlib>

namespace {

bool onServer(const QSqlQuery& query)
{
    return query.driver() && query.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

} // namespace

void RowValues::readMany(QSqlQuery& query)
{
    // SQLite's driver keeps every row read when not forward-only; a server's result is whole.
    query.setForwardOnly(!onServer(query));
}

RowValues::RowValues(const QSqlQuery& query) : m_query(query)
{
    // Forward-only, Qt's driver has libpq hand over each row in a result of its own.
    if (!onServer(query) || query.isForwardOnly() || !query.result())
        return;
    const QVariant handle = query.result()->handle();
    // Qt names the type by libpq's struct, or by its typedef.
    if (qstrcmp(handle.typeName(), "pg_result*") == 0 ||
        qstrcmp(handle.typeName(), "PGresult*") == 0)
        m_result = *static_cast<PGresult* const*>(handle.constData());
}

QString RowValues::text(int column) const
{
    if (!m_result)
        return m_query.value(column).toString();
    const int row = m_query.at();
    if (PQgetisnull(m_result, row, column))
        return {};
    return QString::fromUtf8(PQgetvalue(m_result, row, column), PQgetlength(m_result, row, column));
}

qint64 RowValues::number(int column) const
{
    if (!m_result)
        return m_query.value(column).toLongLong();
    const char* value = PQgetvalue(m_result, m_query.at(), column);
    return value ? std::strtoll(value, nullptr, 10) : 0;
}
