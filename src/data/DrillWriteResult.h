#pragma once

#include "data/DrillDatabase.h"
#include "data/EvaluationTable.h"

#include <QString>

// What became of a DrillChange.
struct DrillWriteResult
{
    enum class Outcome
    {
        Written,
        Unchanged,      // the field holds the wanted value already; nothing was written
        Conflict,       // another user changed the field meanwhile; see storedNow
        Busy,           // another user's lock outlasted the wait; nothing was written
        Gone,           // another user deleted the drill; nothing was written
        Failed,         // the database refused; see failure
        ConnectionLost, // the database no longer answers; nothing was written
    };

    Outcome outcome = Outcome::Written;
    // The field's value in the database after the attempt (stored form), for Written,
    // Unchanged and Conflict.
    QString storedNow;
    DataFailure failure;
    // Whether the work written alongside the field was kept (see DrillDataSource::write).
    bool alongsideDone = true;
    // For a change with answers: the answers stored after the attempt, as storedNow.
    EvaluationTable::Answers answersNow{};

    bool stored() const { return outcome == Outcome::Written || outcome == Outcome::Unchanged; }
};
