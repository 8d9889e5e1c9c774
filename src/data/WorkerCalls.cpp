#include "data/WorkerCalls.h"

#include "data/DrillStore.h"

WorkerCalls::WorkerCalls(DrillDatabase& db, QObject* parent)
    : QObject(parent), m_store(std::make_unique<DrillStore>(db))
{
}

WorkerCalls::WorkerCalls(DatabaseWorker& worker, QObject* parent)
    : QObject(parent), m_worker(&worker)
{
}

WorkerCalls::~WorkerCalls() = default;

void WorkerCalls::beginWait()
{
    if (m_waits++ == 0)
        emit waitBegan();
}

void WorkerCalls::endWait()
{
    if (--m_waits > 0)
        return;
    for (const auto& heldBack : std::exchange(m_heldBack, {}))
        heldBack();
    emit settled();
}

void WorkerCalls::takeIn(const std::function<void()>& answer)
{
    if (m_waits > 0)
        m_heldBack.append(answer);
    else
        answer();
}

void WorkerCalls::cancel(const LockWaitCancel::Flag& cancelled)
{
    if (m_worker)
        m_worker->cancel(cancelled);
}

std::function<void()> WorkerCalls::toldHere(std::function<void()> told) const
{
    if (!m_worker || !told)
        return told;
    return [worker = m_worker, told] { worker->tell(told); };
}
