#pragma once

#include "data/DatabaseLocation.h"

#include <QString>
#include <QStringList>

#include <chrono>
#include <memory>

class QSqlDatabase;

// Everything in which the program's SQL differs between SQLite and PostgreSQL, one dialect per
// engine, asked by whoever writes SQL rather than told apart by engine. All other statements
// are written once, in the SQL both engines understand (bound values, double-quoted names,
// INSERT ... ON CONFLICT).
//
// - Keys: SQLite's INTEGER PRIMARY KEY AUTOINCREMENT is an identity column on PostgreSQL.
// - Row order: the program relies on SQLite's rowid for "the first / last row written"
//   (Company, the report tables); on PostgreSQL those tables carry an identity column rowid.
// - Schema version: PRAGMA user_version on SQLite, table OrxSchema on PostgreSQL.
// - Report tables PrintDrills and PrintEval: one user per SQLite file, so plain tables; on a
//   server every connection has temporary tables of its own, so two users printing at once
//   never see each other's rows.
// - Text order: SQLite compares names by their bytes; PostgreSQL is told to do the same
//   (COLLATE "C"), so both list the ships alike.
// - Other users' changes: SQLite counts them in PRAGMA data_version, which a program polls;
//   on a server, triggers send a notification on every write, which Qt's driver delivers.
// - Comparing with a value that may be NULL: SQLite's IS is PostgreSQL's IS NOT DISTINCT FROM.
// - Lock waits: SQLite's busy timeout is PostgreSQL's lock_timeout, where 0 means no limit;
//   a wait that ran out is SQLITE_BUSY or SQLITE_LOCKED there, lock_not_available or
//   query_canceled here.
// - Names: PostgreSQL folds unquoted names to lower case; the names a result gives back are
//   mapped to the program's spelling with programName().
// - The history: a server knows who is logged in, and its own triggers record every change;
//   a SQLite file does not, so each connection of the program records its own changes.
class Dialect
{
public:
    using Engine = DatabaseLocation::Engine;

    virtual ~Dialect() = default;

    static std::unique_ptr<Dialect> sqlite();
    static std::unique_ptr<Dialect> postgres();
    static const Dialect& of(Engine engine);
    // The dialect of a connection, by its driver.
    static const Dialect& of(const QSqlDatabase& db);

    // The Qt SQL driver of the engine.
    virtual QString driver() const = 0;

    // Whether backups are the business of whoever runs the engine (a server's pg_dump), not the
    // program's: no copy is made before an upgrade, and none is restored by the program.
    virtual bool keepsOwnBackups() const = 0;
    // Whether the engine knows who is logged in and keeps the history by triggers of its own;
    // otherwise each connection is told the login name and records its own changes.
    virtual bool keepsHistoryItself() const = 0;
    // Whether the engine holds functions of the program, through which its triggers run and an
    // edit is one call.
    virtual bool hasFunctions() const = 0;
    // Whether every connection has report tables of its own, made when it connects.
    virtual bool reportTablesPerConnection() const = 0;
    // Whether other users' changes are announced; otherwise a count of them is polled.
    virtual bool announcesChanges() const = 0;

    // An integer key the database assigns.
    virtual QString autoKey() const = 0;
    // An integer key the database assigns to a table whose rows are never deleted.
    virtual QString appendOnlyKey() const = 0;
    // Whether autoKey() keeps a counter that every insert writes besides the row.
    virtual bool autoKeyWritesCounter() const = 0;
    // The column that keeps the order in which rows were written, for tables without a key.
    virtual QString rowOrderColumn() const = 0;
    // "TABLE", or "TEMPORARY TABLE" for a table each connection has for itself.
    virtual QString scratchTable() const = 0;
    // ORDER BY of a name, the same on both engines.
    virtual QString nameOrder(const QString& column) const = 0;
    // The statement that moves the counter of a table's key past the keys given it; empty where
    // the counter follows them of itself.
    virtual QString keyCounterPast(const QString& table, const QString& key) const = 0;

    // The comparison that holds when two values are equal or both empty (NULL): IS on SQLite,
    // IS NOT DISTINCT FROM on PostgreSQL.
    virtual QString sameValue() const = 0;
    // A condition that holds when the integer column is one of the numbers of a JSON array
    // bound as one value: a list of any length is one statement, prepared once.
    virtual QString inBoundList(const QString& column) const = 0;

    // The names of the tables and views the program could see without qualifying them, apart
    // from each connection's own temporary tables.
    virtual QString listObjects() const = 0;
    // A table's name as Qt's driver looks it up in the catalogue (QSqlTableModel::setTable).
    virtual QString catalogueName(const QString& table) const = 0;
    // A lock that only schema creation takes, held until its transaction ends; nothing on
    // SQLite, whose writers hold the whole file.
    virtual QString schemaLock() const = 0;

    // The statement that lets the next statements wait that long for another user's lock.
    virtual QString lockWait(std::chrono::milliseconds wait) const = 0;
    // What a new connection is told about waiting: on a server, how long a statement may wait
    // for another user's lock and run at all; SQLite's wait is the busy timeout of the
    // connection.
    virtual QStringList waitLimits(std::chrono::milliseconds limit) const = 0;
    // Whether a database error code means the wait for another user's lock, or for the
    // statement, ran out.
    virtual bool isWaitExceeded(const QString& nativeErrorCode) const = 0;

    // The query giving the connection's role and whether it may change the drills, ships,
    // company and answers; empty where whoever may open the database may write it.
    virtual QString writeRights() const = 0;

    // The statements that make every write of the shared tables announce itself.
    virtual QStringList changeSignals() const = 0;

    // What keeps the schema version beside the tables: the statements that make it, and the
    // objects that then mark a database of the program.
    virtual QStringList versionRecord() const = 0;
    virtual QStringList versionObjects() const = 0;
    // The statement that records the schema version, and the query that reads it.
    virtual QString setVersion(int version) const = 0;
    virtual QString readVersion() const = 0;

    // A table as a trigger's body names it.
    virtual QString triggerTable(const QString& table) const = 0;
    // A statement of a trigger's body that refuses the change with the message.
    virtual QString refusal(const char* message) const = 0;
    // The current login as the history records it, and the current UTC time as text.
    virtual QString currentUser() const = 0;
    virtual QString utcNow() const = 0;

    // For a failure that is no fault of what was typed (a full disk, a statement the server
    // stopped for taking too long), what happened and what the user can do, by the engine's
    // error code; empty for any other failure, whose engine's own text is all there is to say.
    static QString plainReason(const QString& nativeErrorCode);

    // A server function made in the schema of the program's tables. `createFunction` is a
    // CREATE OR REPLACE FUNCTION statement that writes ServerSchema where it names that schema:
    // before each of its tables, and in its pinned path, FunctionPath. No table another role
    // makes (a temporary one, or one in a schema named after the owner) can then stand in for
    // ours.
    static constexpr auto ServerSchema = "@schema";
    static constexpr auto FunctionPath = "SET search_path = @schema, pg_temp";
    static QString inProgramSchema(const QString& createFunction);
    // Whether a statement is one that inProgramSchema() made.
    static bool makesFunction(const QString& statement);

    // The notification channel of the announcements of changes.
    static constexpr auto ChangeChannel = "orx_changes";
    // The start of an announcement that names one edited drill: the prefix, then its IDDrill.
    static constexpr auto DrillChangePrefix = "drill ";

    // A name as the program spells it, given a name the database returned.
    static QString programName(const QString& databaseName, const QStringList& programNames);
};
