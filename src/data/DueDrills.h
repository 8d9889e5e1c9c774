#pragma once

#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"

#include <QDate>
#include <QList>
#include <QString>

#include <optional>

// One drill of a year that asks for attention: overdue, due soon, or not scheduled at all.
struct DueDrill
{
    // In the order the list shows them.
    enum class Group
    {
        Overdue,     // scheduled before today, not done
        DueSoon,     // scheduled from today on, before the day the list looks ahead to
        NotScheduled // neither scheduled nor done
    };

    Group group = Group::NotScheduled;
    qint64 idDrill = 0;
    int drill = 0; // 0 for "Drill No 1", 1 for "Drill No 2"
    QString shipName;
    StoredDate scheduled;
    QString master;
};

// The drills of a year that are not done and are overdue, due before a given day, or not
// scheduled: grouped in that order, by scheduled date, then by ship.
class DueDrills
{
public:
    // Reads the list of the year as it stands on `today`, looking ahead to `dueBefore`
    // (exclusive). Nothing when the database refused; *failure then says why.
    static std::optional<DueDrills> read(const DrillDatabase& db, int year, const QDate& today,
                                         const QDate& dueBefore, DataFailure* failure = nullptr);

    const QList<DueDrill>& drills() const { return m_drills; }
    int count(DueDrill::Group group) const;
    // Something is overdue or due soon; drills without a date alone do not count.
    bool needsAction() const;

private:
    QList<DueDrill> m_drills;
};
