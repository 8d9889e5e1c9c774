#pragma once

#include <QDate>

class FlexGrid;

// Where a day stands in the month grid: row 0 holds the weekday headings, the weeks of the
// month fill rows 1 to 6, and column 0 is Sunday.
struct MonthCell
{
    int row;
    int col;
};

MonthCell cellOfDay(const QDate& date);

// Writes the days of the month of `date` into rows 1 to 6 of the 7 x 7 month grid and makes
// the cell of `date` itself the current cell.
void FillMonthGrid(FlexGrid& grid, const QDate& date);
