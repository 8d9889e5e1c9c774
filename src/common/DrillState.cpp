#include "common/DrillState.h"

#include "common/DateText.h"

DrillState drillState(bool done, const QDate& scheduled, const QDate& today)
{
    if (done)
        return DrillState::Done;
    if (!scheduled.isValid())
        return DrillState::None;
    // addMonths keeps the day, or takes the last day of a shorter month (31 Jan -> 28/29 Feb).
    return scheduled < today.addMonths(1) ? DrillState::Due : DrillState::Later;
}

DrillState drillState(const QString& scheduled, const QString& done, const QDate& today)
{
    return drillState(!done.isEmpty(), DateText::read(scheduled).value_or(QDate()), today);
}
