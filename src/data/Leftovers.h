#pragma once

#include <QString>

// What a program killed while it copied or restored the database left beside it, dealt with at
// the next start, while no other program has the database open.
namespace Leftovers {

// Removes partial backups, and finishes a restore that was cut short after the former file
// was moved aside, or undoes one cut short before. Empty when there was no restore to settle;
// otherwise a sentence for the user saying what was done.
QString settle(const QString& databasePath);

// Settles as settle() does, for a start that does not open the database first: only while no
// other program has it open, and only when a restore left something behind.
QString settleAlone(const QString& databasePath);

} // namespace Leftovers
