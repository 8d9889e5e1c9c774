#pragma once

#include <QString>

#include <array>

// The eight fields of a grid row's two drills, the one place that names them: the tables, the
// drill view, the history, the due list, the reports and the grid all read them here.
namespace DrillFields {

// A field's place within its drill, in the order the grid shows them.
enum class Part
{
    Scheduled,
    Done,
    Evaluation,
    Master
};

enum class Kind
{
    Date,
    Evaluation,
    Name
};

struct Field
{
    const char* stored; // as the tables and the history name it
    int drill;          // 0 for "Drill No 1", 1 for "Drill No 2"
    Part part;
    const char* caption; // the grid's

    constexpr Kind kind() const
    {
        return part == Part::Evaluation ? Kind::Evaluation
               : part == Part::Master   ? Kind::Name
                                        : Kind::Date;
    }
    QString storedName() const { return QString::fromLatin1(stored); }
    // The name as a statement writes it: quoted where it holds a space, so that it keeps its case.
    QString sqlName() const;
};

constexpr int PerDrill = 4;

// Drill No 1's fields, then Drill No 2's; the same order as the drill view's columns.
inline constexpr std::array<Field, 2 * PerDrill> All = {{
    {"Drill Date", 0, Part::Scheduled, "Scheduled Date"},
    {"Done Date", 0, Part::Done, "Date Done"},
    {"CompEval", 0, Part::Evaluation, "Evaluation (%)"},
    {"Master", 0, Part::Master, "Ship's Master Name"},
    {"Drill Date1", 1, Part::Scheduled, "Scheduled Date"},
    {"Done Date1", 1, Part::Done, "Date Done"},
    {"CompEval1", 1, Part::Evaluation, "Evaluation (%)"},
    {"Master1", 1, Part::Master, "Ship's Master Name"},
}};

constexpr const Field& of(int drill, Part part)
{
    return All[std::size_t(drill * PerDrill + int(part))];
}

// The field of that stored name; none for any other name.
const Field* named(const QString& stored);

} // namespace DrillFields
