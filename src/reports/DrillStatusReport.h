#pragma once

#include <QString>

class ReportControl;

// The drill status report of one year, from table PrintDrills through Drills.rpt.
namespace DrillStatusReport {

inline constexpr auto TemplateFileName = "Drills.rpt";

// Sets the control up for the year's report. Each row gets "No" (1, 2, ...), "Stripe" (odd or
// even), "State" / "State1" (done, due, later or none, for a style class) and "Mark" / "Mark1"
// (the state in words, legible without colour), and its four dates in the user's short form.
// Report-wide: ShipCount, DrillCount, DoneCount, DueCount, LaterCount, UnscheduledCount, and
// the year, company and moment for a year without drill rows.
void prepare(ReportControl& control, int year, const QString& company);

} // namespace DrillStatusReport
