#pragma once

#include <QString>

#include <chrono>

// What the bytes of a SQLite database file show without opening it with SQLite.
namespace SqliteFile {

// Whether the file starts as every SQLite database does.
bool hasHeader(const QString& path);

// Empty when the file's length is what its header says; otherwise how it falls short, as a
// finding for the user. SQLite reads missing bytes at the end of a file as zeros, so a file
// cut short would otherwise pass its checks with part of its data blanked.
QString cutShortFinding(const QString& path);

// SQLite's own lock on a database file, taken as SQLite takes its exclusive lock (POSIX record
// locks on the lock bytes at 1 GiB): while it is held, no connection of another process reads or
// writes the file, and none can begin to. A record lock belongs to the whole process and ends
// when any descriptor of the file is closed: hold it only where this process has no connection
// of its own to the file.
class ExclusiveLock
{
public:
    // Tries for up to the given time; a file that does not exist needs no lock.
    ExclusiveLock(const QString& path, std::chrono::milliseconds patience);
    ~ExclusiveLock();
    ExclusiveLock(const ExclusiveLock&) = delete;
    ExclusiveLock& operator=(const ExclusiveLock&) = delete;

    bool isHeld() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

} // namespace SqliteFile
