#pragma once

#include "common/ClosedYear.h"

#include <QSqlError>
#include <QSqlQuery>

#include <optional>

class DrillDatabase;

// Closing a year after its audit, and reopening it with a reason; the database itself refuses
// changes to a closed year's drills, whichever way they come.
namespace YearClosure {

enum class Outcome
{
    Done,
    InTheFuture,    // a year that has not begun or not ended cannot be audited yet
    AlreadyClosed,  // or, when reopening, not closed
    ReasonRequired, // reopening needs a reason
    Failed          // the database refused; see the error
};

// The year's closure; nothing when it is open or cannot be read.
std::optional<ClosedYear> closedInfo(DrillDatabase& db, int year);
// The statement closedInfo() runs, for a reader that prepares it once; the year is bound.
QString closedInfoStatement();
// The closure of the year a row of that statement tells.
ClosedYear closedYearRead(int year, const QSqlQuery& query);

// Closes the year, recording who and when; a year after thisYear is refused.
Outcome close(DrillDatabase& db, int year, int thisYear, QSqlError* error = nullptr);
// Reopens the year; the reason goes into the history of changes.
Outcome reopen(DrillDatabase& db, int year, const QString& reason, QSqlError* error = nullptr);

// Whether the database refused a change because its year is closed.
bool isClosedYearRefusal(const QSqlError& error);

} // namespace YearClosure
