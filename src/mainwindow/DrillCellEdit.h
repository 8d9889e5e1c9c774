#pragma once

#include "data/DrillChange.h"

#include <QMetaType>
#include <QString>

// The edit of one drill cell as its box began it: the change (its value is what was typed),
// the text the box showed, and the field named as the user knows it ("Ship's Master Name of
// MV Alpha, Drill No 1"), kept for when the drill is gone before its edit is stored.
struct DrillCellEdit
{
    DrillChange change;
    QString shown;
    QString name;

    // An untouched box has nothing to store: writing its own text back could only find another
    // user's newer value and ask about it; an emptied one clears nothing.
    bool hasTextToStore() const { return !change.value.isEmpty() && change.value != shown; }
};

Q_DECLARE_METATYPE(DrillCellEdit)
