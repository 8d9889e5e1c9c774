#pragma once

#include "data/AccessContent.h"
#include "data/DatabaseLocation.h"

#include <QDateTime>
#include <QString>

// Makes a drill database from the content of an Access file, in one transaction, with one
// history entry per table taken over. The Access file itself is never written: where it lies
// in the database's place, it is moved aside whole, and put back when the take-over fails.
namespace AccessTakeOver {

struct Outcome
{
    QString failure;   // empty on success: a sentence for the user
    QString keptAside; // where the Access file now lies, when it was moved
    QString reportFile;
    QString summary; // the counts per table and the values not carried, for the user
};

// Takes the content over into the database at the location: a new file (the Access file at that
// path is moved aside as <name>-access-<date>.mdb), or an empty database of this program on a
// server or in a file. A database that holds ships is refused, and nothing is changed.
Outcome run(const AccessContent& content, const DatabaseLocation& location, const QDateTime& now);

} // namespace AccessTakeOver
