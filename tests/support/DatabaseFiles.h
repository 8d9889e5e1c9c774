#pragma once

#include <QByteArray>
#include <QString>

// Database files as a test sees them from outside the program: their bytes, their fleet, and
// real faults made in them.
namespace DatabaseFiles {

QByteArray contentOf(const QString& path);

// The ships in the file, read through a connection of its own; -1 when it cannot be read.
int shipCount(const QString& path);

// Overwrites page `page` (counted from 1) of a SQLite file with zeros, as a failing disk might,
// and counts the change in the file's header as a writer would, so that a connection already
// open reads the pages afresh.
void zeroPage(const QString& path, int page);

// The same for a page in the middle. The file must hold a few pages: a fixture with some
// hundred ships does.
void zeroMiddlePage(const QString& path);

} // namespace DatabaseFiles
