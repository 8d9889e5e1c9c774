#pragma once

#include <QDate>
#include <QString>

class DrillDatabase;
class ReportControl;
struct ReportTable;

// The drill status report of one year, from table PrintDrills through Drills.rpt.
namespace DrillStatusReport {

inline constexpr auto TemplateFileName = "Drills.rpt";

// Sets the control up for the year's report. Each row gets "No" (1, 2, ...), "Stripe" (odd or
// even), "State" / "State1" (done, due, later or none, for a style class) and "Mark" / "Mark1"
// (the state in words, legible without colour), and its four dates in the user's short form.
// Report-wide: ShipCount, DrillCount, DoneCount, DueCount, LaterCount, UnscheduledCount, and
// the year, company and moment for a year without drill rows. The preview offers the rows
// as CSV (writeCsvFile). Closed: "Closed on DATE by WHO" for a closed year, else empty.
void prepare(ReportControl& control, int year, const QString& company, const QString& closed = {});

// The rows of PrintDrills as a CSV file, UTF-8, with a header row: the ship, then per drill its
// scheduled and done dates (yyyy-MM-dd), evaluation, master and state on the day given.
// Empty on success; otherwise a sentence for the user.
QString writeCsvFile(const ReportTable& table, const QDate& today, const QString& fileName);
// Reads the year's drill rows, without writing to the database, and writes them. Empty on
// success; otherwise a sentence for the user.
QString exportCsv(const DrillDatabase& db, int year, const QString& fileName);

} // namespace DrillStatusReport
