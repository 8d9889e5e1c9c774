// The drill status report for a fleet of 50 and of 2,000 ships: refilling PrintDrills, and
// rendering the report to a PDF file.
#include "Fixture.h"
#include "common/Clock.h"
#include "data/DrillDatabase.h"
#include "data/PrintDrillsTable.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"

#include <QApplication>
#include <QDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int Year = 2026;
const QString Company = QStringLiteral("Aegean O'Brien Shipmanagement S.A.");

// A fleet whose drills of the year are all scheduled, a third of them done.
struct Fleet
{
    explicit Fleet(int ships) : fixture(ships), db(fixture.databasePath())
    {
        db.open();
        fixture.exec(
            QStringLiteral(
                "INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", \"Done Date\", "
                "CompEval, Master, \"Drill Date1\") "
                "SELECT IDShip, ShipName, ?, date('2026-01-01', '+' || (IDShip * 7 % 200) || ' "
                "days'), "
                "CASE WHEN IDShip % 3 = 0 THEN date('2026-01-01', '+' || (IDShip % 60) || ' days') "
                "END, "
                "CASE WHEN IDShip % 3 = 0 THEN 60 + IDShip % 40 END, 'Capt. A. Georgiou', "
                "date('2026-06-01', '+' || (IDShip * 11 % 150) || ' days') FROM Ships"),
            {Year});
    }

    Fixture fixture;
    DrillDatabase db;
};

void BM_RefillPrintDrills(benchmark::State& state)
{
    Fleet fleet(int(state.range(0)));
    for (auto _ : state)
        PrintDrillsTable::refill(fleet.db, Year, Company, Clock::now());
}

void BM_RenderDrillStatusToPdf(benchmark::State& state)
{
    Fleet fleet(int(state.range(0)));
    PrintDrillsTable::refill(fleet.db, Year, Company, Clock::now());
    RecordingMessages messages;
    ReportControl control(messages);
    control.setDataFile(fleet.fixture.databasePath());
    control.setReportFileName(
        QDir(QCoreApplication::applicationDirPath())
            .filePath(QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    control.setDestination(ReportControl::Destination::File);
    control.setPrintFileName(QDir(fleet.fixture.folder()).filePath(QStringLiteral("report.pdf")));
    DrillStatusReport::prepare(control, Year, Company);
    for (auto _ : state) {
        if (!control.run())
            state.SkipWithError("the report could not be made");
    }
}

} // namespace

BENCHMARK(BM_RefillPrintDrills)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderDrillStatusToPdf)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
