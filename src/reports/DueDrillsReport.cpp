#include "reports/DueDrillsReport.h"

#include "common/Csv.h"
#include "reports/ListReport.h"
#include "reports/ReportPages.h"
#include "reports/ReportPreview.h"

#include <algorithm>

namespace {

using Group = DueDrill::Group;

constexpr auto NoDate = "no date";

// Style classes of the printed rows, by group.
QString classOf(Group group)
{
    switch (group) {
    case Group::Overdue:
        return QStringLiteral("overdue");
    case Group::DueSoon:
        return QStringLiteral("due");
    case Group::NotScheduled:
        break;
    }
    return QStringLiteral("none");
}

QString storedDate(const DueDrill& drill)
{
    return drill.scheduled.isEmpty() ? QString() : drill.scheduled.stored();
}

// The due groups in blue, as the grid colours a due drill; the overdue status in bold.
QString printStyle()
{
    return ListReport::styleSheet() +
           QStringLiteral("td.overdue, td.due { color: #0000d0; }\n"
                          "td.overdue.status { font-weight: bold; background-color: #dde3fa; }\n"
                          "td.ship { font-weight: bold; }\n");
}

QList<ReportColumn> printColumns()
{
    const auto column = [](const char* title, qreal width, const char* field, const char* look) {
        return ReportColumn{{},
                            QString::fromUtf8(title),
                            width,
                            QString::fromLatin1(field),
                            Qt::AlignLeft,
                            {QStringLiteral("{Group}"), QString::fromLatin1(look)}};
    };
    return {column("Status", 15, "Status", "status"),
            column("Scheduled Date", 15, "Scheduled", "date"),
            column("Ship Name", 28, "Ship", "ship"), column("Drill", 12, "Drill", "drill"),
            column("Ship's Master Name", 30, "Master", "master")};
}

QList<ReportValues> printRows(const DueDrills& list)
{
    QList<ReportValues> rows;
    rows.reserve(list.drills().size());
    for (const DueDrill& drill : list.drills())
        rows.append({{QStringLiteral("Group"), classOf(drill.group)},
                     {QStringLiteral("Status"), DueDrillsReport::groupName(drill.group)},
                     {QStringLiteral("Scheduled"), drill.scheduled.shown()},
                     {QStringLiteral("Ship"), drill.shipName},
                     {QStringLiteral("Drill"), DueDrillsReport::drillName(drill.drill)},
                     {QStringLiteral("Master"), drill.master}});
    return rows;
}

} // namespace

QString DueDrillsReport::groupName(DueDrill::Group group)
{
    switch (group) {
    case Group::Overdue:
        return QStringLiteral("Overdue");
    case Group::DueSoon:
        return QStringLiteral("Due");
    case Group::NotScheduled:
        break;
    }
    return QStringLiteral("Not scheduled");
}

QString DueDrillsReport::drillName(int drill)
{
    return QStringLiteral("Drill No %1").arg(drill + 1);
}

QString DueDrillsReport::counts(const DueDrills& list)
{
    return QStringLiteral("%1 overdue, %2 %3, %4 not scheduled")
        .arg(list.count(Group::Overdue))
        .arg(list.count(Group::DueSoon))
        .arg(DueDrills::dueWords(list.daysAhead()))
        .arg(list.count(Group::NotScheduled));
}

QStringList DueDrillsReport::textLines(const DueDrills& list)
{
    qsizetype shipWidth = 0;
    for (const DueDrill& drill : list.drills())
        shipWidth = std::max(shipWidth, drill.shipName.size());
    QStringList lines;
    for (const DueDrill& drill : list.drills()) {
        const QString date =
            drill.scheduled.isEmpty() ? QString::fromLatin1(NoDate) : drill.scheduled.stored();
        lines.append(QStringLiteral("%1  %2  %3  %4  %5")
                         .arg(groupName(drill.group), -13)
                         .arg(date, -10)
                         .arg(drill.shipName, -int(shipWidth))
                         .arg(drillName(drill.drill), drill.master)
                         .trimmed());
    }
    return lines;
}

QString DueDrillsReport::writeCsvFile(const DueDrills& list, const QString& fileName)
{
    return Csv::writeFile(fileName, [&](Csv::Writer& csv) {
        csv.write({QStringLiteral("Status"), QStringLiteral("Scheduled Date"),
                   QStringLiteral("Ship Name"), QStringLiteral("Drill"),
                   QStringLiteral("Ship's Master Name"), QStringLiteral("IDDrill")});
        for (const DueDrill& drill : list.drills())
            csv.write({groupName(drill.group), storedDate(drill), drill.shipName,
                       drillName(drill.drill), drill.master, QString::number(drill.idDrill)});
    });
}

void DueDrillsReport::preview(const DueDrills& list, int year, const QString& company,
                              Messages& messages, QWidget* owner)
{
    RenderedReport report;
    report.styleSheet = printStyle();
    report.headerHtml =
        ListReport::headerHtml(QStringLiteral("DUE DRILLS %1").arg(year), company, counts(list));
    report.emptyText = QStringLiteral("No drill of %1 is overdue, due or unscheduled.").arg(year);
    report.columns = printColumns();
    const auto pages = std::make_shared<const ReportPages>(report, printRows(list),
                                                           ReportPages::a4(QPageLayout::Portrait));
    auto* window = new ReportPreview(pages, messages, owner, {}, [list](const QString& fileName) {
        return writeCsvFile(list, fileName);
    });
    window->show();
    window->activateWindow();
}
