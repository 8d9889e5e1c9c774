// One drill edit on the server (local socket) beside the same edit on a SQLite file, each
// beside a bare prepared UPDATE on a plain connection of the same engine.
#include "Engines.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/YearRows.h"

#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <map>
#include <memory>

namespace {

// A year of drill rows for a fleet, kept for the whole run.
struct Year
{
    explicit Year(const QString& engine, int ships) : fresh(engine), db(fresh.location())
    {
        if (!fresh.failure().isEmpty() || !db.open().isEmpty())
            qFatal("Cannot open the %s database", qPrintable(engine));
        db.inTransaction([&] {
            QSqlQuery query(db.connection());
            query.prepare(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"));
            for (int ship = 1; ship <= ships; ++ship) {
                query.addBindValue(QStringLiteral("MV Ship %1").arg(ship));
                query.exec();
            }
            return true;
        });
        YearRows::addMissing(db, 2026);
        QSqlQuery ids(QStringLiteral("SELECT IDDrill FROM Drills"), db.connection());
        while (ids.next())
            rows << ids.value(0).toLongLong();
    }

    // The row and the value of edit number `n`: rows in turn, and always a new value.
    qint64 row(qint64 n) const { return rows.at(n % rows.size()); }
    static QString value(qint64 n) { return QStringLiteral("Master %1").arg(n); }

    Engines::FreshLocation fresh;
    DrillDatabase db;
    QList<qint64> rows;
};

Year& yearOf(const QString& engine, int ships)
{
    static std::map<std::pair<QString, int>, std::unique_ptr<Year>> years;
    auto& year = years[{engine, ships}];
    if (!year)
        year = std::make_unique<Year>(engine, ships);
    return *year;
}

void edit(benchmark::State& state, const QString& engine)
{
    Year& year = yearOf(engine, int(state.range(0)));
    DrillDataSource source(year.db);
    source.setYear(2026);
    source.refresh();
    qint64 n = 0;
    for (auto _ : state) {
        const DrillRecord* record = source.recordOf(year.row(n));
        const auto result =
            source.write(DrillChange::of(*record, DrillRecord::Master, Year::value(n)));
        if (!result.stored())
            state.SkipWithError("the edit was refused");
        ++n;
    }
}

// The same statement on the same connection, without the data layer.
void bare(benchmark::State& state, const QString& engine)
{
    Year& year = yearOf(engine, int(state.range(0)));
    qint64 n = 0;
    for (auto _ : state) {
        QSqlQuery query(year.db.connection());
        query.prepare(QStringLiteral("UPDATE Drills SET Master = ? WHERE IDDrill = ?"));
        query.addBindValue(Year::value(n));
        query.addBindValue(year.row(n));
        benchmark::DoNotOptimize(query.exec());
        ++n;
    }
}

void BM_EditSqlite(benchmark::State& state)
{
    edit(state, QStringLiteral("sqlite"));
}
void BM_BareUpdateSqlite(benchmark::State& state)
{
    bare(state, QStringLiteral("sqlite"));
}
void BM_EditPostgres(benchmark::State& state)
{
    edit(state, QStringLiteral("postgresql"));
}
void BM_BareUpdatePostgres(benchmark::State& state)
{
    bare(state, QStringLiteral("postgresql"));
}

} // namespace

BENCHMARK(BM_BareUpdateSqlite)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditSqlite)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareUpdatePostgres)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditPostgres)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
