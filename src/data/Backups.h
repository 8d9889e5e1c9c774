#pragma once

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

// Daily copies of the database file in a "backups" folder beside it, made with SQLite's own
// copy (never a file copy of a database that may be open), and putting one of them back.
namespace Backups {

inline constexpr auto FolderName = "backups";
inline constexpr int DailyCopies = 7;
inline constexpr int WeeklyCopies = 4;

QString folderOf(const QString& databasePath);
// The copy of one day: backups/ORXmanager97-2026-03-02.mdb for ORXmanager97.mdb.
QString copyOf(const QString& databasePath, const QDate& day);

struct Outcome
{
    enum class Kind
    {
        Made,
        AlreadyMade,   // today's copy exists: one a day is enough
        NothingToCopy, // no database file yet, or not a SQLite file: nothing worth keeping
        Failed
    };
    Kind kind;
    QString detail; // the copy's path, or a sentence saying why it failed
};

// Makes today's copy (Clock::today()) unless it exists, then drops the copies rotation does not
// keep. Nothing is written to the database itself. A failed copy leaves no file behind and
// drops no older copy.
Outcome makeDaily(const QString& databasePath);

// Makes the day's copy of a database that has passed its checks, before anything is written.
// Empty when there was nothing to do or it worked; otherwise a sentence for the user. A failed
// copy never stops the program.
QString makeDailyOrSayWhy(const QString& databasePath);

// The days whose copies rotation keeps: the newest DailyCopies days, and for each of the
// WeeklyCopies newest weeks not already kept that way, the newest day of that week.
QList<QDate> daysToKeep(QList<QDate> days);

// Empty when the file is a SQLite database of its full length that passes PRAGMA
// integrity_check; otherwise why not.
QString integrityProblem(const QString& filePath);

// The newest copy that passes the integrity check; empty when there is none.
QString newestGoodCopy(const QString& databasePath);
// For a damaged database file: the newest good backup and the command that puts it in place
// of that very file, or that there is none.
QString restoreAdvice(const QString& databasePath);

struct Restored
{
    QString failure;   // empty on success
    QString keptAside; // where the former database file now lies; empty when there was none
};

// Removes the copies a backup or restore cut short left behind; only while no other program has
// the database open, as one might be making a copy.
void removePartialCopies(const QString& databasePath);

// Where a restore stages the backup's copy before it takes the database file's name; while the
// copy lies there, a restore is under way or was cut short.
QString stagedFile(const QString& databasePath);
// Where a restore keeps the former database file, at that moment: never an existing file.
QString keptAsideFile(const QString& databasePath, const QDateTime& now);
// The former files restores kept aside, oldest first.
QStringList keptAside(const QString& databasePath);
// The former file the latest restore kept aside; empty when there is none.
QString newestKeptAside(const QString& databasePath);
// The journal files SQLite may keep beside a database file while it writes.
QStringList companionsOf(const QString& databasePath);
// Renames a database file together with the journal files SQLite may have left beside it (a
// missing one is no failure).
bool moveWithCompanions(const QString& from, const QString& to);

// Puts a backup in place of the database file. The backup must pass the integrity check and be
// a database of this program; the current file (with a journal it may have) is kept aside
// first. Refused while another program has the database open. On failure the database file is
// as it was.
Restored restore(const QString& backupPath, const QString& databasePath, const QDateTime& now);

} // namespace Backups
