#pragma once

#include "data/DatabaseLocation.h"
#include "data/DrillDatabase.h"
#include "data/LockWaitCancel.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QThread>

#include <chrono>
#include <functional>
#include <memory>
#include <utility>

class ChangeWatch;
class DrillStore;

// A connection of its own to the database, on a thread of its own, for the work that may wait
// for other users' locks: Qt's SQL connections stay on the thread that opened them, and the
// window's thread must never wait. Requests run one after another, in the order they were
// posted, so a second request on a drill waits behind the first. Their answers arrive as
// queued calls on the thread that owns this object. It also watches for other users' changes:
// its own writes are not told.
class DatabaseWorker : public QObject
{
    Q_OBJECT
public:
    explicit DatabaseWorker(DatabaseLocation location,
                            std::chrono::milliseconds busyTimeout = std::chrono::seconds(5),
                            QObject* parent = nullptr);
    ~DatabaseWorker() override;
    DatabaseWorker(const DatabaseWorker&) = delete;
    DatabaseWorker& operator=(const DatabaseWorker&) = delete;

    // Opens the connection on the thread, waiting for it: empty on success, else what is
    // wrong. A file is opened without a second use mark; a server with the same session as
    // any connection of the program.
    QString open();

    // Runs `work(DrillStore&)` on the thread after everything posted before it; `answer` gets
    // its result here, unless `receiver` is gone by then.
    // With `cancelled`, cancel() gives up the lock waits of the work.
    template <typename Work, typename Answer>
    void post(QObject* receiver, Work work, Answer answer, LockWaitCancel::Flag cancelled = {})
    {
        QPointer<QObject> guard(receiver);
        run([this, guard, work = std::move(work), answer = std::move(answer),
             cancelled = std::move(cancelled)](DrillStore& store) {
            auto result = cancelled ? cancellable(store, work, cancelled) : work(store);
            QMetaObject::invokeMethod(
                this,
                [guard, answer, result = std::move(result)] {
                    if (guard)
                        answer(result);
                },
                Qt::QueuedConnection);
        });
    }
    // Sets the flag; the work posted with it, once it runs, waits for no lock any more.
    void cancel(const LockWaitCancel::Flag& cancelled) { m_cancel.cancel(cancelled); }
    // Calls `call` here, from within a request.
    template <typename Call> void tell(Call call)
    {
        QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection);
    }

    // The worker's connection, for work done within a request only.
    DrillDatabase& database() { return *m_db; }
    // Connects again after the connection was lost, and watches again.
    void reconnect();
    // Starts watching for other users' changes.
    void watch();

signals:
    void changed();
    void drillsChanged(const QList<qint64>& idDrills);

private:
    void run(std::function<void(DrillStore&)> work);
    template <typename Work>
    auto cancellable(DrillStore& store, Work& work, const LockWaitCancel::Flag& cancelled)
    {
        const LockWaitCancel::Scope scope(m_cancel, m_db->connection(), m_busyTimeout, cancelled);
        return work(store);
    }
    void startWatch();

    DatabaseLocation m_location;
    std::chrono::milliseconds m_busyTimeout;
    QThread m_thread;
    QObject* m_home = nullptr; // on the thread: requests are its queued calls
    // Made, used and destroyed on the thread.
    std::unique_ptr<DrillDatabase> m_db;
    std::unique_ptr<DrillStore> m_store;
    std::unique_ptr<ChangeWatch> m_watch;
    LockWaitCancel m_cancel;
};
