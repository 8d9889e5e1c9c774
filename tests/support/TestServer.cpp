#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <fcntl.h>
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const QString ServerBin = QStringLiteral("/usr/lib/postgresql/15/bin/");

// initdb and pg_ctl refuse to run as root: as root they run as the postgres user.
QStringList asServerUser(const QStringList& command)
{
    if (geteuid() != 0)
        return command;
    return QStringList{QStringLiteral("runuser"), QStringLiteral("-u"), QStringLiteral("postgres"),
                       QStringLiteral("--")} +
           command;
}

bool handToServerUser(const QString& folder)
{
    if (geteuid() != 0)
        return true;
    const passwd* user = getpwnam("postgres");
    return user && chown(QFile::encodeName(folder).constData(), user->pw_uid, user->pw_gid) == 0;
}

QString shellQuoted(const QString& word)
{
    QString inner = word;
    inner.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
    return QLatin1Char('\'') + inner + QLatin1Char('\'');
}

} // namespace

TestServer& TestServer::instance()
{
    static TestServer server;
    return server;
}

TestServer::TestServer() : m_dir(QDir::tempPath() + QStringLiteral("/orxpg-XXXXXX"))
{
    // The watchdog removes the folder, after the server has stopped.
    m_dir.setAutoRemove(false);
    if (!m_dir.isValid() || !handToServerUser(m_dir.path())) {
        m_failure = QStringLiteral("cannot make a folder for the test server");
        return;
    }
    const QString data = m_dir.filePath(QStringLiteral("data"));
    if (!run({ServerBin + QStringLiteral("initdb"), QStringLiteral("-D"), data,
              QStringLiteral("-U"), user(), QStringLiteral("-A"), QStringLiteral("trust"),
              QStringLiteral("-E"), QStringLiteral("UTF8"), QStringLiteral("--no-locale"),
              QStringLiteral("--no-sync")}))
        return;
    startWatchdog();
    const QString options =
        QStringLiteral("-k %1 -c listen_addresses= -c max_connections=60").arg(m_dir.path());
    run({ServerBin + QStringLiteral("pg_ctl"), QStringLiteral("-D"), data, QStringLiteral("-l"),
         m_dir.filePath(QStringLiteral("server.log")), QStringLiteral("-o"), options,
         QStringLiteral("-w"), QStringLiteral("start")});
}

TestServer::~TestServer()
{
    if (m_watchdogPipe < 0)
        return;
    close(m_watchdogPipe);
    waitpid(pid_t(m_watchdog), nullptr, 0);
}

bool TestServer::run(const QStringList& command)
{
    const QStringList full = asServerUser(command);
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(full.first(), full.mid(1));
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit &&
        process.exitCode() == 0)
        return true;
    QFile log(m_dir.filePath(QStringLiteral("server.log")));
    log.open(QIODevice::ReadOnly);
    m_failure =
        QStringLiteral("%1 failed: %2 %3 %4")
            .arg(full.join(QLatin1Char(' ')), process.errorString(),
                 QString::fromLocal8Bit(process.readAll()), QString::fromLocal8Bit(log.readAll()));
    return false;
}

// A child that waits until this process closes its end of the pipe, which the system does
// however the process ends, then stops the server at once and removes its folder.
void TestServer::startWatchdog()
{
    const QStringList stop =
        asServerUser({ServerBin + QStringLiteral("pg_ctl"), QStringLiteral("-D"),
                      m_dir.filePath(QStringLiteral("data")), QStringLiteral("-m"),
                      QStringLiteral("immediate"), QStringLiteral("stop")});
    QStringList quotedStop;
    for (const QString& word : stop)
        quotedStop << shellQuoted(word);
    const QByteArray script = QStringLiteral("%1 >/dev/null 2>&1; rm -rf %2")
                                  .arg(quotedStop.join(QLatin1Char(' ')), shellQuoted(m_dir.path()))
                                  .toLocal8Bit();
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0)
        return;
    const pid_t child = fork();
    if (child == 0) {
        setsid(); // not taken down with the test's process group
        close(fds[1]);
        char byte;
        while (read(fds[0], &byte, 1) > 0) {
        }
        execl("/bin/sh", "sh", "-c", script.constData(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[0]);
    if (child < 0) {
        close(fds[1]);
        return;
    }
    m_watchdogPipe = fds[1];
    m_watchdog = child;
}

QString TestServer::location(const QString& database) const
{
    return QStringLiteral("postgresql://%1@/%2?host=%3").arg(user(), database, socketFolder());
}

QString TestServer::createDatabase()
{
    const QString name = QStringLiteral("orx_test_%1").arg(++m_databases);
    const QString connection = QStringLiteral("test-server-admin");
    {
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
        admin.setHostName(socketFolder());
        admin.setUserName(user());
        admin.setDatabaseName(QStringLiteral("postgres"));
        if (!admin.open())
            qFatal("Cannot reach the test server: %s", qPrintable(admin.lastError().text()));
        QSqlQuery query(admin);
        if (!query.exec(QStringLiteral("CREATE DATABASE %1").arg(name)))
            qFatal("Cannot create a test database: %s", qPrintable(query.lastError().text()));
        admin.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return location(name);
}
