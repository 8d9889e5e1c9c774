#include "data/FileUseLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

using namespace std::chrono_literals;

FileUseLock::FileUseLock(const QString& databasePath)
{
    const QByteArray path = QFile::encodeName(markFileOf(databasePath));
    m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (m_fd < 0)
        m_fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
}

FileUseLock::~FileUseLock()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool FileUseLock::take(Mode mode, std::chrono::milliseconds patience)
{
    const int operation = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (::flock(m_fd, operation) != 0) {
        if ((errno != EWOULDBLOCK && errno != EINTR) ||
            std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

QString FileUseLock::markFileOf(const QString& databasePath)
{
    const QFileInfo info(databasePath);
    return info.dir().filePath(u'.' + info.fileName() + QStringLiteral(".lock"));
}
