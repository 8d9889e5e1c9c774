#include "data/PrintDrillsTable.h"

#include "common/DateText.h"
#include "common/Quoted.h"
#include "data/Dialect.h"
#include "data/DrillDatabase.h"
#include "data/ReportTable.h"
#include "data/Schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

QString drillColumns()
{
    return Schema::drillColumns().join(QStringLiteral(", "));
}

// The copy names its columns: PrintDrills has three more than QuDrills.
QString copyStatement()
{
    return QStringLiteral("INSERT INTO PrintDrills (%1, Company, Date1, Time1) "
                          "SELECT %1, ?, ?, ? FROM QuDrills WHERE YearDrill = ?")
        .arg(drillColumns());
}

} // namespace

bool PrintDrillsTable::followsEdits(const DrillDatabase& db)
{
    return !db.dialect().reportTablesPerConnection();
}

bool PrintDrillsTable::refill(DrillDatabase& db, int year, const QString& company,
                              const QDateTime& now, DataFailure* failure)
{
    QSqlError notCommitted;
    return db.inTransaction([&] { return refillWithin(db, year, company, now, failure); },
                            &notCommitted) ||
           DataFailure::keep(notCommitted, failure);
}

bool PrintDrillsTable::refillWithin(DrillDatabase& db, int year, const QString& company,
                                    const QDateTime& now, DataFailure* failure)
{
    QSqlQuery query(db.connection());
    query.prepare(QStringLiteral("DELETE FROM PrintDrills"));
    if (!DrillDatabase::exec(query, "Emptying PrintDrills"))
        return DataFailure::keep(query.lastError(), failure);
    // On a server the statement is checked when prepared, and may meet a lock there.
    if (!query.prepare(copyStatement()))
        return DataFailure::keep(query.lastError(), failure);
    query.addBindValue(company);
    query.addBindValue(DateText::longDate(now.date()));
    query.addBindValue(DateText::timeText(now.time()));
    query.addBindValue(year);
    return DrillDatabase::exec(query, "Copying the drills of a year into PrintDrills") ||
           DataFailure::keep(query.lastError(), failure);
}

QString PrintDrillsTable::readYear(const DrillDatabase& db, int year, ReportTable& out)
{
    QSqlQuery query(db.connection());
    query.setForwardOnly(true);
    query.prepare(
        QStringLiteral("SELECT %1 FROM QuDrills WHERE YearDrill = ?").arg(drillColumns()));
    query.addBindValue(year);
    if (!query.exec())
        return QStringLiteral("The drills of %1 could not be read from the database %2: %3")
            .arg(QString::number(year), quoted(db.location().display()),
                 DataFailure::of(query.lastError()).text);
    ReportTableReader::take(query, out);
    return {};
}
