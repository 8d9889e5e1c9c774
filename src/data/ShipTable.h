#pragma once

#include "data/Ship.h"

#include <QList>
#include <QString>
#include <QVariantList>

#include <optional>

class DrillDatabase;
class QSqlError;

// The fleet's statements (table Ships) on one connection.
class ShipTable
{
public:
    explicit ShipTable(DrillDatabase& db) : m_db(db) {}

    enum class Outcome
    {
        Done,
        ChangedByOther, // nothing written: another user stored storedNow meanwhile
        Gone,           // another user deleted the ship
        MetLock,        // nothing written: another user's lock outlasted the connection's wait
        Lost,           // nothing written: the connection is gone
        Failed,
    };
    struct Write
    {
        Outcome outcome = Outcome::Failed;
        QString storedNow;
        QString reason; // why it was not done
    };

    // Every ship, by name, then by key: the same list on every engine, whatever order the rows
    // were written in. Nothing when the list cannot be read.
    std::optional<QList<Ship>> ships();
    Write add(const QString& name);
    // Replaces the name only where it is still the one the change started from; otherwise
    // storedNow says what another user put there.
    Write rename(qint64 id, const QString& startedFrom, const QString& typed);
    // All of them or none.
    Write remove(const QList<qint64>& ids);

private:
    Write run(const QString& sql, const QVariantList& values, const char* context);
    Write outcomeOf(const QSqlError& error) const;

    DrillDatabase& m_db;
};
