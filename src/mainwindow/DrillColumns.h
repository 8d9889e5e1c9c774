#pragma once

#include "data/DrillRecord.h"

#include <QString>
#include <Qt>

// The columns of the drill grid, described in this one place: the fixed column, then the
// columns of a drill record in their order.
namespace DrillColumns {

// Grid column 0 is the fixed column; a record's columns follow it, in their order.
inline constexpr int Fixed = 0;
constexpr int columnOf(DrillRecord::Column field)
{
    return field + 1;
}
inline constexpr int Count = columnOf(DrillRecord::ColumnCount);
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
    int width; // twips; 0 hides the column
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

// The record field a grid column shows.
inline DrillRecord::Column fieldOf(int col)
{
    return DrillRecord::Column(col - 1);
}
// The drill (0 or 1) of a column; -1 for the columns outside both drills.
inline int drillOf(int col)
{
    return col < 1 || col >= Count ? -1 : DrillRecord::drillOf(fieldOf(col));
}
// The first column of a drill: its scheduled date.
inline int firstOfDrill(int drill)
{
    return columnOf(drill == 0 ? DrillRecord::DrillDate : DrillRecord::DrillDate1);
}

} // namespace DrillColumns
