#pragma once

#include "common/Ticker.h"

#include <QDate>
#include <QObject>
#include <QString>

class DrillDatabase;

// Tells the user through the desktop's notifications when drills of this year are overdue or
// due today or in the next 7 days: at start, and when the day changes while the program runs; at
// most once a day per user, whichever program of theirs told first. Without a notification service
// on the session bus nothing is shown and nothing is said.
class DueNotifier : public QObject
{
    Q_OBJECT
public:
    static constexpr int DaysAhead = 7;

    // stateFile keeps the day of the last notification.
    DueNotifier(const DrillDatabase& db, QString stateFile, Tickers& tickers = Tickers::timed(),
                QObject* parent = nullptr);

    // Looks now, then whenever the day has changed.
    void start();

    // The user's file for that day, beside the settings.
    static QString userStateFile();

private:
    void lookAtTheDay();
    void notifyIfDue(const QDate& today);
    void remember(const QDate& day);
    QDate lastNotified() const;

    const DrillDatabase& m_db;
    QString m_stateFile;
    QDate m_day; // the day last looked at
    Ticker* m_dayTimer;
};
