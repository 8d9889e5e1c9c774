#pragma once

#include <QString>

// The program's name as its windows, messages and reports show it.
inline const QString ProgramTitle = QStringLiteral("HBQ ORX DRILL ORGANIZER");
