#include "common/DrillState.h"

#include "common/DateText.h"

QDate dueBefore(const QDate& today)
{
    // addMonths keeps the day, or takes the last day of a shorter month (31 Jan -> 28/29 Feb).
    return today.addMonths(1);
}

DrillState drillState(bool done, const QDate& scheduled, const QDate& today)
{
    if (done)
        return DrillState::Done;
    if (!scheduled.isValid())
        return DrillState::None;
    return scheduled < dueBefore(today) ? DrillState::Due : DrillState::Later;
}

DrillState drillState(const QString& scheduled, const QString& done, const QDate& today)
{
    return drillState(!done.isEmpty(), DateText::read(scheduled).value_or(QDate()), today);
}
