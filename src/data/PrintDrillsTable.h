#pragma once

#include <QDateTime>
#include <QString>

class DrillDatabase;
struct DataFailure;
struct ReportTable;

// The scratch table PrintDrills, from which the drill status report reads.
namespace PrintDrillsTable {

// Whether the table follows every edit: a file's table is there for any program to read; a
// server's belongs to the program's own connection, so it is filled when a report is made.
bool followsEdits(const DrillDatabase& db);

// Replaces the whole table with the drill rows of the year, each stamped with the company
// name and the moment of the refill. All or nothing: on failure the table is as it was, and
// *failure says why.
bool refill(DrillDatabase& db, int year, const QString& company, const QDateTime& now,
            DataFailure* failure = nullptr);
// The same inside a transaction the caller holds.
bool refillWithin(DrillDatabase& db, int year, const QString& company, const QDateTime& now,
                  DataFailure* failure = nullptr);

// The drill rows of the year as the table would hold them, read without writing anything: an
// export works on a file another program is writing to, or on a full disk. Empty on success;
// otherwise a sentence for the user.
QString readYear(const DrillDatabase& db, int year, ReportTable& out);

} // namespace PrintDrillsTable
