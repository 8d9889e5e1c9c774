#pragma once

#include "data/DatabaseLocation.h"

#include <QString>
#include <QStringList>

#include <chrono>

class QSqlError;

// Everything in which the program's SQL differs between SQLite and PostgreSQL. All other
// statements are written once, in the SQL both engines understand (bound values, double-quoted
// names, INSERT ... ON CONFLICT).
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
namespace Dialect {

using Engine = DatabaseLocation::Engine;

// The Qt SQL driver of the engine.
QString driver(Engine engine);

// An integer key the database assigns.
QString autoKey(Engine engine);
// The column that keeps the order in which rows were written, for tables without a key.
QString rowOrderColumn(Engine engine);
// "TABLE", or "TEMPORARY TABLE" for a table each connection has for itself.
QString scratchTable(Engine engine);
// ORDER BY of a name, the same on both engines.
QString nameOrder(Engine engine, const QString& column);

// The comparison that holds when two values are equal or both empty (NULL): IS on SQLite,
// IS NOT DISTINCT FROM on PostgreSQL.
QString sameValue(Engine engine);
// A condition that holds when the integer column is one of the numbers of a JSON array bound
// as one value: a list of any length is one statement, prepared once.
QString inBoundList(Engine engine, const QString& column);

// The names of the tables and views the program could see without qualifying them, apart
// from each connection's own temporary tables.
QString listObjects(Engine engine);
// A lock that only schema creation takes, held until its transaction ends; nothing on SQLite,
// whose writers hold the whole file.
QString schemaLock(Engine engine);

// The statement that lets the next statements wait that long for another user's lock.
QString lockWait(Engine engine, std::chrono::milliseconds wait);
// What a new connection is told about waiting: on a server, how long a statement may wait for
// another user's lock and run at all; SQLite's wait is the busy timeout of the connection.
QStringList waitLimits(Engine engine, std::chrono::milliseconds limit);
// Whether a database error code means the wait for another user's lock, or for the statement,
// ran out.
bool isWaitExceeded(Engine engine, const QString& nativeErrorCode);

// For a failure that is no fault of what was typed (a full disk, a statement the server stopped
// for taking too long), what happened and what the user can do, by the engine's error code;
// empty for any other failure, whose engine's own text is all there is to say.
QString plainReason(const QString& nativeErrorCode);

// The query giving the connection's role and whether it may change the drills, ships, company
// and answers; empty on SQLite, where whoever may open the file may write it.
QString writeRights(Engine engine);

// A server function made in the schema of the program's tables. `createFunction` is a
// CREATE OR REPLACE FUNCTION statement that writes ServerSchema where it names that schema:
// before each of its tables, and in its pinned path, FunctionPath. No table another role makes
// (a temporary one, or one in a schema named after the owner) can then stand in for ours.
inline constexpr auto ServerSchema = "@schema";
inline constexpr auto FunctionPath = "SET search_path = @schema, pg_temp";
QString inProgramSchema(const QString& createFunction);
// Whether a statement is one that inProgramSchema() made.
bool makesFunction(const QString& statement);

// The statements that make every write of the shared tables announce itself; none on SQLite.
QStringList changeSignals(Engine engine);
// The notification channel of those announcements.
inline constexpr auto ChangeChannel = "orx_changes";
// The start of an announcement that names one edited drill: the prefix, then its IDDrill.
inline constexpr auto DrillChangePrefix = "drill ";

// The statement that records the schema version, and the query that reads it.
QString setVersion(Engine engine, int version);
QString readVersion(Engine engine);

// A table's name as Qt's driver looks it up in the catalogue (QSqlTableModel::setTable).
QString catalogueName(const QString& driverName, const QString& table);

// A name as the program spells it, given a name the database returned.
QString programName(const QString& databaseName, const QStringList& programNames);

} // namespace Dialect
