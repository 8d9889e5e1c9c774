#include "data/DrillRecord.h"

#include "common/DateText.h"

namespace {

using C = DrillRecord::Column;
using Part = DrillFields::Part;

} // namespace

StoredDate StoredDate::fromStored(const QString& stored)
{
    StoredDate value;
    if (const auto date = DateText::readStored(stored))
        value.m_date = *date;
    else
        value.m_other = stored;
    return value;
}

QString StoredDate::stored() const
{
    return m_date.isValid() ? DateText::toIso(m_date) : m_other;
}

QString StoredDate::shown() const
{
    return m_date.isValid() ? DateText::toShort(m_date) : m_other;
}

const DrillFields::Field* DrillRecord::fieldOf(Column column)
{
    if (column < C::DrillDate || column > C::Master1)
        return nullptr;
    return &DrillFields::All.at(std::size_t(column - C::DrillDate));
}

DrillRecord::Column DrillRecord::columnOf(const DrillFields::Field& field)
{
    return Column(C::DrillDate + field.drill * DrillFields::PerDrill + int(field.part));
}

QString DrillRecord::storedName(Column column)
{
    if (const DrillFields::Field* field = fieldOf(column))
        return field->storedName();
    switch (column) {
    case C::IDDrill:
        return QStringLiteral("IDDrill");
    case C::IDShip:
        return QStringLiteral("IDShip");
    case C::ShipName:
        return QStringLiteral("ShipName");
    case C::YearDrill:
        return QStringLiteral("YearDrill");
    default:
        return {};
    }
}

QString DrillRecord::sqlName(Column column)
{
    const DrillFields::Field* field = fieldOf(column);
    return field ? field->sqlName() : storedName(column);
}

int DrillRecord::drillOf(Column column)
{
    const DrillFields::Field* field = fieldOf(column);
    return field ? field->drill : -1;
}

bool DrillRecord::isDate(Column column)
{
    const DrillFields::Field* field = fieldOf(column);
    return field && field->kind() == DrillFields::Kind::Date;
}

QString DrillRecord::caption(Column column)
{
    if (column == C::ShipName)
        return QStringLiteral("Ship Name");
    const DrillFields::Field* field = fieldOf(column);
    return field ? QString::fromUtf8(field->caption) : QString();
}

QString DrillRecord::drillCaption(int drill)
{
    return QStringLiteral("Drill No %1").arg(drill + 1);
}

QString DrillRecord::stored(Column column) const
{
    switch (column) {
    case C::IDDrill:
        return QString::number(idDrill);
    case C::IDShip:
        return QString::number(idShip);
    case C::ShipName:
        return shipName;
    case C::YearDrill:
        return QString::number(year);
    default:
        break;
    }
    const DrillFields::Field* field = fieldOf(column);
    if (!field)
        return {};
    const Drill& drill = drills.at(field->drill);
    switch (field->part) {
    case Part::Scheduled:
        return drill.scheduled.stored();
    case Part::Done:
        return drill.done.stored();
    case Part::Evaluation:
        return drill.evaluation;
    case Part::Master:
        break;
    }
    return drill.master;
}

QString DrillRecord::shown(Column column) const
{
    if (!isDate(column))
        return stored(column);
    const DrillFields::Field* field = fieldOf(column);
    const Drill& drill = drills.at(field->drill);
    return (field->part == Part::Scheduled ? drill.scheduled : drill.done).shown();
}

void DrillRecord::set(Column column, const QString& stored)
{
    const DrillFields::Field* field = fieldOf(column);
    if (!field)
        return;
    Drill& drill = drills.at(field->drill);
    switch (field->part) {
    case Part::Scheduled:
        drill.scheduled = StoredDate::fromStored(stored);
        break;
    case Part::Done:
        drill.done = StoredDate::fromStored(stored);
        break;
    case Part::Evaluation:
        drill.evaluation = stored;
        break;
    case Part::Master:
        drill.master = stored;
    }
}
