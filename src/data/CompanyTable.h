#pragma once

#include <QString>

#include <optional>

class DrillDatabase;

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
        Failed
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
    DrillDatabase& m_db;
};
