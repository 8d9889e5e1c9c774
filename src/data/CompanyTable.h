#pragma once

#include <QString>

#include <optional>

class DrillDatabase;
class QSqlError;

// The user's company name (table Company).
class CompanyTable
{
public:
    // The connection's owner; writes go through its transactions.
    explicit CompanyTable(DrillDatabase& db);

    enum class Outcome
    {
        Stored,
        ChangedByOther, // nothing written: another user stored storedNow meanwhile
        Failed,
        MetLock, // nothing written: another user's lock outlasted the connection's wait
    };
    struct Write
    {
        Outcome outcome;
        QString storedNow;
    };

    // The last row's name; empty when the table has no row; nothing when it cannot be read.
    std::optional<QString> name() const;
    // Stores the name, any text included, in place of `startedFrom` in the last row, the one
    // shown; makes the row if there is none.
    Write replaceName(const QString& startedFrom, const QString& name);

private:
    bool swapName(const QString& startedFrom, const QString& name, Write& write,
                  QSqlError& failure);

    DrillDatabase& m_db;
};
