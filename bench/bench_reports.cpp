// The drill status report for a fleet of 50 and of 2,000 ships: refilling PrintDrills, and
// rendering the report to a PDF file beside a bare floor that paints the same rows.
#include "Fixture.h"
#include "common/Clock.h"
#include "data/DrillDatabase.h"
#include "data/PrintDrillsTable.h"
#include "data/ReportTable.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>

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

// The floor: the same rows read from PrintDrills and painted with QPainter on QPdfWriter,
// fixed row height, the column titles on every page, "Page n of m" at the foot.
void paintFloor(const ReportTable& table, const QString& fileName)
{
    QPdfWriter writer(fileName);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                     QMarginsF(12, 12, 12, 8), QPageLayout::Millimeter));
    writer.setResolution(600);
    QPainter painter(&writer);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPointSizeF(8.5);
    painter.setFont(QFont(font, &writer));
    const QStringList fields = {"ShipName", "Drill Date",  "Done Date",  "CompEval",
                                "Master",   "Drill Date1", "Done Date1", "CompEval1",
                                "Master1",  "YearDrill",   "IDDrill",    "IDShip"};
    QList<int> columns;
    for (const QString& field : fields)
        columns.append(int(table.columns.indexOf(field)));
    const qreal rowHeight = painter.fontMetrics().height() * 1.6;
    const qreal columnWidth = writer.width() / qreal(fields.size());
    const int rowsPerPage = int((writer.height() - 3 * rowHeight) / rowHeight);
    const int pages = int((table.rows.size() + rowsPerPage - 1) / rowsPerPage);
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            writer.newPage();
        for (int c = 0; c < fields.size(); ++c)
            painter.drawText(QRectF(c * columnWidth, 0, columnWidth, rowHeight), Qt::AlignCenter,
                             fields.at(c));
        for (int r = 0; r < rowsPerPage && page * rowsPerPage + r < table.rows.size(); ++r) {
            const QVariantList& row = table.rows.at(page * rowsPerPage + r);
            const qreal top = (r + 1) * rowHeight;
            if (r % 2)
                painter.fillRect(QRectF(0, top, writer.width(), rowHeight),
                                 QColor(0xf1, 0xf3, 0xf8));
            for (int c = 0; c < columns.size(); ++c)
                painter.drawText(QRectF(c * columnWidth, top, columnWidth, rowHeight),
                                 Qt::AlignLeft | Qt::AlignVCenter,
                                 row.value(columns.at(c)).toString());
        }
        painter.drawText(QRectF(0, writer.height() - rowHeight, writer.width(), rowHeight),
                         Qt::AlignRight, QStringLiteral("Page %1 of %2").arg(page + 1).arg(pages));
    }
}

void BM_PaintFloorToPdf(benchmark::State& state)
{
    Fleet fleet(int(state.range(0)));
    PrintDrillsTable::refill(fleet.db, Year, Company, Clock::now());
    const QString pdf = QDir(fleet.fixture.folder()).filePath(QStringLiteral("floor.pdf"));
    for (auto _ : state) {
        ReportTable table;
        if (!ReportTableReader::read(fleet.fixture.databasePath(), QStringLiteral("PrintDrills"),
                                     table)
                 .isEmpty())
            state.SkipWithError("the rows could not be read");
        paintFloor(table, pdf);
    }
}

} // namespace

BENCHMARK(BM_RefillPrintDrills)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderDrillStatusToPdf)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFloorToPdf)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond);
