#include "DatabaseFiles.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <stdexcept>

QByteArray DatabaseFiles::contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int DatabaseFiles::shipCount(const QString& path)
{
    const QString name = QStringLiteral("ship-count");
    int count = -1;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        QSqlQuery query(db);
        if (db.open() && query.exec(QStringLiteral("SELECT COUNT(*) FROM Ships")) && query.next())
            count = query.value(0).toInt();
        query.finish();
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return count;
}

namespace {

int pageSizeOf(const QByteArray& header)
{
    // The page size is the big-endian number at offset 16; 1 stands for 65536.
    const int sizeField = (quint8(header.at(16)) << 8) | quint8(header.at(17));
    return sizeField == 1 ? 65536 : sizeField;
}

} // namespace

void DatabaseFiles::zeroPage(const QString& path, int page)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw std::runtime_error("cannot open the file to damage");
    const QByteArray header = file.read(100);
    const qint64 pageSize = pageSizeOf(header);
    if (page < 1 || page > file.size() / pageSize)
        throw std::runtime_error("the file has no such page");
    file.seek((page - 1) * pageSize);
    file.write(QByteArray(pageSize, '\0'));
    // The change counter is the big-endian number at offset 24.
    const quint32 changes = (quint32(quint8(header.at(24))) << 24) |
                            (quint32(quint8(header.at(25))) << 16) |
                            (quint32(quint8(header.at(26))) << 8) | quint8(header.at(27));
    const quint32 counted = changes + 1;
    const char bytes[4] = {char(counted >> 24), char(counted >> 16), char(counted >> 8),
                           char(counted)};
    file.seek(24);
    file.write(bytes, 4);
}

void DatabaseFiles::zeroMiddlePage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw std::runtime_error("cannot open the file to damage");
    const qint64 pages = file.size() / pageSizeOf(file.read(18));
    if (pages < 3)
        throw std::runtime_error("the file is too small to damage one of its pages");
    file.close();
    zeroPage(path, int(pages / 2) + 1);
}
