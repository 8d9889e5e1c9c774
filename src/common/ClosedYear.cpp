#include "common/ClosedYear.h"

#include "common/DateText.h"

QString ClosedYear::closedOn() const
{
    return QStringLiteral("Closed on %1 by %2")
        .arg(DateText::toShort(closedAt.toLocalTime().date()), closedBy);
}

QString ClosedYear::refusal() const
{
    return QStringLiteral("The year %1 is closed: it was closed on %2 at %3 by %4. Its drills "
                          "cannot be changed unless the year is reopened.")
        .arg(year)
        .arg(DateText::toShort(closedAt.toLocalTime().date()),
             DateText::timeText(closedAt.toLocalTime().time()), closedBy);
}
