#include "data/DrillRecord.h"

#include "common/DateText.h"

namespace {

using C = DrillRecord::Column;

// Position of a drill field within its drill: 0 scheduled, 1 done, 2 evaluation, 3 master.
int fieldOf(C column)
{
    return (int(column) - int(C::DrillDate)) % DrillRecord::DrillFields;
}

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

int DrillRecord::drillOf(Column column)
{
    if (column < C::DrillDate || column > C::Master1)
        return -1;
    return (int(column) - int(C::DrillDate)) / DrillFields;
}

bool DrillRecord::isDate(Column column)
{
    return drillOf(column) >= 0 && fieldOf(column) < 2;
}

QString DrillRecord::caption(Column column)
{
    if (column == C::ShipName)
        return QStringLiteral("Ship Name");
    if (drillOf(column) < 0)
        return {};
    static const QString captions[DrillFields] = {
        QStringLiteral("Scheduled Date"), QStringLiteral("Date Done"),
        QStringLiteral("Evaluation (%)"), QStringLiteral("Ship's Master Name")};
    return captions[fieldOf(column)];
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
    if (drillOf(column) < 0)
        return {};
    const Drill& drill = drills.at(drillOf(column));
    switch (fieldOf(column)) {
    case 0:
        return drill.scheduled.stored();
    case 1:
        return drill.done.stored();
    case 2:
        return drill.evaluation;
    default:
        return drill.master;
    }
}

QString DrillRecord::shown(Column column) const
{
    if (!isDate(column))
        return stored(column);
    const Drill& drill = drills.at(drillOf(column));
    return (fieldOf(column) == 0 ? drill.scheduled : drill.done).shown();
}

void DrillRecord::set(Column column, const QString& stored)
{
    if (drillOf(column) < 0)
        return;
    Drill& drill = drills.at(drillOf(column));
    switch (fieldOf(column)) {
    case 0:
        drill.scheduled = StoredDate::fromStored(stored);
        break;
    case 1:
        drill.done = StoredDate::fromStored(stored);
        break;
    case 2:
        drill.evaluation = stored;
        break;
    default:
        drill.master = stored;
    }
}
