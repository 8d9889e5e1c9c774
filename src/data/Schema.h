#pragma once

#include "data/Dialect.h"

#include <QStringList>

namespace Schema {

// Recorded with the schema; a database without it is not one of ours.
inline constexpr int Version = 4;

// Every table and view the program keeps, created together in one transaction.
QStringList createStatements(const Dialect& dialect);

// What each new connection sets up for itself: on a server, its own report tables.
QStringList sessionStatements(const Dialect& dialect);

// What brings a database of an older version to this one, run in one transaction.
QStringList upgradeStatements(const Dialect& dialect, int fromVersion);

// Objects whose presence marks a database of this program at that version.
QStringList requiredObjects(const Dialect& dialect, int version = Version);

// On a server, the function that writes one drill field as a compare-and-set, so that an edit
// is one call: (IDDrill, field as drillColumns() names it, value expected, value wanted, longest
// lock wait in ms; 0 waits for no lock) gives (written, whether the drill exists, the field's
// value when not written). A wait that runs out is the server's lock_not_available error.
// None where the engine holds no functions (a SQLite file, which is at hand).
inline constexpr auto FieldWriteFunction = "orx_write_drill_field";
QStringList fieldWriteStatements(const Dialect& dialect);

// On a server, the function that writes a questionnaire as one change: (IDDrill, whether it is
// Drill No 2, total expected, total wanted, answers expected, answers wanted, longest lock wait
// in ms) gives (written, whether the drill exists, the total and the answers when not
// written). Answers are ten digits, one per question, 0 for none. The total and the answers
// are written together, and only while both hold what was expected. None on SQLite.
inline constexpr auto EvaluationWriteFunction = "orx_write_drill_evaluation";
QStringList evaluationWriteStatements(const Dialect& dialect);

// The drill columns of QuDrills and PrintDrills, in the order the grid shows them.
QStringList drillColumns();

// The columns of the report tables, as the reports name them.
QStringList reportColumns();

} // namespace Schema
