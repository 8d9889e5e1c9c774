#pragma once

#include <QObject>
#include <QSet>
#include <QTimer>

#include <chrono>

class DrillDatabase;

// Tells when other users' programs have changed the data (ships, drills, company, answers),
// so that a window can read again what it shows. The program's own writes are not told.
// SQLite: the file's change count, read on a timer. A server: its notifications, gathered for
// a quarter of a second, so that a burst of changes costs one reading; when they named only
// edited drills, those drills are told instead, together.
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
    // Other users edited these drills, and nothing else changed.
    void drillsChanged(const QList<qint64>& idDrills);

private:
    void poll();
    void gather(const QVariant& payload);
    void tellGathered();

    DrillDatabase& m_db;
    QTimer m_timer;
    qint64 m_lastCount = -1;
    QMetaObject::Connection m_notifications;
    QTimer m_gathering;
    QSet<qint64> m_editedDrills;
    bool m_moreChanged = false; // a change that names no single drill
};
