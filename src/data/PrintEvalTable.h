#pragma once

#include "data/EvaluationTable.h"

#include <QDateTime>
#include <QString>

class DrillDatabase;
struct DataFailure;

// The scratch table PrintEval, from which the evaluation report reads: one questionnaire.
namespace PrintEvalTable {

// The questionnaire as the panel shows it; empty texts are stored as NULL, except the company.
struct Questionnaire
{
    QString company;
    QString ship;
    QString drillDate;
    QString master;
    QString total;
    EvaluationTable::Answers answers{};
};

// The mark of field Ev<question><scale>.
inline constexpr auto ChosenMark = "<";
inline constexpr auto OpenMark = ")";

// Replaces the table's content with one row for the questionnaire, stamped with the moment
// of printing. All or nothing: on failure the table is as it was, and *failure says why.
bool refill(DrillDatabase& db, const Questionnaire& questionnaire, const QDateTime& printed,
            DataFailure* failure = nullptr);

} // namespace PrintEvalTable
