#include "calendar/MonthDaysModel.h"

#include <QColor>

namespace {

// The grid's text colour, as the program has always set it.
const QColor DayText(0x0F, 0x00, 0x00);

} // namespace

int MonthDaysModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Rows;
}

int MonthDaysModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : DaysPerWeek;
}

QVariant MonthDaysModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        if (index.row() == 0)
            return m_headings.value(index.column());
        if (const std::optional<QDate> day = dayAt(index))
            return QString::number(day->day());
        return QString();
    case Qt::TextAlignmentRole:
        return int(Qt::AlignCenter);
    case Qt::ForegroundRole:
        return DayText;
    default:
        return {};
    }
}

// Every cell takes clicks, the headings too; only the days pick.
Qt::ItemFlags MonthDaysModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void MonthDaysModel::setHeadings(const QStringList& headings)
{
    m_headings = headings;
    emit dataChanged(index(0, 0), index(0, DaysPerWeek - 1));
}

void MonthDaysModel::showMonthOf(const QDate& date)
{
    m_firstDay = QDate(date.year(), date.month(), 1);
    emit dataChanged(index(1, 0), index(Rows - 1, DaysPerWeek - 1));
}

// Columns are Sunday first; QDate counts Monday as 1 and Sunday as 7.
int MonthDaysModel::leadingBlanks() const
{
    return m_firstDay.dayOfWeek() % DaysPerWeek;
}

QModelIndex MonthDaysModel::indexOfDay(const QDate& day) const
{
    if (day.year() != m_firstDay.year() || day.month() != m_firstDay.month())
        return {};
    const int offset = day.day() - 1 + leadingBlanks();
    return index(1 + offset / DaysPerWeek, offset % DaysPerWeek);
}

std::optional<QDate> MonthDaysModel::dayAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.row() == 0 || !m_firstDay.isValid())
        return std::nullopt;
    const int offset = (index.row() - 1) * DaysPerWeek + index.column() - leadingBlanks();
    if (offset < 0 || offset >= m_firstDay.daysInMonth())
        return std::nullopt;
    return m_firstDay.addDays(offset);
}
