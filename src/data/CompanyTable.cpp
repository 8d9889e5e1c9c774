#include "data/CompanyTable.h"

#include "data/DrillDatabase.h"

#include <QSqlQuery>

std::optional<QString> CompanyTable::name() const
{
    QSqlQuery query(m_db);
    query.prepare(QStringLiteral("SELECT Name FROM Company ORDER BY rowid"));
    if (!DrillDatabase::exec(query, "Reading the company name"))
        return std::nullopt;
    QString last;
    while (query.next())
        last = query.value(0).toString();
    return last;
}
