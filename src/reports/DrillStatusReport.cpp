#include "reports/DrillStatusReport.h"

#include "common/Clock.h"
#include "common/Csv.h"
#include "common/DateText.h"
#include "common/DrillState.h"
#include "data/DrillFields.h"
#include "data/PrintDrillsTable.h"
#include "data/ReportTable.h"
#include "reports/ReportControl.h"

#include <QDate>

#include <array>

namespace {

struct StateLabel
{
    const char* styleClass;
    const char* mark;
    const char* counter;
};

StateLabel labelOf(DrillState state)
{
    switch (state) {
    case DrillState::Done:
        return {"done", "\u2713 DONE", "DoneCount"};
    case DrillState::Due:
        return {"due", "! DUE", "DueCount"};
    case DrillState::Later:
        return {"later", "\u00BB LATER", "LaterCount"};
    case DrillState::None:
        break;
    }
    return {"none", "", "UnscheduledCount"};
}

constexpr std::array AllStates = {DrillState::None, DrillState::Done, DrillState::Due,
                                  DrillState::Later};

QString fieldOf(int drill, DrillFields::Part part)
{
    return DrillFields::of(drill, part).storedName();
}

// The names of one drill's values in a row: drill 2's state and mark are drill 1's with "1"
// appended.
struct DrillNames
{
    explicit DrillNames(int drill)
        : scheduled(fieldOf(drill, DrillFields::Part::Scheduled)),
          done(fieldOf(drill, DrillFields::Part::Done)),
          state(QStringLiteral("State") + (drill ? QStringLiteral("1") : QString())),
          mark(QStringLiteral("Mark") + (drill ? QStringLiteral("1") : QString()))
    {
    }
    QString scheduled, done, state, mark;
};

// The words and classes of every state, made once for all rows.
struct StateTexts
{
    StateTexts()
    {
        for (const DrillState state : AllStates) {
            styleClass[int(state)] = QString::fromLatin1(labelOf(state).styleClass);
            mark[int(state)] = QString::fromUtf8(labelOf(state).mark);
        }
    }
    std::array<QVariant, AllStates.size()> styleClass, mark;
};

struct Counts
{
    int ships = 0;
    int drills = 0;
    std::array<int, AllStates.size()> byState{};
};

void addDrill(ReportValues& row, const DrillNames& fields, const StateTexts& texts, Counts& counts,
              const QDate& today)
{
    const QString scheduled = row.value(fields.scheduled).toString();
    const QString done = row.value(fields.done).toString();
    const int state = int(drillState(scheduled, done, today));
    row[fields.state] = texts.styleClass.at(state);
    row[fields.mark] = texts.mark.at(state);
    ++counts.byState.at(state);
    ++counts.drills;
    row[fields.scheduled] = DateText::storedToShort(scheduled);
    row[fields.done] = DateText::storedToShort(done);
}

// Numbers and stripes the rows, gives each drill its state, and counts them for the report.
void addDrillValues(QList<ReportValues>& rows, ReportValues& report, const QDate& today)
{
    const DrillNames first{0};
    const DrillNames second{1};
    const StateTexts texts;
    const QVariant odd(QStringLiteral("odd")), even(QStringLiteral("even"));
    Counts counts;
    for (ReportValues& row : rows) {
        const int number = ++counts.ships;
        row[QStringLiteral("No")] = number;
        row[QStringLiteral("Stripe")] = number % 2 ? odd : even;
        addDrill(row, first, texts, counts, today);
        addDrill(row, second, texts, counts, today);
    }
    report[QStringLiteral("ShipCount")] = counts.ships;
    report[QStringLiteral("DrillCount")] = counts.drills;
    for (const DrillState state : AllStates)
        report[QString::fromLatin1(labelOf(state).counter)] = counts.byState.at(int(state));
}

QString csvStateOf(DrillState state)
{
    return state == DrillState::None ? QStringLiteral("not scheduled")
                                     : QString::fromLatin1(labelOf(state).styleClass);
}

QStringList csvHeader()
{
    QStringList header{QStringLiteral("Ship")};
    for (const char* drill : {"Drill 1", "Drill 2"}) {
        for (const char* field :
             {"Scheduled Date", "Date Done", "Evaluation (%)", "Master", "State"})
            header.append(QStringLiteral("%1 %2").arg(QLatin1String(drill), QLatin1String(field)));
    }
    return header;
}

QStringList csvRecord(const QStringList& columns, const QVariantList& row, const QDate& today)
{
    const auto field = [&](const QString& name) {
        return row.value(columns.indexOf(name)).toString();
    };
    QStringList record{field(QStringLiteral("ShipName"))};
    using Part = DrillFields::Part;
    for (int drill = 0; drill < 2; ++drill) {
        const QString scheduled = field(fieldOf(drill, Part::Scheduled));
        const QString done = field(fieldOf(drill, Part::Done));
        record << scheduled << done << field(fieldOf(drill, Part::Evaluation))
               << field(fieldOf(drill, Part::Master))
               << csvStateOf(drillState(scheduled, done, today));
    }
    return record;
}

} // namespace

QString DrillStatusReport::writeCsvFile(const ReportTable& table, const QDate& today,
                                        const QString& fileName)
{
    return Csv::writeFile(fileName, [&](Csv::Writer& csv) {
        csv.write(csvHeader());
        for (const QVariantList& row : table.rows)
            csv.write(csvRecord(table.columns, row, today));
    });
}

QString DrillStatusReport::exportCsv(const DrillDatabase& db, int year, const QString& fileName)
{
    ReportTable table;
    const QString failure = PrintDrillsTable::readYear(db, year, table);
    return failure.isEmpty() ? writeCsvFile(table, Clock::today(), fileName) : failure;
}

void DrillStatusReport::prepare(ReportControl& control, int year, const QString& company,
                                const QString& closed)
{
    control.setDefault(QStringLiteral("Closed"), closed);
    const QDateTime now = Clock::now();
    control.setReportShape({QStringLiteral("PrintDrills"), true});
    control.setDefault(QStringLiteral("YearDrill"), year);
    control.setDefault(QStringLiteral("Company"), company);
    control.setDefault(QStringLiteral("Date1"), DateText::longDate(now.date()));
    control.setDefault(QStringLiteral("Time1"), DateText::timeText(now.time()));
    for (const char* counter :
         {"ShipCount", "DrillCount", "DoneCount", "DueCount", "LaterCount", "UnscheduledCount"})
        control.setDefault(QString::fromLatin1(counter), 0);
    const QDate today = Clock::today();
    control.setRowHook([today](QList<ReportValues>& rows, ReportValues& report) {
        addDrillValues(rows, report, today);
    });
    control.setCsvExport([today](const ReportTable& table, const QString& fileName) {
        return writeCsvFile(table, today, fileName);
    });
}
