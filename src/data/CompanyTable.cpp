#include "data/CompanyTable.h"

#include "data/BoundText.h"
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

CompanyTable::Write CompanyTable::replaceName(const QString& startedFrom, const QString& name)
{
    Write write{Outcome::Failed, {}};
    const bool committed = m_db.inTransaction([&] {
        QSqlQuery query(m_db.connection());
        query.prepare(QStringLiteral("UPDATE Company SET Name = ? WHERE rowid = (SELECT "
                                     "MAX(rowid) FROM Company) AND COALESCE(Name, '') = ?"));
        query.addBindValue(boundText(name));
        query.addBindValue(boundText(startedFrom));
        if (!DrillDatabase::exec(query, "Storing the company name"))
            return false;
        if (query.numRowsAffected() == 1) {
            write.outcome = Outcome::Stored;
            return true;
        }
        query.prepare(
            QStringLiteral("SELECT COALESCE(Name, '') FROM Company ORDER BY rowid DESC LIMIT 1"));
        if (!DrillDatabase::exec(query, "Reading the company name"))
            return false;
        if (query.next()) {
            write.storedNow = query.value(0).toString();
            write.outcome = write.storedNow == name ? Outcome::Stored : Outcome::ChangedByOther;
            return true;
        }
        query.prepare(QStringLiteral("INSERT INTO Company (Name) VALUES (?)"));
        query.addBindValue(boundText(name));
        if (!DrillDatabase::exec(query, "Storing the company name"))
            return false;
        write.outcome = Outcome::Stored;
        return true;
    });
    if (!committed)
        write.outcome = Outcome::Failed;
    return write;
}
