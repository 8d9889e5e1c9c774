#pragma once

#include <QDate>
#include <QDateTime>

// The program's one source of "today" and "now", so that tests can fix the moment.
class Clock
{
public:
    static QDateTime now();
    static QDate today();

    static void setFixed(const QDateTime& moment);
    static void reset();
};
