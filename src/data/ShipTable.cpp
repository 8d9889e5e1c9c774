#include "data/ShipTable.h"

#include "data/BoundText.h"
#include "data/Dialect.h"
#include "data/DrillDatabase.h"

#include <QSqlError>
#include <QSqlQuery>

std::optional<QList<Ship>> ShipTable::ships()
{
    QSqlQuery query(m_db.connection());
    if (!DrillDatabase::run(query,
                            QStringLiteral("SELECT IDShip, ShipName FROM Ships ORDER BY %1, IDShip")
                                .arg(m_db.dialect().nameOrder(QStringLiteral("ShipName"))),
                            {}, "Reading the ship list"))
        return std::nullopt;
    QList<Ship> ships;
    while (query.next())
        ships.append({query.value(0).toLongLong(), query.value(1).toString()});
    return ships;
}

ShipTable::Write ShipTable::add(const QString& name)
{
    return run(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"), {boundText(name)},
               "Adding a ship");
}

ShipTable::Write ShipTable::remove(const QList<qint64>& ids)
{
    Write write{Outcome::Done, {}, {}};
    QSqlError failure;
    const bool committed = m_db.inTransaction(
        [&] {
            for (const qint64 id : ids) {
                write = run(QStringLiteral("DELETE FROM Ships WHERE IDShip = ?"), {id},
                            "Deleting a ship");
                if (write.outcome != Outcome::Done)
                    return false;
            }
            return true;
        },
        &failure);
    if (!committed && write.outcome == Outcome::Done)
        return outcomeOf(failure);
    return write;
}

ShipTable::Write ShipTable::rename(qint64 id, const QString& startedFrom, const QString& typed)
{
    Write write = run(QStringLiteral("UPDATE Ships SET ShipName = ? WHERE IDShip = ? AND "
                                     "COALESCE(ShipName, '') = ?"),
                      {boundText(typed), id, boundText(startedFrom)}, "Storing a ship");
    if (write.outcome != Outcome::Done)
        return write;
    QSqlQuery stored(m_db.connection());
    if (!DrillDatabase::run(stored, QStringLiteral("SELECT ShipName FROM Ships WHERE IDShip = ?"),
                            {id}, "Reading a ship"))
        return {Outcome::Failed, {}, stored.lastError().text()};
    if (!stored.next())
        return {Outcome::Gone, {}, QStringLiteral("Another user has deleted this ship.")};
    write.storedNow = stored.value(0).toString();
    if (write.storedNow != typed)
        return {Outcome::ChangedByOther, write.storedNow,
                QStringLiteral("Another user has renamed this ship.")};
    return write;
}

// On a server, another user's lock may already refuse the statement's preparation.
ShipTable::Write ShipTable::run(const QString& sql, const QVariantList& values, const char* context)
{
    QSqlQuery query(m_db.connection());
    return DrillDatabase::run(query, sql, values, context) ? Write{Outcome::Done, {}, {}}
                                                           : outcomeOf(query.lastError());
}

ShipTable::Write ShipTable::outcomeOf(const QSqlError& error) const
{
    if (m_db.dialect().isWaitExceeded(error.nativeErrorCode()))
        return {Outcome::MetLock, {}, error.text()};
    return {m_db.isAlive() ? Outcome::Failed : Outcome::Lost, {}, error.text()};
}
