#pragma once

#include "data/DatabaseLocation.h"

#include <QString>

#include <optional>

struct CommandLine;

// The steps every start shares, with or without a window.
namespace StartUp {

// The database file: the one --database names, or the usual one in the data folder, which is
// made on the first start of an installed program.
QString databasePath(const CommandLine& command);

// The settings file that may name the database for this user:
// <XDG config folder>/<program>/<program>.conf, key "database" (a file path or a
// postgresql:// URL, never a password).
QString settingsFile();

// What --database names, else what the settings file names; empty for the usual file.
QString namedDatabase(const CommandLine& command);
// Where the named database was named, as a sentence for a message about it: "It is named by
// --database." or "It is named in the settings file "...".", empty for the usual file.
QString namedBy(const CommandLine& command);

// Where the data lives: what --database names, else what the settings file names, else the
// usual file. A relative path in the settings file lies in the settings file's folder.
// Nothing, with *problem saying why and where it was named, when the location named cannot be
// used (a file in a folder that does not exist among them), or the settings file holds a
// setting the program does not know.
std::optional<DatabaseLocation> databaseLocation(const CommandLine& command, QString* problem);

} // namespace StartUp
