#pragma once

#include <QSqlDatabase>
#include <QString>

#include <optional>

// The user's company name (table Company).
class CompanyTable
{
public:
    explicit CompanyTable(QSqlDatabase db) : m_db(std::move(db)) {}

    // The last row's name; empty when the table has no row; nothing when it cannot be read.
    std::optional<QString> name() const;

private:
    QSqlDatabase m_db;
};
