#include "data/DrillFieldWrite.h"

#include "data/Dialect.h"
#include "data/Schema.h"

#include <QSqlError>

QSqlQuery* DrillFieldWrite::statementFor(DrillRecord::Column column, DataFailure* failure)
{
    if (m_session != m_db.session()) {
        m_statements.clear();
        m_session = m_db.session();
    }
    const auto known = m_statements.find(column);
    if (known != m_statements.end())
        return &known->second;
    QSqlQuery query(m_db.connection());
    const QString field = Schema::drillColumns().at(column);
    // Preparing takes the table's lock too, and may wait out the limit.
    if (!query.prepare(QStringLiteral("UPDATE Drills SET %1 = ? WHERE IDDrill = ? AND %1 %2 ?")
                           .arg(field, Dialect::sameValue(m_db.engine())))) {
        *failure = DataFailure::of(query.lastError());
        return nullptr;
    }
    return &m_statements.emplace(column, std::move(query)).first->second;
}

DrillFieldWrite::Result DrillFieldWrite::write(qint64 idDrill, DrillRecord::Column column,
                                               const QVariant& startedFrom, const QString& value)
{
    Q_ASSERT(column >= DrillRecord::DrillDate && column <= DrillRecord::Master1);
    DataFailure failure;
    QSqlQuery* query = statementFor(column, &failure);
    if (!query)
        return {Outcome::Failed, {}, failure};
    query->addBindValue(value);
    query->addBindValue(idDrill);
    query->addBindValue(startedFrom.isNull() ? QVariant(QMetaType::fromType<QString>())
                                             : startedFrom);
    if (!DrillDatabase::exec(*query, "Writing a drill field"))
        return {Outcome::Failed, {}, DataFailure::of(query->lastError())};
    if (query->numRowsAffected() == 1)
        return {Outcome::Stored, value, {}};
    return whyNotStored(idDrill, column);
}

// Nothing was written: the row is gone, or its field holds another user's value.
DrillFieldWrite::Result DrillFieldWrite::whyNotStored(qint64 idDrill, DrillRecord::Column column)
{
    QSqlQuery query(m_db.connection());
    query.prepare(QStringLiteral("SELECT %1 FROM Drills WHERE IDDrill = ?")
                      .arg(Schema::drillColumns().at(column)));
    query.addBindValue(idDrill);
    if (!DrillDatabase::exec(query, "Reading a drill field"))
        return {Outcome::Failed, {}, DataFailure::of(query.lastError())};
    if (!query.next())
        return {Outcome::Gone, {}, {}};
    return {Outcome::Conflict, query.value(0), {}};
}
