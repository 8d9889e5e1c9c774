#include "data/DueDrills.h"

#include "data/Dialect.h"
#include "data/DrillFields.h"

#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>
#include <array>

namespace {

using Group = DueDrill::Group;

// Where a drill that is not done stands; nothing for one scheduled later than the list looks.
// A date that cannot be read counts as none, as the grid leaves it uncoloured.
std::optional<Group> groupOf(const QDate& scheduled, const QDate& today, const QDate& lastDue)
{
    if (!scheduled.isValid())
        return Group::NotScheduled;
    if (scheduled < today)
        return Group::Overdue;
    if (scheduled <= lastDue)
        return Group::DueSoon;
    return std::nullopt;
}

// The fields read of each drill, in the order they come.
constexpr std::array ReadParts = {DrillFields::Part::Scheduled, DrillFields::Part::Done,
                                  DrillFields::Part::Master};

QString statement(const Dialect& dialect)
{
    using DrillFields::of;
    QStringList fields;
    for (int drill = 0; drill < 2; ++drill) {
        for (const DrillFields::Part part : ReadParts)
            fields << of(drill, part).sqlName();
    }
    // Rows with a drill not done; which of the two is sorted out per drill.
    return QStringLiteral("SELECT IDDrill, ShipName, %1 FROM Drills WHERE YearDrill = ? AND "
                          "(COALESCE(%2, '') = '' OR COALESCE(%3, '') = '') ORDER BY %4, IDDrill")
        .arg(fields.join(QStringLiteral(", ")), of(0, DrillFields::Part::Done).sqlName(),
             of(1, DrillFields::Part::Done).sqlName(),
             dialect.nameOrder(QStringLiteral("ShipName")));
}

} // namespace

std::optional<DueDrills> DueDrills::read(const DrillDatabase& db, int year, const QDate& today,
                                         int daysAhead, DataFailure* failure)
{
    const QDate lastDue = today.addDays(daysAhead);
    QSqlQuery query(db.connection());
    query.setForwardOnly(true);
    // A server may refuse the statement already, under another user's lock.
    bool ok = query.prepare(statement(db.dialect()));
    query.addBindValue(year);
    DueDrills list;
    list.m_daysAhead = daysAhead;
    ok = ok && DrillDatabase::exec(query, "Reading the due drills");
    while (ok && query.next()) {
        const qint64 id = query.value(0).toLongLong();
        const QString ship = query.value(1).toString();
        for (int drill = 0; drill < 2; ++drill) {
            const int first = 2 + int(ReadParts.size()) * drill; // scheduled, done, master
            if (!query.value(first + 1).toString().isEmpty())
                continue;
            StoredDate scheduled = StoredDate::fromStored(query.value(first).toString());
            if (const auto group = groupOf(scheduled.date(), today, lastDue))
                list.m_drills.append({*group, id, drill, ship, std::move(scheduled),
                                      query.value(first + 2).toString()});
        }
    }
    // A read that breaks off part-way is a failed read, not a shorter list.
    ok = ok && !query.lastError().isValid();
    if (!ok) {
        if (failure)
            *failure = DataFailure::of(query.lastError());
        return std::nullopt;
    }
    // The rows come by ship; stable, so that ships keep that order within a day.
    std::stable_sort(
        list.m_drills.begin(), list.m_drills.end(), [](const DueDrill& a, const DueDrill& b) {
            return std::pair(a.group, a.scheduled.date()) < std::pair(b.group, b.scheduled.date());
        });
    return list;
}

QString DueDrills::dueWords(int daysAhead)
{
    if (daysAhead == 0)
        return QStringLiteral("due today");
    if (daysAhead == 1)
        return QStringLiteral("due today or tomorrow");
    return QStringLiteral("due today or in the next %1 days").arg(daysAhead);
}

int DueDrills::count(DueDrill::Group group) const
{
    return int(std::count_if(m_drills.cbegin(), m_drills.cend(),
                             [group](const DueDrill& drill) { return drill.group == group; }));
}

bool DueDrills::needsAction() const
{
    return std::any_of(m_drills.cbegin(), m_drills.cend(), [](const DueDrill& drill) {
        return drill.group != DueDrill::Group::NotScheduled;
    });
}
