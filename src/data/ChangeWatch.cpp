#include "data/ChangeWatch.h"

#include "data/Dialect.h"
#include "data/DrillDatabase.h"

#include <QSqlDriver>
#include <QSqlQuery>
#include <QtDebug>

#include <utility>

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

constexpr std::chrono::milliseconds GatheringTime(250);

} // namespace

ChangeWatch::ChangeWatch(DrillDatabase& db, std::chrono::milliseconds interval, QObject* parent)
    : QObject(parent), m_db(db)
{
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, &ChangeWatch::poll);
    m_gathering.setSingleShot(true);
    m_gathering.setInterval(GatheringTime);
    connect(&m_gathering, &QTimer::timeout, this, &ChangeWatch::tellGathered);
}

bool ChangeWatch::start()
{
    const QSqlDatabase db = m_db.connection();
    if (!m_db.dialect().announcesChanges()) {
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
    m_notifications = connect(
        driver, &QSqlDriver::notification, this,
        [this](const QString&, QSqlDriver::NotificationSource source, const QVariant& payload) {
            if (source != QSqlDriver::SelfSource)
                gather(payload);
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

void ChangeWatch::gather(const QVariant& payload)
{
    const QString text = payload.toString();
    const QLatin1String prefix(Dialect::DrillChangePrefix);
    bool isId = false;
    const qint64 idDrill = text.startsWith(prefix) ? text.mid(prefix.size()).toLongLong(&isId) : 0;
    if (isId)
        m_editedDrills.insert(idDrill);
    else
        m_moreChanged = true;
    if (!m_gathering.isActive())
        m_gathering.start();
}

void ChangeWatch::tellGathered()
{
    const QSet<qint64> drills = std::exchange(m_editedDrills, {});
    if (std::exchange(m_moreChanged, false))
        emit changed();
    else
        emit drillsChanged(drills.values());
}
