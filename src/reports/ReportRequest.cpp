#include "reports/ReportRequest.h"

#include "data/DatabaseWorker.h"
#include "data/Dialect.h"
#include "data/DrillStore.h"

#include <utility>

struct ReportRequest::Answer
{
    bool filled = false;
    bool locked = false;
    ReportControl::Source source;
};

ReportRequest::ReportRequest(DatabaseWorker& worker, ReportControl& control, QString what,
                             QObject* parent)
    : QObject(parent), m_worker(worker), m_control(control), m_what(std::move(what))
{
    m_lockedRetry.setSingleShot(true);
    m_lockedRetry.setInterval(1000);
    connect(&m_lockedRetry, &QTimer::timeout, this, &ReportRequest::post);
}

void ReportRequest::start(Fill fill)
{
    if (m_fill)
        return;
    m_fill = std::move(fill);
    emit waitShown(tr("Preparing %1 ...").arg(m_what));
    post();
}

// Without waiting for a lock: the worker goes on with the drills meanwhile.
void ReportRequest::post()
{
    m_worker.post(
        this,
        [fill = m_fill, read = m_control.reader()](DrillStore& store) {
            return store.withoutWaiting([&](DrillDatabase& db) {
                Answer answer;
                DataFailure failure;
                answer.filled = fill(db, &failure);
                answer.locked = !answer.filled && db.dialect().isWaitExceeded(failure.number);
                if (answer.filled)
                    answer.source = read(db);
                return answer;
            });
        },
        [this](const Answer& answer) { take(answer); });
}

void ReportRequest::take(const Answer& answer)
{
    if (answer.locked) {
        emit waitShown(
            tr("Waiting for another user's lock: %1 follows as soon as it ends.").arg(m_what));
        m_lockedRetry.start();
        return;
    }
    m_fill = nullptr;
    emit waitShown({});
    if (answer.filled)
        m_control.run(answer.source);
    else
        emit refused();
}
