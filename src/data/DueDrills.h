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
        DueSoon,     // scheduled today or within the days the list looks ahead
        NotScheduled // neither scheduled nor done
    };

    Group group = Group::NotScheduled;
    qint64 idDrill = 0;
    int drill = 0; // 0 for "Drill No 1", 1 for "Drill No 2"
    QString shipName;
    StoredDate scheduled;
    QString master;
};

// The drills of a year that are not done and are overdue, due, or not scheduled: grouped in
// that order, by scheduled date, then by ship. A drill is due when it is scheduled today or on
// one of the `daysAhead` days after it.
class DueDrills
{
public:
    // How far the Due Drills window looks ahead, and --due without a number of days.
    static constexpr int DefaultDaysAhead = 30;

    // Reads the list of the year as it stands on `today`. Nothing when the database refused;
    // *failure then says why.
    static std::optional<DueDrills> read(const DrillDatabase& db, int year, const QDate& today,
                                         int daysAhead, DataFailure* failure = nullptr);
    // The rule in words, the same wherever a list or its counts are shown:
    // "due today or in the next 30 days".
    static QString dueWords(int daysAhead);

    int daysAhead() const { return m_daysAhead; }

    const QList<DueDrill>& drills() const { return m_drills; }
    int count(DueDrill::Group group) const;
    // Something is overdue or due soon; drills without a date alone do not count.
    bool needsAction() const;

private:
    QList<DueDrill> m_drills;
    int m_daysAhead = 0;
};
