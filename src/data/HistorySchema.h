#pragma once

#include <QStringList>

class Dialect;

// The tables, triggers and guards that keep the history of changes and the closed years.
//
// Every change to a drill field, a questionnaire answer, a ship, the company name or a year's
// closure writes a row of History in the same statement as the change, by a trigger:
// - on a server, ordinary triggers whose functions run as the schema's owner and record the
//   login role (session_user), so changes made with other tools are recorded too, and no role
//   may update, delete or truncate History (revoked, and refused by triggers);
// - on SQLite, temporary triggers each connection of the program makes for itself, one per
//   field, recording the login name kept in the connection's temporary table orx_session;
//   permanent triggers refuse UPDATE and DELETE of History. Other tools writing the file are
//   not recorded.
// Times are UTC, as ISO text with milliseconds and a trailing Z.
// A closed year's drills and answers cannot be changed: permanent triggers refuse it with a
// message holding ClosedYearRefusal.
namespace HistorySchema {

inline constexpr auto ClosedYearRefusal = "ORX: the year is closed";
inline constexpr auto HistoryKeptRefusal = "ORX: the history of changes is never changed";
inline constexpr auto ReasonRequired = "ORX: a year is reopened only with a reason";

// The tables, indexes, guards and (on a server) history triggers, for a new or upgraded schema.
QStringList createStatements(const Dialect& dialect);
// What brings the history of schema version 2 to this layout, every entry kept.
QStringList upgradeFromSecondVersion(const Dialect& dialect);

// What each connection of the program makes for itself: on SQLite the session table and the
// history triggers. The login name is then stored with setSessionUser().
QStringList sessionStatements(const Dialect& dialect);
// A statement with one value to bind, the login name; empty on a server, which knows its role.
QString setSessionUser(const Dialect& dialect);

} // namespace HistorySchema
