#pragma once

#include "data/DatabaseWorker.h"
#include "data/LockWaitCancel.h"

#include <QEventLoop>
#include <QList>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

class DrillDatabase;
class DrillStore;

// The window's calls on the database, run through a DatabaseWorker, or here and now on a
// connection of the window's thread. A call() waits for its answer with the event loop
// running; the answers of request()s that arrive meanwhile are taken in once that wait is
// over. Whoever takes input that could call again while a call waits holds it back from
// waitBegan() to settled(); whoever must not change what a call works on waits while
// isWaiting().
class WorkerCalls : public QObject
{
    Q_OBJECT
public:
    explicit WorkerCalls(DrillDatabase& db, QObject* parent = nullptr);
    explicit WorkerCalls(DatabaseWorker& worker, QObject* parent = nullptr);
    ~WorkerCalls() override;

    // Runs `work(DrillStore&)` and returns its result once it has arrived.
    template <typename Result, typename Work> Result call(Work work);
    // Runs `work(DrillStore&)`; `answer` takes its result in when it arrives, or after the wait
    // of a call() under way, unless `receiver` is gone by then. With `cancelled`, cancel()
    // gives up the lock waits of the work.
    template <typename Work, typename Answer>
    void request(QObject* receiver, Work work, Answer answer, LockWaitCancel::Flag cancelled = {});
    // Runs `work(DrillStore&)` as request() does, but waited for as a call() is, from
    // waitBegan() to settled(), with no event loop of its own: the caller goes on at once, and
    // `answer` takes the result in after the answers that arrived before it.
    template <typename Work, typename Answer>
    void awaited(QObject* receiver, Work work, Answer answer);
    void cancel(const LockWaitCancel::Flag& cancelled);
    // `told` made callable within a work: it is then called here, on this thread.
    std::function<void()> toldHere(std::function<void()> told) const;

    bool isWaiting() const { return m_waits > 0; }

signals:
    // A call begins to wait for its answer.
    void waitBegan();
    // A wait is over, and the answers that arrived meanwhile are taken in.
    void settled();

private:
    void beginWait();
    void endWait();
    void takeIn(const std::function<void()>& answer);

    DatabaseWorker* m_worker = nullptr;
    std::unique_ptr<DrillStore> m_store; // without a worker
    int m_waits = 0;
    QList<std::function<void()>> m_heldBack;
};

template <typename Result, typename Work> Result WorkerCalls::call(Work work)
{
    if (!m_worker)
        return work(*m_store);
    std::optional<Result> answer;
    QEventLoop loop;
    beginWait();
    m_worker->post(this, std::move(work), [&](const Result& result) {
        answer = result;
        loop.quit();
    });
    loop.exec();
    endWait();
    return std::move(*answer);
}

template <typename Work, typename Answer>
void WorkerCalls::request(QObject* receiver, Work work, Answer answer,
                          LockWaitCancel::Flag cancelled)
{
    if (!m_worker) {
        answer(work(*m_store));
        return;
    }
    m_worker->post(
        receiver, std::move(work),
        [this, answer](const auto& result) { takeIn([answer, result] { answer(result); }); },
        std::move(cancelled));
}

template <typename Work, typename Answer>
void WorkerCalls::awaited(QObject* receiver, Work work, Answer answer)
{
    if (!m_worker) {
        answer(work(*m_store));
        return;
    }
    beginWait();
    // Guarded by this object, so that the wait ends even when the receiver has gone.
    m_worker->post(this, std::move(work),
                   [this, guard = QPointer<QObject>(receiver), answer](const auto& result) {
                       m_heldBack.append([guard, answer, result] {
                           if (guard)
                               answer(result);
                       });
                       endWait();
                   });
}
