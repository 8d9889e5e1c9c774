#pragma once

#include <QDate>
#include <QString>

// Where a drill stands, from its date texts as the grid shows them.
enum class DrillState {
    None,  // no dates, or a scheduled date that cannot be read
    Done,  // it has a date done
    Due,   // not done, scheduled before one calendar month from today (past dates included)
    Later, // not done, scheduled one calendar month from today or later
};

DrillState drillState(const QString& scheduled, const QString& done, const QDate& today);
