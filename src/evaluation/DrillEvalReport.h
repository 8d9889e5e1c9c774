#pragma once

#include "reports/ReportTemplate.h"

#include <QString>

class DrillDatabase;
class ReportControl;

// The drill evaluation report: the questionnaire in table PrintEval through DrillEval.rpt.
namespace DrillEvalReport {

inline constexpr auto TemplateFileName = "DrillEval.rpt";

// Adds "Chosen<question><scale>" (true or false) for each mark field Ev<question><scale>, so
// that the template can print a check mark in the chosen column and an empty box elsewhere.
void addChoices(ReportValues& row);

// Sets the control up for the report: the program's database, the template in the application
// folder, and the values above.
void prepare(ReportControl& control, const DrillDatabase& db, const QString& applicationFolder);

} // namespace DrillEvalReport
