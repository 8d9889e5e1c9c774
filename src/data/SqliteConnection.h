#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>

#include <chrono>

// How the program connects to a SQLite file: one place for the driver and its options.
namespace SqliteConnection {

enum class Access
{
    ReadWrite,
    ReadOnly // nothing done through the connection can change the file
};

// A new connection of that name to the file, not yet opened. A busy file is waited for that
// long before a statement gives up.
QSqlDatabase add(const QString& name, const QString& path, Access access,
                 std::chrono::milliseconds busyTimeout = std::chrono::seconds(5));

// Text as it must be bound so that SQLite stores it as typed. SQLite is given Qt's text as
// UTF-16, and drops a leading byte-order mark there, and takes half a surrogate pair together
// with the next character: the mark is given twice, and half a pair (no character at all)
// becomes U+FFFD.
QString boundText(const QString& text);
// Every text bound to the query so, when it runs on SQLite.
void bindTextAsTyped(QSqlQuery& query);

// Sets how long statements of the connection wait for a busy file, as PRAGMA busy_timeout does
// but without a statement to compile; false, and nothing done, when it is no SQLite connection.
bool setBusyTimeout(const QSqlDatabase& db, std::chrono::milliseconds wait);
// Has a handler of its own decide, as sqlite3_busy_handler() does; false when it is no SQLite
// connection.
bool setBusyHandler(const QSqlDatabase& db, int (*handler)(void*, int), void* context);

// A connection of its own, open for the life of this object and removed with it.
class Scoped
{
public:
    Scoped(const QString& path, Access access);
    ~Scoped();
    Scoped(const Scoped&) = delete;
    Scoped& operator=(const Scoped&) = delete;

    QSqlDatabase db() const;
    // Empty when the file could be opened; otherwise SQLite's reason.
    const QString& openFailure() const { return m_openFailure; }

private:
    QString m_name;
    QString m_openFailure;
};

} // namespace SqliteConnection
