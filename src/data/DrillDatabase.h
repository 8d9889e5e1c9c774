#pragma once

#include "data/DatabaseLocation.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>
#include <QVariant>

#include <chrono>
#include <functional>
#include <memory>

class DatabaseOpening;
class Dialect;
class QSqlQuery;

// A read or write the database refused, as the user is told of it.
struct DataFailure
{
    QString number;
    QString text;

    static DataFailure of(const QSqlError& error);
    // Keeps an error in *failure where one is asked for, and returns false: the answer of a
    // step that failed.
    static bool keep(const QSqlError& error, DataFailure* failure);
    // "Error No <number> - <text>"
    QString sentence() const;
};

// What the connection's role may do.
struct WriteRights
{
    bool mayWrite = true;
    QString role; // the server role; empty for a file
};

// The main database handle: one connection to the drill database, a SQLite file or a
// database on a PostgreSQL server, opened or logged in to by a DatabaseOpening of its kind.
// A missing file, or an empty database on the server, is created with the whole schema; an
// existing one is only used when it is a sound database of this program (for a file: in a folder
// where it can be written), and is never changed otherwise.
class DrillDatabase
{
public:
    // Why open() refused the file.
    enum class Problem
    {
        None,
        NotAFile,       // a folder or the like has the file's name
        NoAccess,       // the file itself cannot be read and written
        NotOurs,        // not a database of this program
        Newer,          // written by a newer version
        Damaged,        // the file's own check found damage; nothing was written
        InUse,          // another program holds it locked; nothing was changed
        FolderReadOnly, // its folder cannot be written, so no change could be stored
        CannotOpen,     // any other refusal of the database engine
        CannotCreate,   // there was no file, and none could be made
        Unreachable,    // no server answers at the location
        LoginRefused,   // the server refused the user or the database
        Empty,          // an empty database on the server, which was not to be made
    };
    // Whether open() makes the schema in an empty database on the server.
    enum class Creation
    {
        Allowed,
        Refused,
    };

    // Whether an open file is marked as in use, so that no restore replaces it meanwhile; a
    // restore checks its own staged copy unmarked.
    enum class UseMark
    {
        Held,
        None
    };

    explicit DrillDatabase(const QString& filePath,
                           std::chrono::milliseconds busyTimeout = std::chrono::seconds(5),
                           UseMark mark = UseMark::Held);
    explicit DrillDatabase(DatabaseLocation location,
                           std::chrono::milliseconds busyTimeout = std::chrono::seconds(5),
                           UseMark mark = UseMark::Held);
    ~DrillDatabase();
    DrillDatabase(const DrillDatabase&) = delete;
    DrillDatabase& operator=(const DrillDatabase&) = delete;

    // Empty on success; otherwise a sentence for the user saying what is wrong with the file
    // or the server, naming it.
    // problem() then says which kind of refusal it was.
    QString open(Creation creation = Creation::Allowed);
    Problem problem() const;
    // What open() found and settled before it opened the file (a restore that had been cut
    // short), for the user; empty when there was nothing.
    const QString& notice() const;

    QSqlDatabase connection() const;

    // Whether this connection may change the data, and as whom; a failed check counts as
    // writable, so that a refusal is told when a write is tried.
    WriteRights writeRights() const;

    // Whether the connection still answers; a server may have gone away under it.
    bool isAlive() const;
    // Connects again after the connection was lost, keeping the same connection object (models
    // built on it keep working); the checks of open() are made again, and a server connection
    // gets its own report tables again. Empty on success, else what is wrong.
    QString reconnect();
    // Whether the server at the location takes a connection now; usable from any thread.
    static bool serverAnswers(const DatabaseLocation& location, std::chrono::milliseconds timeout);
    // Counts the connections made again: statements prepared before are gone with the old one.
    int session() const { return m_session; }
    // The SQLite file; empty on a server.
    const QString& filePath() const { return m_location.filePath; }
    const DatabaseLocation& location() const { return m_location; }
    // What the engine's SQL is, and what it does for itself.
    const Dialect& dialect() const;
    // How long a statement waits for another user's lock unless told otherwise.
    std::chrono::milliseconds busyTimeout() const { return m_busyTimeout; }

    // Runs the work in one transaction: committed when it returns true, rolled back otherwise.
    // When the transaction cannot begin or commit, the database's error goes to *failure.
    bool inTransaction(const std::function<bool()>& work, QSqlError* failure = nullptr);
    // The same on a connection of its own.
    static bool inTransaction(QSqlDatabase db, const std::function<bool()>& work,
                              QSqlError* failure = nullptr);

    // Executes a prepared query; a failure is logged with the given context.
    static bool exec(QSqlQuery& query, const char* context);
    // Prepares the statement, binds the values and executes it; false, logged with the context,
    // when either step failed, and the query's last error says why. One that could not be
    // prepared (on a server, under another user's lock) is not run: run, it would fail as a
    // syntax error and hide why.
    static bool run(QSqlQuery& query, const QString& statement, const QVariantList& values,
                    const char* context);

private:
    DatabaseLocation m_location;
    QString m_connectionName;
    std::chrono::milliseconds m_busyTimeout;
    std::unique_ptr<DatabaseOpening> m_opening;
    int m_session = 0;
};
