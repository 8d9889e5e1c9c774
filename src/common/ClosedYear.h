#pragma once

#include <QDateTime>
#include <QString>

// A year closed after its audit: its drills take no more changes until it is reopened.
struct ClosedYear
{
    int year = 0;
    QDateTime closedAt; // UTC
    QString closedBy;

    // What a user who tries to change the year is told.
    QString refusal() const;
    // "Closed on DATE by WHO", in local time.
    QString closedOn() const;
};
