#pragma once

#include "data/DrillRecord.h"

#include <QString>
#include <Qt>

// The columns of the drill grid, described in this one place: the fixed column, then the
// columns of a drill record in their order.
namespace DrillColumns {

enum Column
{
    Fixed,
    IDDrill,
    IDShip,
    ShipName,
    DrillDate,
    DoneDate,
    CompEval,
    Master,
    DrillDate1,
    DoneDate1,
    CompEval1,
    Master1,
    YearDrill,
    Count
};

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
    return drill == 0 ? DrillDate : DrillDate1;
}

} // namespace DrillColumns
