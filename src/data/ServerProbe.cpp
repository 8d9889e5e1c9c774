#include "data/ServerProbe.h"

#include "data/DrillDatabase.h"

#include <atomic>

ServerProbe::ServerProbe(DatabaseLocation location, std::chrono::milliseconds timeout,
                         QObject* parent)
    : QObject(parent), m_location(std::move(location)), m_timeout(timeout)
{
}

ServerProbe::~ServerProbe()
{
    if (m_attempt)
        m_attempt->wait();
}

void ServerProbe::start()
{
    if (m_attempt && m_attempt->isRunning())
        return;
    if (m_attempt)
        m_attempt->wait();
    m_attempt.reset(QThread::create([this, location = m_location, timeout = m_timeout] {
        const bool reachable = DrillDatabase::serverAnswers(location, timeout);
        // Delivered in this object's thread; dropped if the object is gone by then.
        QMetaObject::invokeMethod(
            this, [this, reachable] { emit answered(reachable); }, Qt::QueuedConnection);
    }));
    m_attempt->start();
}
