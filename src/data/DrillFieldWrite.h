#pragma once

#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"

#include <QSqlQuery>
#include <QString>
#include <QVariant>

#include <map>

// One drill field written as a compare-and-set: the new value is stored only while the field
// still holds the value the user started from, so that another user's newer value is never
// overwritten in silence. Each field's statement is prepared once per connection, and a write
// that finds the value it expects costs one round trip to a server.
class DrillFieldWrite
{
public:
    explicit DrillFieldWrite(DrillDatabase& db) : m_db(db) {}

    enum class Outcome
    {
        Stored,
        Conflict, // another user changed the field first; current says to what
        Gone,     // the drill row no longer exists
        Failed,   // the database refused; failure says why
    };
    struct Result
    {
        Outcome outcome = Outcome::Failed;
        QVariant current; // the field's value now, for a conflict
        DataFailure failure;
    };

    // startedFrom and value in their stored form; a null startedFrom is an empty field.
    Result write(qint64 idDrill, DrillRecord::Column column, const QVariant& startedFrom,
                 const QString& value);

private:
    // Nothing when it could not be prepared, and *failure says why.
    QSqlQuery* statementFor(DrillRecord::Column column, DataFailure* failure);
    Result whyNotStored(qint64 idDrill, DrillRecord::Column column);

    DrillDatabase& m_db;
    std::map<DrillRecord::Column, QSqlQuery> m_statements;
    int m_session = 0; // the connection the statements were prepared on
};
