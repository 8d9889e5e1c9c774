#include "data/CompanyTable.h"

#include "data/BoundText.h"
#include "data/Dialect.h"
#include "data/DrillDatabase.h"

#include <QSqlError>
#include <QSqlQuery>

CompanyTable::CompanyTable(DrillDatabase& db) : m_db(db) {}

std::optional<QString> CompanyTable::name() const
{
    QSqlQuery query(m_db.connection());
    if (!DrillDatabase::run(query, QStringLiteral("SELECT Name FROM Company ORDER BY rowid"), {},
                            "Reading the company name"))
        return std::nullopt;
    QString last;
    while (query.next())
        last = query.value(0).toString();
    return last;
}

CompanyTable::Write CompanyTable::replaceName(const QString& startedFrom, const QString& name)
{
    Write write{Outcome::Failed, {}};
    QSqlError failure;
    if (m_db.inTransaction([&] { return swapName(startedFrom, name, write, failure); }, &failure))
        return write;
    const bool locked = m_db.dialect().isWaitExceeded(failure.nativeErrorCode());
    return {locked ? Outcome::MetLock : Outcome::Failed, {}};
}

// Within the transaction; a statement that fails leaves its error in `failure` (on a server,
// another user's lock may already refuse the statement's preparation).
bool CompanyTable::swapName(const QString& startedFrom, const QString& name, Write& write,
                            QSqlError& failure)
{
    QSqlQuery query(m_db.connection());
    const auto run = [&](const QString& sql, const QVariantList& values, const char* context) {
        const bool done = DrillDatabase::run(query, sql, values, context);
        if (!done)
            failure = query.lastError();
        return done;
    };
    if (!run(QStringLiteral("UPDATE Company SET Name = ? WHERE rowid = (SELECT MAX(rowid) FROM "
                            "Company) AND COALESCE(Name, '') = ?"),
             {boundText(name), boundText(startedFrom)}, "Storing the company name"))
        return false;
    if (query.numRowsAffected() == 1) {
        write.outcome = Outcome::Stored;
        return true;
    }
    if (!run(QStringLiteral("SELECT COALESCE(Name, '') FROM Company ORDER BY rowid DESC LIMIT 1"),
             {}, "Reading the company name"))
        return false;
    if (query.next()) {
        write.storedNow = query.value(0).toString();
        write.outcome = write.storedNow == name ? Outcome::Stored : Outcome::ChangedByOther;
        return true;
    }
    if (!run(QStringLiteral("INSERT INTO Company (Name) VALUES (?)"), {boundText(name)},
             "Storing the company name"))
        return false;
    write.outcome = Outcome::Stored;
    return true;
}
