#pragma once

#include <QString>

// The question put to a user whose edit found another user's newer value in its place. `what`
// names the value, for example "Ship's Master Name of ALPHA, Drill No 1". Yes writes the typed
// value over the stored one; No keeps the stored value.
QString editConflictQuestion(const QString& what, const QString& storedNow, const QString& typed);
