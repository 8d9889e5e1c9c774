// The history of changes: a drill edit with its history entry beside the same edit without
// one (the connection's history triggers of drill fields dropped), and the history window of a
// drill with 1,000 changes beside a bare read of those rows; same run, files alike.
#include "Fixture.h"
#include "common/Messages.h"
#include "data/ChangeHistory.h"
#include "data/DrillChange.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "history/HistoryWindow.h"

#include <QSqlQuery>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int Year = 2026;
constexpr int Ships = 50;

class SilentMessages : public Messages
{
public:
    bool askYesNo(const QString&, const QString&) override { return false; }
    void tell(Icon, const QString&, const QString&) override {}
};

// A fleet with this year's rows, open through the program's data layer.
struct OpenFleet
{
    OpenFleet() : fixture(Ships), db(fixture.databasePath()), data(db)
    {
        db.open();
        data.setYear(Year);
        data.addFleetYear();
        data.refresh();
    }
    Fixture fixture;
    DrillDatabase db;
    DrillDataSource data;
};

void dropDrillHistoryTriggers(const QSqlDatabase& connection)
{
    QSqlQuery query(connection);
    query.exec(QStringLiteral("SELECT name FROM sqlite_temp_master WHERE type = 'trigger' AND "
                              "tbl_name = 'Drills' AND name LIKE 'orx_history_%'"));
    QStringList names;
    while (query.next())
        names << query.value(0).toString();
    for (const QString& name : names)
        query.exec(QStringLiteral("DROP TRIGGER %1").arg(name));
}

void edits(benchmark::State& state, bool recorded)
{
    OpenFleet fleet;
    if (!recorded)
        dropDrillHistoryTriggers(fleet.db.connection());
    qint64 n = 0;
    for (auto _ : state) {
        const bool ok =
            fleet.data
                .write(DrillChange::of(fleet.data.records().at(int(n % Ships)),
                                       DrillDataSource::Master, QStringLiteral("Master %1").arg(n)))
                .stored();
        benchmark::DoNotOptimize(ok);
        ++n;
    }
}

void BM_EditBare(benchmark::State& state)
{
    edits(state, false);
}

void BM_EditWithHistory(benchmark::State& state)
{
    edits(state, true);
}

// One drill changed 1,000 times.
OpenFleet& drillWithLongHistory()
{
    static OpenFleet fleet;
    static const bool changed = [] {
        for (int n = 0; n < 1000; ++n)
            fleet.data.write(DrillChange::of(fleet.data.records().at(0), DrillDataSource::Master,
                                             QStringLiteral("Master %1").arg(n)));
        return true;
    }();
    Q_UNUSED(changed);
    return fleet;
}

void BM_HistoryRowsBare(benchmark::State& state)
{
    OpenFleet& fleet = drillWithLongHistory();
    const qint64 drill = fleet.data.records().first().idDrill;
    for (auto _ : state) {
        QSqlQuery query(fleet.db.connection());
        query.setForwardOnly(true);
        query.prepare(QStringLiteral("SELECT * FROM History WHERE TableName = 'Drills' AND "
                                     "RecordId = ? ORDER BY IDHistory DESC"));
        query.addBindValue(drill);
        query.exec();
        int rows = 0;
        while (query.next())
            ++rows;
        benchmark::DoNotOptimize(rows);
    }
}

void BM_HistoryWindowOpen(benchmark::State& state)
{
    OpenFleet& fleet = drillWithLongHistory();
    const qint64 drill = fleet.data.records().first().idDrill;
    SilentMessages messages;
    for (auto _ : state) {
        HistoryWindow window(
            QStringLiteral("MV Ship, drills of 2026"), QStringLiteral("Fleet Ltd"),
            [&](bool* locked) { return ChangeHistory::ofDrill(fleet.db, drill, locked); },
            messages);
        window.read();
        window.show();
        benchmark::DoNotOptimize(window.isVisible());
    }
}

} // namespace

BENCHMARK(BM_EditBare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditWithHistory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryRowsBare)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HistoryWindowOpen)->Unit(benchmark::kMillisecond);
