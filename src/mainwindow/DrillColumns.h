#pragma once

#include "data/DrillRecord.h"

#include <QString>
#include <Qt>

// The columns of the drill grid, described in this one place: the shown fields of a drill
// record, in their order, from the ship's name to the second drill's master. The record's keys
// and year are no columns: the model gives them as roles of every cell.
namespace DrillColumns {

inline constexpr DrillRecord::Column FirstShown = DrillRecord::ShipName;
constexpr int columnOf(DrillRecord::Column field)
{
    return field - FirstShown;
}
inline constexpr int Count = columnOf(DrillRecord::Master1) + 1;
inline constexpr int ShipNameColumn = columnOf(DrillRecord::ShipName);

enum class Kind
{
    NotEditable,
    Date,
    Evaluation,
    Master
};

struct Description
{
    int width; // twips
    Qt::Alignment alignment;
    QString caption; // header row 1
    Kind kind;
};

const Description& describe(int col);
inline Kind kindOf(int col)
{
    return describe(col).kind;
}
inline bool isEditable(int col)
{
    return kindOf(col) != Kind::NotEditable;
}
// Whether the cell has a box to type into; an evaluation's has only its button.
inline bool takesTyping(int col)
{
    return kindOf(col) == Kind::Date || kindOf(col) == Kind::Master;
}

// The record field a grid column shows.
inline DrillRecord::Column fieldOf(int col)
{
    return DrillRecord::Column(col + FirstShown);
}
// The drill (0 or 1) of a column; -1 for the columns outside both drills.
inline int drillOf(int col)
{
    return col < 0 || col >= Count ? -1 : DrillRecord::drillOf(fieldOf(col));
}
// The first column of a drill: its scheduled date.
inline int firstOfDrill(int drill)
{
    return columnOf(drill == 0 ? DrillRecord::DrillDate : DrillRecord::DrillDate1);
}

} // namespace DrillColumns
