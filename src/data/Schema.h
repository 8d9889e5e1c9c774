#pragma once

#include <QStringList>

namespace Schema {

// Recorded in PRAGMA user_version; a file without it is not one of ours.
inline constexpr int Version = 1;

// Every table and view the program uses, created together in one transaction.
QStringList createStatements();

// Objects whose presence marks a database of this program.
QStringList requiredObjects();

// The drill columns of QuDrills and PrintDrills, in the order the grid shows them.
QStringList drillColumns();

} // namespace Schema
