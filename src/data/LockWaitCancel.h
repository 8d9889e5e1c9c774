#pragma once

#include <QMutex>
#include <QSqlDatabase>

#include <atomic>
#include <chrono>
#include <memory>

struct pg_cancel;

// Lets another thread give up the lock waits of a piece of work on a connection. The work
// runs within a Scope on the connection's thread; cancel() with its flag, from any thread, sets
// the flag and ends the wait under way at once, as a failure: on a file the busy handler sees
// the flag, on a server the statement is cancelled. Work outside the scope is never touched.
class LockWaitCancel
{
public:
    using Flag = std::shared_ptr<std::atomic_bool>;

    class Scope
    {
    public:
        Scope(LockWaitCancel& owner, const QSqlDatabase& db, std::chrono::milliseconds busyTimeout,
              Flag flag);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        LockWaitCancel& m_owner;
        QSqlDatabase m_db;
        std::chrono::milliseconds m_busyTimeout;
    };

    void cancel(const Flag& flag);

private:
    static int busyWait(void* scope, int count);

    QMutex m_mutex;
    Flag m_running;                // the flag of the work within its scope now
    pg_cancel* m_server = nullptr; // how to cancel its statement, on a server
    std::chrono::milliseconds m_busyTimeout{0};
    std::chrono::steady_clock::time_point m_busySince;
};
