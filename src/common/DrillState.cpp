#include "common/DrillState.h"

#include "common/DateText.h"

DrillState drillState(const QString& scheduled, const QString& done, const QDate& today)
{
    if (!done.isEmpty())
        return DrillState::Done;
    if (scheduled.isEmpty())
        return DrillState::None;
    const auto date = DateText::read(scheduled);
    if (!date)
        return DrillState::None;
    // addMonths keeps the day, or takes the last day of a shorter month (31 Jan -> 28/29 Feb).
    return *date < today.addMonths(1) ? DrillState::Due : DrillState::Later;
}
