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

    // The last row's name; empty when the table has no row; nothing when it cannot be read.
    std::optional<QString> name() const;
    // Stores the name, any text included, into the first row; makes the row if there is none.
    bool setName(const QString& name);

private:
    DrillDatabase& m_db;
};
