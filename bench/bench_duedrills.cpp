// The due list of a fleet's year, beside a bare query that reads the same rows.
#include "Fixture.h"
#include "data/DrillDatabase.h"
#include "data/DueDrills.h"

#include <QSqlQuery>

#include <benchmark/benchmark.h>

namespace {

const QDate Today(2026, 6, 15);

// A year in which a third of the drills are done, a third scheduled through the year and the
// rest not scheduled yet.
const Fixture& fleetYear(int ships)
{
    static Fixture fixture(ships);
    static const bool filled = [] {
        fixture.exec(QStringLiteral(
            "INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", \"Done Date\", "
            "Master, \"Drill Date1\", Master1) SELECT IDShip, ShipName, 2026, "
            "date('2026-01-01', '+' || (IDShip % 365) || ' days'), "
            "CASE WHEN IDShip % 3 = 0 THEN '2026-01-02' END, 'Master of ' || ShipName, "
            "CASE WHEN IDShip % 3 = 1 THEN date('2026-06-01', '+' || (IDShip % 60) || ' days') "
            "END, 'Master of ' || ShipName FROM Ships"));
        return true;
    }();
    Q_UNUSED(filled);
    return fixture;
}

// Bare: the same statement, every value of every row read, nothing made of them.
void BM_DueRowsBare(benchmark::State& state)
{
    DrillDatabase db(fleetYear(int(state.range(0))).databasePath());
    db.open();
    for (auto _ : state) {
        QSqlQuery query(db.connection());
        query.setForwardOnly(true);
        query.prepare(QStringLiteral(
            "SELECT IDDrill, ShipName, \"Drill Date\", \"Done Date\", Master, \"Drill Date1\", "
            "\"Done Date1\", Master1 FROM Drills WHERE YearDrill = ? AND (COALESCE(\"Done "
            "Date\", '') = '' OR COALESCE(\"Done Date1\", '') = '') ORDER BY ShipName, IDDrill"));
        query.addBindValue(2026);
        query.exec();
        while (query.next()) {
            for (int column = 0; column < 8; ++column)
                benchmark::DoNotOptimize(query.value(column));
        }
    }
}

// The list: read, sorted out by the colour rule's day, grouped and ordered.
void BM_DueDrills(benchmark::State& state)
{
    DrillDatabase db(fleetYear(int(state.range(0))).databasePath());
    db.open();
    for (auto _ : state)
        benchmark::DoNotOptimize(DueDrills::read(db, 2026, Today, DueDrills::DefaultDaysAhead));
}

} // namespace

BENCHMARK(BM_DueRowsBare)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DueDrills)->Arg(2000)->Unit(benchmark::kMillisecond);
