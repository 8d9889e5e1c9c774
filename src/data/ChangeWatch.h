#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

class DrillDatabase;

// Tells when other users' programs have changed the data (ships, drills, company, answers),
// so that a window can read again what it shows. The program's own writes are not told.
// SQLite: the file's change count, read on a timer. A server: its notifications, delivered by
// the event loop as they come.
class ChangeWatch : public QObject
{
    Q_OBJECT
public:
    explicit ChangeWatch(DrillDatabase& db,
                         std::chrono::milliseconds interval = std::chrono::seconds(1),
                         QObject* parent = nullptr);

    // False when the database cannot be watched (the reason is logged). Again after the
    // connection was made again: a new server session has no subscription.
    bool start();

signals:
    void changed();

private:
    void poll();

    DrillDatabase& m_db;
    QTimer m_timer;
    qint64 m_lastCount = -1;
    QMetaObject::Connection m_notifications;
};
