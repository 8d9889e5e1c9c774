#pragma once

#include "data/DrillDatabase.h"

class Dialect;

// How the connection of a DrillDatabase is made and its database checked: what opening a file
// and logging in to a server share.
class DatabaseOpening
{
public:
    using Problem = DrillDatabase::Problem;
    using Creation = DrillDatabase::Creation;

    DatabaseOpening(DatabaseLocation location, QString connectionName,
                    std::chrono::milliseconds busyTimeout);
    virtual ~DatabaseOpening() = default;
    DatabaseOpening(const DatabaseOpening&) = delete;
    DatabaseOpening& operator=(const DatabaseOpening&) = delete;

    // Makes the connection, a database that is missing, when allowed, and checks the database.
    // Empty on success; otherwise a sentence for the user naming the database.
    QString open(Creation creation);
    // The same for the same connection object, after it was lost; nothing is made.
    QString reopen();

    virtual const Dialect& dialect() const = 0;
    Problem problem() const { return m_problem; }
    const QString& notice() const { return m_notice; }

protected:
    virtual QString connect(Creation creation) = 0;
    // What the engine's refusal means for the user.
    virtual QString refuseError(const QSqlError& error) = 0;
    // The checks of an open connection's database, and what they lead to (an upgrade).
    virtual QString checkContent() = 0;

    QSqlDatabase connection() const;
    const DatabaseLocation& location() const { return m_location; }
    const QString& connectionName() const { return m_connectionName; }
    std::chrono::milliseconds busyTimeout() const { return m_busyTimeout; }
    void setNotice(const QString& notice) { m_notice = notice; }

    QString refuse(Problem problem, const QString& message);
    QString upgrade();
    QString prepareSession();

    static bool execAll(QSqlQuery& query, const QStringList& statements, QSqlError* error);

private:
    bool setSessionUser(QSqlError* error);

    DatabaseLocation m_location;
    QString m_connectionName;
    std::chrono::milliseconds m_busyTimeout;
    QString m_notice;
    Problem m_problem = Problem::None;
};
