#include "mainwindow/DrillColumns.h"

#include "data/DrillFields.h"

#include <array>

namespace {

using DrillColumns::Description;
using DrillColumns::Kind;

// A drill field's column follows from the field's kind: its width, its alignment, its editing.
Description describeField(const DrillFields::Field& field)
{
    const QString caption = DrillRecord::caption(DrillRecord::columnOf(field));
    switch (field.kind()) {
    case DrillFields::Kind::Date:
        return {1150, Qt::AlignRight | Qt::AlignVCenter, caption, Kind::Date};
    case DrillFields::Kind::Evaluation:
        return {1000, Qt::AlignCenter, caption, Kind::Evaluation};
    case DrillFields::Kind::Name:
        break;
    }
    return {2000, {}, caption, Kind::Master};
}

std::array<Description, DrillColumns::Count> describeAll()
{
    std::array<Description, DrillColumns::Count> columns;
    columns[DrillColumns::ShipNameColumn] = {
        2000, {}, DrillRecord::caption(DrillRecord::ShipName), Kind::NotEditable};
    for (const DrillFields::Field& field : DrillFields::All)
        columns[std::size_t(DrillColumns::columnOf(DrillRecord::columnOf(field)))] =
            describeField(field);
    return columns;
}

} // namespace

const DrillColumns::Description& DrillColumns::describe(int col)
{
    static const Description outside{0, {}, {}, Kind::NotEditable};
    static const std::array<Description, Count> columns = describeAll();
    return col >= 0 && col < Count ? columns[std::size_t(col)] : outside;
}
