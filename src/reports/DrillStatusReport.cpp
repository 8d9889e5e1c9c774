#include "reports/DrillStatusReport.h"

#include "common/Clock.h"
#include "common/Csv.h"
#include "common/DateText.h"
#include "common/DrillState.h"
#include "data/PrintDrillsTable.h"
#include "data/ReportTable.h"
#include "reports/ReportControl.h"

#include <QDate>
#include <QDir>
#include <QSaveFile>

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
    for (const QString& suffix : {QString(), QStringLiteral("1")}) {
        const QString scheduled = field(QStringLiteral("Drill Date") + suffix);
        const QString done = field(QStringLiteral("Done Date") + suffix);
        record << scheduled << done << field(QStringLiteral("CompEval") + suffix)
               << field(QStringLiteral("Master") + suffix)
               << csvStateOf(drillState(scheduled, done, today));
    }
    return record;
}

} // namespace

void DrillStatusReport::writeCsv(const ReportTable& table, const QDate& today, QIODevice& out)
{
    out.write(Csv::record(csvHeader()).toUtf8());
    for (const QVariantList& row : table.rows)
        out.write(Csv::record(csvRecord(table.columns, row, today)).toUtf8());
}

QString DrillStatusReport::writeCsvFile(const ReportTable& table, const QDate& today,
                                        const QString& fileName)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly)) {
        writeCsv(table, today, file);
        if (file.commit())
            return {};
    }
    return QStringLiteral("The CSV file \"%1\" cannot be written: %2")
        .arg(QDir::toNativeSeparators(fileName), file.errorString());
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
    control.setRowHook(
        [today](ReportValues& row, ReportValues& report) { addDrillValues(row, report, today); });
    control.setCsvExport([today](const ReportTable& table, const QString& fileName) {
        return writeCsvFile(table, today, fileName);
    });
}
