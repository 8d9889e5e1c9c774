#pragma once

#include <QString>

#include <chrono>

// Marks a database file as in use for as long as the object lives: an advisory lock (flock) on
// a hidden file beside it. Every program that opens the database holds it shared; a restore
// holds it alone, so it never replaces a file another program has open. The database file
// itself is not locked this way: SQLite's own locks on it must stay undisturbed.
class FileUseLock
{
public:
    enum class Mode
    {
        Shared,
        Exclusive
    };

    explicit FileUseLock(const QString& databasePath);
    ~FileUseLock();
    FileUseLock(const FileUseLock&) = delete;
    FileUseLock& operator=(const FileUseLock&) = delete;

    // False when the mark file can be neither made nor read (a read-only folder without one):
    // then nothing can be marked, and nothing could be changed there either.
    bool isUsable() const { return m_fd >= 0; }
    // Takes or changes the lock, trying for up to the given time; false when another program
    // kept it that long.
    bool take(Mode mode, std::chrono::milliseconds patience);

    static QString markFileOf(const QString& databasePath);

private:
    int m_fd = -1;
};
