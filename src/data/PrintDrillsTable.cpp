#include "data/PrintDrillsTable.h"

#include "common/DateText.h"
#include "data/DrillDatabase.h"
#include "data/Schema.h"

#include <QSqlQuery>

namespace {

// The copy names its columns: PrintDrills has three more than QuDrills.
QString copyStatement()
{
    const QString columns = Schema::drillColumns().join(QStringLiteral(", "));
    return QStringLiteral("INSERT INTO PrintDrills (%1, Company, Date1, Time1) "
                          "SELECT %1, ?, ?, ? FROM QuDrills WHERE YearDrill = ?")
        .arg(columns);
}

} // namespace

bool PrintDrillsTable::followsEdits(const DrillDatabase& db)
{
    return db.engine() == DatabaseLocation::Engine::Sqlite;
}

bool PrintDrillsTable::refill(DrillDatabase& db, int year, const QString& company,
                              const QDateTime& now)
{
    return db.inTransaction([&] { return refillWithin(db, year, company, now); });
}

bool PrintDrillsTable::refillWithin(DrillDatabase& db, int year, const QString& company,
                                    const QDateTime& now)
{
    QSqlQuery query(db.connection());
    query.prepare(QStringLiteral("DELETE FROM PrintDrills"));
    if (!DrillDatabase::exec(query, "Emptying PrintDrills"))
        return false;
    query.prepare(copyStatement());
    query.addBindValue(company);
    query.addBindValue(DateText::longDate(now.date()));
    query.addBindValue(DateText::timeText(now.time()));
    query.addBindValue(year);
    return DrillDatabase::exec(query, "Copying the drills of a year into PrintDrills");
}
