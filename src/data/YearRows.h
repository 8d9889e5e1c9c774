#pragma once

#include "data/DrillDatabase.h"

// The drill rows of a year for the whole fleet.
namespace YearRows {

// Gives every ship that has no drill row in the year one, carrying only the ship and the year,
// in one statement. Rows that exist are left alone, also those another program adds at the same
// moment: the unique (ship, year) rule decides, and a ship's row is never made twice.
// The number of rows added; -1 when the database refused (see *failure), and nothing was added.
int addMissing(DrillDatabase& db, int year, DataFailure* failure = nullptr);

} // namespace YearRows
