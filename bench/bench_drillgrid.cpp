// Loading and colouring the drill grid for a fleet of 50 and of 2,000 ships.
#include "LoadedWindow.h"

#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <memory>

namespace {

// Gives every drill of the year a scheduled date, half of them done, so that every colour
// rule is exercised.
void scheduleAll(const Fixture& fixture)
{
    fixture.exec(QStringLiteral(
        "UPDATE Drills SET \"Drill Date\" = date('now', '+' || (IDDrill % 60) || ' days'), "
        "\"Done Date1\" = CASE WHEN IDDrill % 2 = 0 THEN date('now') END, "
        "\"Drill Date1\" = date('now', '-' || (IDDrill % 30) || ' days')"));
}

// The first load of a year: the year's rows are created for the whole fleet.
void BM_FirstLoadOfYear(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        auto loaded = std::make_unique<LoadedWindow>(int(state.range(0)));
        loaded->load();
        loaded->fixture.exec(QStringLiteral("DELETE FROM Drills"));
        state.ResumeTiming();

        loaded->window->LoadFlexGrid();
        loaded->window->UpdateColors();

        state.PauseTiming();
        loaded.reset();
        state.ResumeTiming();
    }
}

// Loading a year whose rows exist, with every drill scheduled.
void BM_ReloadYear(benchmark::State& state)
{
    LoadedWindow loaded(int(state.range(0)));
    loaded.load();
    scheduleAll(loaded.fixture);
    for (auto _ : state) {
        loaded.window->LoadFlexGrid();
        loaded.window->UpdateColors();
    }
}

// One edit as the user makes it: write a field, recolour the grid, refill the report table.
void BM_CommitAndRefresh(benchmark::State& state)
{
    LoadedWindow loaded(int(state.range(0)));
    loaded.load();
    scheduleAll(loaded.fixture);
    loaded.window->LoadFlexGrid();
    auto* box = loaded.child<QLineEdit>("TxtWrite");
    int edit = 0;
    for (auto _ : state) {
        box->setText(QStringLiteral("Master %1").arg(++edit));
        loaded.window->UpdateDrill(frmORXmain::FirstDrillRow, 7);
        loaded.window->UpdateColors();
        loaded.window->PrintDrills();
    }
}

} // namespace

BENCHMARK(BM_CommitAndRefresh)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FirstLoadOfYear)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadYear)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
