#pragma once

#include <QString>

// Where an export may write. Its file is named by the user, and a slip (the database's own name,
// a backup picked in a hurry) must not put a report in place of the data.
namespace ExportTarget {

// Empty when the file may be written; otherwise a sentence for the user saying which of the
// database's own files it is: the database, its journal or lock file, a backup, or a former file
// a restore kept aside. Compared by device and inode, so another name, a link or a path through
// another folder is caught as well; a file that does not exist yet, by the name it would have.
QString refusal(const QString& outputPath, const QString& databasePath);

} // namespace ExportTarget
