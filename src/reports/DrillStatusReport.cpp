#include "reports/DrillStatusReport.h"

#include "common/Clock.h"
#include "common/DateText.h"
#include "common/DrillState.h"
#include "reports/ReportControl.h"

#include <QDate>

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

void countUp(ReportValues& report, const QString& name)
{
    report[name] = report.value(name).toInt() + 1;
}

// Drill 2's fields are drill 1's with "1" appended.
void addDrill(ReportValues& row, ReportValues& report, const QString& suffix, const QDate& today)
{
    const QString scheduledField = QStringLiteral("Drill Date") + suffix;
    const QString doneField = QStringLiteral("Done Date") + suffix;
    const QString scheduled = row.value(scheduledField).toString();
    const QString done = row.value(doneField).toString();

    const StateLabel label = labelOf(drillState(scheduled, done, today));
    row[QStringLiteral("State") + suffix] = QString::fromLatin1(label.styleClass);
    row[QStringLiteral("Mark") + suffix] = QString::fromUtf8(label.mark);
    countUp(report, QString::fromLatin1(label.counter));
    countUp(report, QStringLiteral("DrillCount"));

    row[scheduledField] = DateText::storedToShort(scheduled);
    row[doneField] = DateText::storedToShort(done);
}

void addDrillValues(ReportValues& row, ReportValues& report, const QDate& today)
{
    countUp(report, QStringLiteral("ShipCount"));
    const int number = report.value(QStringLiteral("ShipCount")).toInt();
    row[QStringLiteral("No")] = number;
    row[QStringLiteral("Stripe")] = number % 2 ? QStringLiteral("odd") : QStringLiteral("even");
    addDrill(row, report, QString(), today);
    addDrill(row, report, QStringLiteral("1"), today);
}

} // namespace

void DrillStatusReport::prepare(ReportControl& control, int year, const QString& company)
{
    const QDateTime now = Clock::now();
    control.setDefault(QStringLiteral("YearDrill"), year);
    control.setDefault(QStringLiteral("Company"), company);
    control.setDefault(QStringLiteral("Date1"), DateText::longDate(now.date()));
    control.setDefault(QStringLiteral("Time1"), DateText::timeText(now.time()));
    for (const char* counter :
         {"ShipCount", "DrillCount", "DoneCount", "DueCount", "LaterCount", "UnscheduledCount"})
        control.setDefault(QString::fromLatin1(counter), 0);
    const QDate today = Clock::today();
    control.setRowHook(
        [today](ReportValues& row, ReportValues& report) { addDrillValues(row, report, today); });
}
