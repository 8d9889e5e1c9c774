#include "calendar/FillMonthGrid.h"

#include "widgets/FlexGrid.h"

namespace {

constexpr int DaysPerWeek = 7;

// Columns are Sunday first; QDate counts Monday as 1 and Sunday as 7.
int sundayFirstColumn(const QDate& date)
{
    return date.dayOfWeek() % DaysPerWeek;
}

} // namespace

MonthCell cellOfDay(const QDate& date)
{
    const int offset = date.day() - 1 + sundayFirstColumn(QDate(date.year(), date.month(), 1));
    return {1 + offset / DaysPerWeek, offset % DaysPerWeek};
}

void FillMonthGrid(FlexGrid& grid, const QDate& date)
{
    for (int row = 1; row < grid.rows(); ++row) {
        for (int col = 0; col < DaysPerWeek; ++col)
            grid.setTextMatrix(row, col, QString());
    }
    for (int day = 1; day <= date.daysInMonth(); ++day) {
        const MonthCell cell = cellOfDay(QDate(date.year(), date.month(), day));
        grid.setTextMatrix(cell.row, cell.col, QString::number(day));
    }
    // The anchor day is where the keyboard starts.
    const MonthCell anchor = cellOfDay(date);
    grid.setRow(anchor.row);
    grid.setCol(anchor.col);
    grid.setCurrentIndex(grid.model()->index(anchor.row, anchor.col));
}
