#pragma once

#include <QDate>
#include <QString>

// Where a drill stands.
enum class DrillState
{
    None,  // no dates, or a scheduled date that cannot be read
    Done,  // it has a date done
    Due,   // not done, scheduled before one calendar month from today (past dates included)
    Later, // not done, scheduled one calendar month from today or later
};

// The day from which a scheduled drill is no longer due: one calendar month from today.
QDate dueBefore(const QDate& today);

// From the drill's values: whether it has a date done at all, and its scheduled date (invalid
// when there is none or it cannot be read).
DrillState drillState(bool done, const QDate& scheduled, const QDate& today);
// From the drill's date texts, stored or as shown.
DrillState drillState(const QString& scheduled, const QString& done, const QDate& today);
