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

void DatabaseFiles::zeroMiddlePage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite))
        throw std::runtime_error("cannot open the file to damage");
    const QByteArray header = file.read(18);
    // The page size is the big-endian number at offset 16; 1 stands for 65536.
    const int sizeField = (quint8(header.at(16)) << 8) | quint8(header.at(17));
    const qint64 pageSize = sizeField == 1 ? 65536 : sizeField;
    const qint64 pages = file.size() / pageSize;
    if (pages < 3)
        throw std::runtime_error("the file is too small to damage one of its pages");
    file.seek(pages / 2 * pageSize);
    file.write(QByteArray(pageSize, '\0'));
}
