#include "data/DatabaseWorker.h"

#include "data/ChangeWatch.h"
#include "data/DrillDatabase.h"
#include "data/DrillStore.h"

DatabaseWorker::DatabaseWorker(DatabaseLocation location, std::chrono::milliseconds busyTimeout,
                               QObject* parent)
    : QObject(parent), m_location(std::move(location)), m_busyTimeout(busyTimeout)
{
    setObjectName(QStringLiteral("databaseWorker"));
    m_thread.setObjectName(QStringLiteral("databaseWorker"));
    m_home = new QObject;
    m_home->moveToThread(&m_thread);
    // What lives on the thread ends there, after the last request.
    connect(
        &m_thread, &QThread::finished, m_home,
        [this] {
            m_watch.reset();
            m_store.reset();
            m_db.reset();
            delete m_home;
        },
        Qt::DirectConnection);
    m_thread.start();
}

DatabaseWorker::~DatabaseWorker()
{
    m_thread.quit();
    m_thread.wait();
}

QString DatabaseWorker::open()
{
    QString problem;
    QMetaObject::invokeMethod(
        m_home,
        [this, &problem] {
            m_db = std::make_unique<DrillDatabase>(m_location, m_busyTimeout,
                                                   DrillDatabase::UseMark::None);
            problem = m_db->open(DrillDatabase::Creation::Refused);
            m_store = std::make_unique<DrillStore>(*m_db);
        },
        Qt::BlockingQueuedConnection);
    return problem;
}

void DatabaseWorker::run(std::function<void(DrillStore&)> work)
{
    QMetaObject::invokeMethod(
        m_home, [this, work = std::move(work)] { work(*m_store); }, Qt::QueuedConnection);
}

void DatabaseWorker::watch()
{
    run([this](DrillStore&) { startWatch(); });
}

void DatabaseWorker::startWatch()
{
    if (!m_watch) {
        m_watch = std::make_unique<ChangeWatch>(*m_db);
        connect(m_watch.get(), &ChangeWatch::changed, this, &DatabaseWorker::changed);
        connect(m_watch.get(), &ChangeWatch::drillsChanged, this, &DatabaseWorker::drillsChanged);
    }
    m_watch->start();
}

void DatabaseWorker::reconnect()
{
    run([this](DrillStore&) {
        // A new server session has no subscription.
        if (m_db->reconnect().isEmpty() && m_watch)
            startWatch();
    });
}
