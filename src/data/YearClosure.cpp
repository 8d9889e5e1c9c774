#include "data/YearClosure.h"

#include "data/Dialect.h"
#include "data/DrillDatabase.h"
#include "data/HistorySchema.h"

#include <QSqlQuery>

namespace {

// Other users' windows keep the closure with the year they show: a server tells them it
// changed (within a transaction, when it commits); SQLite's change count tells them anyway.
void announceClosure(DrillDatabase& db)
{
    if (!db.dialect().announcesChanges())
        return;
    QSqlQuery query(db.connection());
    DrillDatabase::run(query, QStringLiteral("SELECT pg_notify(?, ?)"),
                       {QString::fromLatin1(Dialect::ChangeChannel), QStringLiteral("ClosedYears")},
                       "Announcing a year's closure");
}

} // namespace

std::optional<ClosedYear> YearClosure::closedInfo(DrillDatabase& db, int year)
{
    QSqlQuery query(db.connection());
    if (!DrillDatabase::run(query, closedInfoStatement(), {year},
                            "Reading whether a year is closed") ||
        !query.next())
        return std::nullopt;
    return closedYearRead(year, query);
}

QString YearClosure::closedInfoStatement()
{
    return QStringLiteral("SELECT ClosedAt, ClosedBy FROM ClosedYears WHERE YearDrill = ?");
}

ClosedYear YearClosure::closedYearRead(int year, const QSqlQuery& query)
{
    return ClosedYear{year, QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs),
                      query.value(1).toString()};
}

YearClosure::Outcome YearClosure::close(DrillDatabase& db, int year, int thisYear, QSqlError* error)
{
    if (year > thisYear)
        return Outcome::InTheFuture;
    // One statement, so that another user's lock is waited for once.
    QSqlQuery query(db.connection());
    if (!DrillDatabase::run(
            query,
            QStringLiteral("INSERT INTO ClosedYears (YearDrill, ClosedAt, ClosedBy) "
                           "VALUES (?, %1, %2) ON CONFLICT DO NOTHING")
                .arg(db.dialect().utcNow(), db.dialect().currentUser()),
            {year}, "Closing a year")) {
        if (error)
            *error = query.lastError();
        return Outcome::Failed;
    }
    if (query.numRowsAffected() == 0)
        return Outcome::AlreadyClosed;
    announceClosure(db);
    return Outcome::Done;
}

YearClosure::Outcome YearClosure::reopen(DrillDatabase& db, int year, const QString& reason,
                                         QSqlError* error)
{
    if (reason.trimmed().isEmpty())
        return Outcome::ReasonRequired;
    bool wasClosed = false;
    const bool done = db.inTransaction(
        [&] {
            // The reason is kept on the row only for the history trigger of its deletion.
            QSqlQuery query(db.connection());
            if (!DrillDatabase::run(
                    query,
                    QStringLiteral("UPDATE ClosedYears SET ReopenReason = ? WHERE YearDrill = ?"),
                    {reason.trimmed(), year}, "Reopening a year")) {
                if (error)
                    *error = query.lastError();
                return false;
            }
            wasClosed = query.numRowsAffected() == 1;
            if (DrillDatabase::run(query,
                                   QStringLiteral("DELETE FROM ClosedYears WHERE YearDrill = ?"),
                                   {year}, "Reopening a year")) {
                announceClosure(db);
                return true;
            }
            if (error)
                *error = query.lastError();
            return false;
        },
        error);
    if (!done)
        return Outcome::Failed;
    return wasClosed ? Outcome::Done : Outcome::AlreadyClosed;
}

bool YearClosure::isClosedYearRefusal(const QSqlError& error)
{
    return error.text().contains(QLatin1String(HistorySchema::ClosedYearRefusal));
}
