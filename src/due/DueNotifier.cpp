#include "due/DueNotifier.h"

#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/ProgramTitle.h"
#include "data/DueDrills.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QSettings>
#include <QStandardPaths>

namespace {

const QString Service = QStringLiteral("org.freedesktop.Notifications");
const QString Path = QStringLiteral("/org/freedesktop/Notifications");
const QString LastDayKey = QStringLiteral("lastDueNotification");
constexpr int DefaultExpiry = -1; // as the desktop decides

QString bodyOf(const DueDrills& list)
{
    return DueNotifier::tr("%1 overdue, %2 %3. Due Drills (Ctrl+D) lists them.")
        .arg(list.count(DueDrill::Group::Overdue))
        .arg(list.count(DueDrill::Group::DueSoon))
        .arg(DueDrills::dueWords(DueNotifier::DaysAhead));
}

QDBusMessage notification(const QString& body)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(Service, Path, Service, QStringLiteral("Notify"));
    const QVariantMap hints = {{QStringLiteral("desktop-entry"), QStringLiteral(ORX_APP_ID)}};
    message << ProgramTitle << 0u << QStringLiteral(ORX_APP_ID) << DueNotifier::tr("Drills due")
            << body << QStringList() << hints << DefaultExpiry;
    return message;
}

} // namespace

DueNotifier::DueNotifier(const DrillDatabase& db, QString stateFile, Tickers& tickers,
                         QObject* parent)
    : QObject(parent), m_db(db), m_stateFile(std::move(stateFile)),
      m_dayTimer(
          tickers.make(Ticker::Step::DueDay, std::chrono::minutes(1), Ticker::Repeat::Always, this))
{
    connect(m_dayTimer, &Ticker::ticked, this, &DueNotifier::lookAtTheDay);
}

QString DueNotifier::userStateFile()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/%1/due-notification.conf").arg(QLatin1String(AppFolder::ProgramName));
}

void DueNotifier::start()
{
    lookAtTheDay();
    m_dayTimer->start();
}

void DueNotifier::lookAtTheDay()
{
    const QDate today = Clock::today();
    if (today == m_day)
        return;
    m_day = today;
    if (lastNotified() != today)
        notifyIfDue(today);
}

void DueNotifier::notifyIfDue(const QDate& today)
{
    const auto list = DueDrills::read(m_db, today.year(), today, DaysAhead, nullptr);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!list || !list->needsAction() || !bus.isConnected())
        return;
    // The day counts as told once the service has taken the notification.
    auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(notification(bodyOf(*list))), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, today](QDBusPendingCallWatcher* call) {
                if (!call->isError())
                    remember(today);
                call->deleteLater();
            });
}

QDate DueNotifier::lastNotified() const
{
    return QDate::fromString(
        QSettings(m_stateFile, QSettings::IniFormat).value(LastDayKey).toString(), Qt::ISODate);
}

void DueNotifier::remember(const QDate& day)
{
    QSettings(m_stateFile, QSettings::IniFormat).setValue(LastDayKey, day.toString(Qt::ISODate));
}
