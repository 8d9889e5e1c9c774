#include "data/CompanyTable.h"

#include "data/DrillDatabase.h"

#include <QSqlQuery>

CompanyTable::CompanyTable(DrillDatabase& db) : m_db(db) {}

std::optional<QString> CompanyTable::name() const
{
    QSqlQuery query(m_db.connection());
    query.prepare(QStringLiteral("SELECT Name FROM Company ORDER BY rowid"));
    if (!DrillDatabase::exec(query, "Reading the company name"))
        return std::nullopt;
    QString last;
    while (query.next())
        last = query.value(0).toString();
    return last;
}

bool CompanyTable::setName(const QString& name)
{
    return m_db.inTransaction([&] {
        QSqlQuery query(m_db.connection());
        query.prepare(QStringLiteral(
            "UPDATE Company SET Name = ? WHERE rowid = (SELECT MIN(rowid) FROM Company)"));
        query.addBindValue(name);
        if (!DrillDatabase::exec(query, "Storing the company name"))
            return false;
        if (query.numRowsAffected() == 1)
            return true;
        query.prepare(QStringLiteral("INSERT INTO Company (Name) VALUES (?)"));
        query.addBindValue(name);
        return DrillDatabase::exec(query, "Storing the company name");
    });
}
