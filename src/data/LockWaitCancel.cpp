#include "data/LockWaitCancel.h"

#include "data/SqliteConnection.h"

#include <QMutexLocker>
#include <QSqlDriver>

#include <libpq-fe.h>

#include <thread>
#include <utility>

namespace {

PGconn* serverHandle(const QSqlDatabase& db)
{
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    // Qt names the type by libpq's struct, or by its typedef.
    if (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

} // namespace

LockWaitCancel::Scope::Scope(LockWaitCancel& owner, const QSqlDatabase& db,
                             std::chrono::milliseconds busyTimeout, Flag flag)
    : m_owner(owner), m_db(db), m_busyTimeout(busyTimeout)
{
    PGconn* server = serverHandle(db);
    const QMutexLocker lock(&owner.m_mutex);
    owner.m_running = std::move(flag);
    owner.m_busyTimeout = busyTimeout;
    owner.m_server = server ? PQgetCancel(server) : nullptr;
    if (!server)
        SqliteConnection::setBusyHandler(db, &LockWaitCancel::busyWait, &owner);
}

LockWaitCancel::Scope::~Scope()
{
    const QMutexLocker lock(&m_owner.m_mutex);
    m_owner.m_running.reset();
    if (m_owner.m_server)
        PQfreeCancel(std::exchange(m_owner.m_server, nullptr));
    else
        SqliteConnection::setBusyTimeout(m_db, m_busyTimeout);
}

void LockWaitCancel::cancel(const Flag& flag)
{
    *flag = true;
    const QMutexLocker lock(&m_mutex);
    if (m_running != flag || !m_server)
        return;
    char problem[256];
    if (!PQcancel(m_server, problem, sizeof problem))
        qWarning().noquote() << "Giving up a wait on the server failed:" << problem;
}

// SQLite's own wait, in short steps, that ends as soon as the work is given up.
int LockWaitCancel::busyWait(void* owner, int count)
{
    auto* self = static_cast<LockWaitCancel*>(owner);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0)
        self->m_busySince = now;
    if (*self->m_running || now - self->m_busySince >= self->m_busyTimeout)
        return 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return 1;
}
