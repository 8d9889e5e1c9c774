#pragma once

#include <QString>

struct CommandLine;

// The steps every start shares, with or without a window.
namespace StartUp {

// The database file: the one --database names, or the usual one in the data folder, which is
// made on the first start of an installed program.
QString databasePath(const CommandLine& command);

} // namespace StartUp
