#pragma once

#include "data/DatabaseLocation.h"

#include <QStringList>

namespace Schema {

using Engine = DatabaseLocation::Engine;

// Recorded with the schema; a database without it is not one of ours.
inline constexpr int Version = 4;

// Every table and view the program keeps, created together in one transaction.
QStringList createStatements(Engine engine);

// What each new connection sets up for itself: on a server, its own report tables.
QStringList sessionStatements(Engine engine);

// What brings a database of an older version to this one, run in one transaction.
QStringList upgradeStatements(Engine engine, int fromVersion);

// Objects whose presence marks a database of this program at that version.
QStringList requiredObjects(Engine engine, int version = Version);

// On a server, the function that writes one drill field as a compare-and-set, so that an edit
// is one call: (IDDrill, field as drillColumns() names it, value expected, value wanted, longest
// lock wait in ms; 0 waits for no lock) gives (written, whether the drill exists, the field's
// value when not written). A wait that runs out is the server's lock_not_available error.
// None on SQLite, whose file is at hand.
inline constexpr auto FieldWriteFunction = "orx_write_drill_field";
QStringList fieldWriteStatements(Engine engine);

// The drill columns of QuDrills and PrintDrills, in the order the grid shows them.
QStringList drillColumns();

// The columns of the report tables, as the reports name them.
QStringList reportColumns();

} // namespace Schema
