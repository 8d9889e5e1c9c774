#include "data/YearRows.h"

#include <QSqlQuery>

int YearRows::addMissing(DrillDatabase& db, int year, DataFailure* failure)
{
    // Rows are added in key order, so that two programs adding the same year wait for each
    // other row by row instead of locking each other out. The WHERE clause lets SQLite tell the
    // conflict clause from a join. A closed year gets no new rows.
    QSqlQuery query(db.connection());
    query.prepare(
        QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill) "
                       "SELECT IDShip, ShipName, CAST(? AS INTEGER) FROM Ships WHERE NOT EXISTS "
                       "(SELECT 1 FROM ClosedYears WHERE YearDrill = ?) ORDER BY IDShip "
                       "ON CONFLICT (IDShip, YearDrill) DO NOTHING"));
    query.addBindValue(year);
    query.addBindValue(year);
    if (DrillDatabase::exec(query, "Adding the drill rows of a year"))
        return query.numRowsAffected();
    if (failure)
        *failure = DataFailure::of(query.lastError());
    return -1;
}
