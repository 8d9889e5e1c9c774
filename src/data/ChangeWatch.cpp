#include "data/ChangeWatch.h"

#include "data/Dialect.h"
#include "data/DrillDatabase.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QtDebug>

namespace {

// SQLite's count of commits by other connections; -1 when it cannot be read. Another program's
// lock must not hold up the window: the count is read without waiting, and a busy file is
// read again at the next tick.
qint64 changeCount(const DrillDatabase& db)
{
    QSqlQuery query(db.connection());
    query.exec(QStringLiteral("PRAGMA busy_timeout = 0"));
    const qint64 count = query.exec(QStringLiteral("PRAGMA data_version")) && query.next()
                             ? query.value(0).toLongLong()
                             : -1;
    query.exec(QStringLiteral("PRAGMA busy_timeout = %1").arg(db.busyTimeout().count()));
    return count;
}

} // namespace

ChangeWatch::ChangeWatch(DrillDatabase& db, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent), m_db(db)
{
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ChangeWatch::poll);
}

bool ChangeWatch::start()
{
    const QSqlDatabase db = m_db.connection();
    if (m_db.engine() == DatabaseLocation::Engine::Sqlite) {
        m_lastCount = changeCount(m_db);
        m_timer.start();
        return m_lastCount >= 0;
    }
    QSqlDriver* driver = db.driver();
    if (!driver->subscribeToNotification(QLatin1String(Dialect::ChangeChannel))) {
        qWarning().noquote() << "Cannot watch the server for changes:"
                             << driver->lastError().text();
        return false;
    }
    // Started again after a reconnect: one connection to the driver, or changes come twice.
    disconnect(m_notifications);
    m_notifications =
        connect(driver, &QSqlDriver::notification, this,
                [this](const QString&, QSqlDriver::NotificationSource source, const QVariant&) {
                    if (source != QSqlDriver::SelfSource)
                        emit changed();
                });
    return true;
}

void ChangeWatch::poll()
{
    const qint64 count = changeCount(m_db);
    if (count >= 0 && count != m_lastCount) {
        m_lastCount = count;
        emit changed();
    }
}
