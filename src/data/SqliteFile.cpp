#include "data/SqliteFile.h"

#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {

constexpr qsizetype HeaderSize = 100;
// SQLite's lock bytes: the pending byte, the reserved byte, then the shared range.
constexpr off_t PendingByte = 0x40000000;
constexpr off_t LockBytes = 2 + 510;

quint32 bigEndian(const QByteArray& bytes, int offset, int length)
{
    quint32 value = 0;
    for (int i = offset; i < offset + length; ++i)
        value = (value << 8) | quint8(bytes.at(i));
    return value;
}

} // namespace

bool SqliteFile::hasHeader(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.read(16) == QByteArray("SQLite format 3\0", 16);
}

QString SqliteFile::cutShortFinding(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray header = file.read(HeaderSize);
    const qint64 size = file.size();
    if (header.size() < HeaderSize)
        return QStringLiteral("the file ends within its header");
    const quint32 storedPageSize = bigEndian(header, 16, 2);
    const qint64 pageSize = storedPageSize == 1 ? 65536 : storedPageSize;
    if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0)
        return QStringLiteral("its header names no valid page size");
    if (size % pageSize != 0)
        return QStringLiteral("the file ends %1 bytes into a page of %2 bytes; it was cut short")
            .arg(size % pageSize)
            .arg(pageSize);
    // The header's page count holds only when written together with the change counter.
    const quint32 pages = bigEndian(header, 28, 4);
    const bool countHolds = bigEndian(header, 24, 4) == bigEndian(header, 92, 4);
    if (countHolds && qint64(pages) * pageSize > size)
        return QStringLiteral("the file holds %1 pages where its header counts %2; it was cut "
                              "short")
            .arg(size / pageSize)
            .arg(pages);
    return {};
}

SqliteFile::ExclusiveLock::ExclusiveLock(const QString& path, std::chrono::milliseconds patience)
{
    m_fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    if (m_fd < 0) {
        m_held = errno == ENOENT;
        return;
    }
    struct flock lock = {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    lock.l_start = PendingByte;
    lock.l_len = LockBytes;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!(m_held = ::fcntl(m_fd, F_SETLK, &lock) == 0) &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

SqliteFile::ExclusiveLock::~ExclusiveLock()
{
    if (m_fd >= 0)
        ::close(m_fd); // ends the lock
}
