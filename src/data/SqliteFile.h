#pragma once

#include <QString>

// What the bytes of a SQLite database file show without opening it with SQLite.
namespace SqliteFile {

// Whether the file starts as every SQLite database does.
bool hasHeader(const QString& path);

// Empty when the file's length is what its header says; otherwise how it falls short, as a
// finding for the user. SQLite reads missing bytes at the end of a file as zeros, so a file
// cut short would otherwise pass its checks with part of its data blanked.
QString cutShortFinding(const QString& path);

} // namespace SqliteFile
