#include "Fixture.h"

#include "common/AppFolder.h"
#include "data/DrillDatabase.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>

#include <atomic>
#include <stdexcept>

namespace {
std::atomic_int g_fixtures{0};
}

bool writeTestFile(const QString& path, const QByteArray& content,
                   QFileDevice::Permissions permissions)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        return false;
    file.close();
    return !permissions || file.setPermissions(permissions);
}

Fixture::Fixture(const QStringList& ships)
    : m_connection(QStringLiteral("fixture-%1").arg(++g_fixtures))
{
    {
        DrillDatabase program(databasePath());
        if (!program.open().isEmpty())
            throw std::runtime_error("cannot create the test database");
    }
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    db.setDatabaseName(databasePath());
    db.open();
    db.transaction();
    for (const QString& ship : ships)
        exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"), {ship});
    db.commit();
}

Fixture::Fixture(int shipCount) : Fixture(shipNames(shipCount)) {}

Fixture::~Fixture()
{
    QSqlDatabase::database(m_connection, false).close();
    QSqlDatabase::removeDatabase(m_connection);
}

QString Fixture::databasePath() const
{
    return AppFolder::file(m_dir.path(), QString::fromLatin1(AppFolder::DatabaseFileName));
}

QSqlDatabase Fixture::db() const
{
    return QSqlDatabase::database(m_connection);
}

QSqlQuery Fixture::run(const QString& sql, const QVariantList& values) const
{
    QSqlQuery query(db());
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw std::runtime_error(query.lastError().text().toStdString());
    return query;
}

QVariant Fixture::scalar(const QString& sql, const QVariantList& values) const
{
    QSqlQuery query = run(sql, values);
    return query.next() ? query.value(0) : QVariant();
}

void Fixture::exec(const QString& sql, const QVariantList& values) const
{
    run(sql, values);
}

qint64 Fixture::shipId(const QString& name) const
{
    return scalar(QStringLiteral("SELECT IDShip FROM Ships WHERE ShipName = ?"), {name})
        .toLongLong();
}

QStringList Fixture::shipNames(int count)
{
    QStringList names;
    for (int i = 1; i <= count; ++i)
        names << QStringLiteral("MV Ship %1").arg(i, 4, 10, QLatin1Char('0'));
    return names;
}
