#pragma once

#include <QAbstractTableModel>
#include <QDate>
#include <QStringList>

#include <optional>

// The cells of the month grid: the weekday headings in row 0, the weeks of one month in rows 1
// to 6, Sunday first. Cells before the first and after the last day stay blank.
class MonthDaysModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int DaysPerWeek = 7;
    static constexpr int Rows = 7;

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Sunday's heading first.
    void setHeadings(const QStringList& headings);
    void showMonthOf(const QDate& date);

    // The cell of a day of the shown month.
    QModelIndex indexOfDay(const QDate& day) const;
    // The day a cell shows; nothing for a heading or a blank cell.
    std::optional<QDate> dayAt(const QModelIndex& index) const;

private:
    int leadingBlanks() const;

    QStringList m_headings;
    QDate m_firstDay;
};
