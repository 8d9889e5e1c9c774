// Opening the drill database at start: the file's own check, beside the bare open it adds to.
#include "Fixture.h"
#include "data/DrillDatabase.h"

#include <QSqlQuery>

#include <benchmark/benchmark.h>

namespace {

// A fleet with 27 years of drills behind it.
const Fixture& yearsOfDrills(int ships)
{
    static Fixture fixture(ships);
    static const bool filled = [] {
        fixture.exec(QStringLiteral(
            "WITH RECURSIVE y(year) AS (SELECT 2000 UNION ALL SELECT year + 1 FROM y "
            "WHERE year < 2026) INSERT INTO Drills (IDShip, ShipName, YearDrill, "
            "\"Drill Date\", \"Done Date\", Master) SELECT IDShip, ShipName, year, "
            "year || '-03-05', year || '-03-07', 'Master of ' || ShipName FROM Ships, y"));
        return true;
    }();
    Q_UNUSED(filled);
    return fixture;
}

// Bare: a connection and the first read, which is all a start needed before the check, and
// with `quickCheck` SQLite's quick check run straight after it.
void openBare(benchmark::State& state, bool quickCheck)
{
    const QString path = yearsOfDrills(int(state.range(0))).databasePath();
    for (auto _ : state) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "bare");
            db.setDatabaseName(path);
            db.open();
            QSqlQuery query(QStringLiteral("PRAGMA user_version"), db);
            benchmark::DoNotOptimize(query.next());
            if (quickCheck) {
                query.exec(QStringLiteral("PRAGMA quick_check"));
                benchmark::DoNotOptimize(query.next());
            }
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bare"));
    }
}

void BM_OpenBare(benchmark::State& state)
{
    openBare(state, false);
}

void BM_OpenBareQuickCheck(benchmark::State& state)
{
    openBare(state, true);
}

// The program's open: folder probe, quick check, version and schema.
void BM_DrillDatabaseOpen(benchmark::State& state)
{
    const QString path = yearsOfDrills(int(state.range(0))).databasePath();
    for (auto _ : state) {
        DrillDatabase db(path);
        benchmark::DoNotOptimize(db.open());
    }
}

} // namespace

BENCHMARK(BM_OpenBare)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenBareQuickCheck)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DrillDatabaseOpen)->Arg(2000)->Unit(benchmark::kMillisecond);
