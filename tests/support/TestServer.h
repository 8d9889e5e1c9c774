#pragma once

#include <QString>
#include <QTemporaryDir>

// A throwaway PostgreSQL cluster for one test program: initdb into a temporary folder, the
// server on a Unix socket in that folder only, trust authentication. A watchdog process stops
// the server and removes the folder once this process ends, however it ends (a failed check,
// a crash, SIGKILL), so no cluster outlives its tests.
class TestServer
{
public:
    // The one cluster of this test program, started on first use.
    static TestServer& instance();

    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    // Empty when the server runs; otherwise what went wrong, with the server's log.
    const QString& failure() const { return m_failure; }
    // The socket folder, as libpq's host= takes it.
    QString socketFolder() const { return m_dir.path(); }
    static QString user() { return QStringLiteral("orx"); }

    // A new empty database; its location as the program takes it (postgresql://...).
    QString createDatabase();
    // The location of an existing database of the cluster.
    QString location(const QString& database) const;

private:
    TestServer();
    bool run(const QStringList& command);
    void startWatchdog();

    QTemporaryDir m_dir;
    QString m_failure;
    int m_watchdogPipe = -1;
    qint64 m_watchdog = 0;
    int m_databases = 0;
};
