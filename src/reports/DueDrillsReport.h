#pragma once

#include "data/DueDrills.h"

#include <QString>
#include <QStringList>

class Messages;
class QWidget;

// The due drills of a year in words: the counts, plain text lines, CSV, and a printed list.
namespace DueDrillsReport {

// "Overdue", "Due" or "Not scheduled".
QString groupName(DueDrill::Group group);
// "Drill No 1" or "Drill No 2".
QString drillName(int drill);
// "3 overdue, 12 due today or in the next 30 days, 5 not scheduled".
QString counts(const DueDrills& list);

// One line per drill, in the list's order: status, scheduled date (yyyy-MM-dd), ship, drill
// and master, in aligned columns.
QStringList textLines(const DueDrills& list);
// A CSV file, UTF-8: a header row, then one record per drill, dates as yyyy-MM-dd and the
// drill's key. Empty on success; otherwise a sentence for the user.
QString writeCsvFile(const DueDrills& list, const QString& fileName);

// Opens the print preview of the list, which prints it and exports it as PDF or CSV.
void preview(const DueDrills& list, int year, const QString& company, Messages& messages,
             QWidget* owner);

} // namespace DueDrillsReport
