#pragma once

#include "data/DatabaseLocation.h"

#include <QObject>
#include <QThread>

#include <chrono>
#include <memory>

// Asks, away from the window's thread, whether the server takes a connection again: a server
// that does not answer at all costs the connect timeout there, never in the window.
class ServerProbe : public QObject
{
    Q_OBJECT
public:
    ServerProbe(DatabaseLocation location, std::chrono::milliseconds timeout,
                QObject* parent = nullptr);
    ~ServerProbe() override;

    // Starts one attempt, unless one is still under way.
    void start();

signals:
    void answered(bool reachable);

private:
    DatabaseLocation m_location;
    std::chrono::milliseconds m_timeout;
    std::unique_ptr<QThread> m_attempt;
};
