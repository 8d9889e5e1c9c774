#pragma once

#include <QString>

#include <atomic>
#include <chrono>
#include <thread>

// A server far away, for measuring: listens on 127.0.0.1 and forwards every connection to a
// PostgreSQL socket, holding each message from the program for the given time before it goes
// on (so one question and its answer cost that time), and counting the round trips: each
// message from the program that follows an answer of the server begins one.
class DelayProxy
{
public:
    DelayProxy(QString serverSocket, std::chrono::milliseconds delay);
    ~DelayProxy();
    DelayProxy(const DelayProxy&) = delete;
    DelayProxy& operator=(const DelayProxy&) = delete;

    // 0 when it could not listen.
    int port() const { return m_port; }
    long long roundTrips() const { return m_roundTrips; }
    // A silent proxy is a server that went away without a word: the connections it carried are
    // cut, and new ones are taken but never answered.
    void setSilent(bool silent) { m_silent = silent; }

private:
    void run();

    QString m_serverSocket;
    std::chrono::milliseconds m_delay;
    int m_listener = -1;
    int m_port = 0;
    int m_stopPipe[2] = {-1, -1};
    std::atomic<long long> m_roundTrips{0};
    std::atomic_bool m_silent{false};
    std::thread m_thread;
};
