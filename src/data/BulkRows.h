#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

// Writing many rows through one connection, a prepared statement at a time: on a server through
// Qt, on a SQLite file through SQLite's own interface, as Qt's binding would cost several times
// what SQLite does for the rows themselves.
class BulkRows
{
public:
    // Qt's connection to a server, which stays its owner's.
    static std::unique_ptr<BulkRows> onServer(QSqlDatabase db);
    // A connection of its own to the SQLite file (made when missing), closed with this object.
    static std::unique_ptr<BulkRows> onFile(const QString& path);

    virtual ~BulkRows() = default;

    // The statement the next bind() and step() calls are for.
    virtual bool prepare(const QString& statement) = 0;
    // A value for the position (0 for the first "?"): a null, a whole number or a text.
    virtual void bind(int position, const QVariant& value) = 0;
    // Runs the prepared statement with the values bound.
    virtual bool step() = 0;
    // Runs a statement that has no values.
    virtual bool run(const QString& statement) = 0;
    // Runs the work in one transaction: committed when it returns true, rolled back otherwise.
    virtual bool inTransaction(const std::function<bool()>& work) = 0;
    // Why the last call failed.
    virtual QString failure() const = 0;
};
