#pragma once

#include <QtGlobal>

#include <array>
#include <optional>

class DrillDatabase;
class QSqlError;
class QString;

// The questionnaire's answers in table Evaluation (read through QuEvaluations): one row per
// drill-grid row and question, holding the flags of both drills of that row.
namespace EvaluationTable {

constexpr int QuestionCount = 10;
constexpr int ScaleSize = 5;

// Per question (index 0 for question 1) the chosen scale value 1 to 5; 0 when unanswered.
using Answers = std::array<int, QuestionCount>;

// Which of the row's two drills the answers belong to: flags Ev1..Ev5 or Ev11..Ev15.
enum class Drill
{
    First,
    Second
};

// The drill of a grid column: Drill No 2's evaluation (10) is the second, any other the first.
Drill drillOfColumn(int column);

// Gives the drill-grid row its ten question rows, all in one transaction, when some are
// missing; rows that exist are left alone. False when the database refused.
bool ensureRows(DrillDatabase& db, qint64 idDrill);

// The stored answers of one drill; nothing when they cannot be read.
std::optional<Answers> load(DrillDatabase& db, qint64 idDrill, Drill drill);
// The same for a questionnaire being opened: the ten question rows are made first, unless the
// answers are only to be read.
std::optional<Answers> open(DrillDatabase& db, qint64 idDrill, Drill drill, bool readOnly);

// Stores the answers of one drill in one transaction, creating question rows that are
// missing; the other drill's flags stay as stored. All or nothing.
bool save(DrillDatabase& db, qint64 idDrill, Drill drill, const Answers& answers);
// The same within the caller's transaction; the database's refusal goes to *refused.
bool store(DrillDatabase& db, qint64 idDrill, Drill drill, const Answers& answers,
           QSqlError* refused);

// Answers as one text of ten digits, "5555555555", as the server's evaluation write takes them.
QString digits(const Answers& answers);
Answers fromDigits(const QString& digits);

} // namespace EvaluationTable
