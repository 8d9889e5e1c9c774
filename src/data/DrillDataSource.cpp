#include "data/DrillDataSource.h"

#include "common/DateText.h"
#include "data/DrillDatabase.h"
#include "data/YearRows.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <algorithm>

namespace {

// The field behind each writable column, as the statement names it.
QString fieldName(DrillDataSource::Column column)
{
    using C = DrillDataSource::Column;
    switch (column) {
    case C::DrillDate:
        return QStringLiteral("\"Drill Date\"");
    case C::DoneDate:
        return QStringLiteral("\"Done Date\"");
    case C::CompEval:
        return QStringLiteral("CompEval");
    case C::Master:
        return QStringLiteral("Master");
    case C::DrillDate1:
        return QStringLiteral("\"Drill Date1\"");
    case C::DoneDate1:
        return QStringLiteral("\"Done Date1\"");
    case C::CompEval1:
        return QStringLiteral("CompEval1");
    case C::Master1:
        return QStringLiteral("Master1");
    default:
        return {};
    }
}

DrillRecord recordOf(const QSqlQuery& query)
{
    DrillRecord record;
    record.idDrill = query.value(DrillRecord::IDDrill).toLongLong();
    record.idShip = query.value(DrillRecord::IDShip).toLongLong();
    record.shipName = query.value(DrillRecord::ShipName).toString();
    record.year = query.value(DrillRecord::YearDrill).toInt();
    for (int column = DrillRecord::DrillDate; column <= DrillRecord::Master1; ++column)
        record.set(DrillRecord::Column(column), query.value(column).toString());
    return record;
}

} // namespace

DrillDataSource::DrillDataSource(DrillDatabase& db, QObject* parent) : QObject(parent), m_db(db)
{
    setObjectName(QStringLiteral("Data1"));
}

bool DrillDataSource::refresh()
{
    QSqlQuery& query = m_yearQuery;
    bool ok = prepareYearQuery();
    if (ok) {
        query.addBindValue(m_year);
        ok = DrillDatabase::exec(query, "Reading the drills of a year");
    }
    QList<DrillRecord> records;
    while (ok && query.next())
        records.append(recordOf(query));
    // A read that breaks off part-way is a failed read, not a shorter year.
    if (ok && query.lastError().isValid()) {
        qWarning().noquote() << "Reading the drills of a year broke off:"
                             << query.lastError().text();
        ok = false;
    }
    if (ok) {
        m_records = std::move(records);
        m_recordsYear = m_year;
    } else {
        m_failure = DataFailure::of(query.lastError());
    }
    // A statement left open would hold SQLite's read lock.
    query.finish();
    emit refreshed();
    return ok;
}

bool DrillDataSource::prepareYearQuery()
{
    if (m_yearQuerySession == m_db.session())
        return true;
    m_yearQuery = QSqlQuery(m_db.connection());
    m_yearQuery.setForwardOnly(true);
    if (!m_yearQuery.prepare(QStringLiteral("SELECT * FROM QuDrills WHERE YearDrill = ?"))) {
        qWarning().noquote() << "Reading the drills of a year failed:"
                             << m_yearQuery.lastError().text();
        return false;
    }
    m_yearQuerySession = m_db.session();
    return true;
}

bool DrillDataSource::refreshDrill(qint64 idDrill)
{
    const auto held =
        std::find_if(m_records.begin(), m_records.end(),
                     [&](const DrillRecord& record) { return record.idDrill == idDrill; });
    if (held == m_records.end())
        return false;
    QSqlQuery query(m_db.connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT * FROM QuDrills WHERE IDDrill = ?"));
    query.addBindValue(idDrill);
    if (!DrillDatabase::exec(query, "Reading a drill") || !query.next())
        return false;
    *held = recordOf(query);
    emit recordRefreshed(int(held - m_records.begin()));
    return true;
}

bool DrillDataSource::addFleetYear()
{
    // Another program may be adding the same year at this moment: only what is missing is added.
    return YearRows::addMissing(m_db, m_year, &m_failure) >= 0;
}

void DrillDataSource::addMissingRecords(const QList<Ship>& ships)
{
    m_db.inTransaction([&] {
        QSqlQuery query(m_db.connection());
        query.prepare(QStringLiteral(
            "INSERT INTO Drills (IDShip, ShipName, YearDrill) SELECT ?, ?, ? WHERE NOT EXISTS "
            "(SELECT 1 FROM Drills WHERE IDShip = ? AND YearDrill = ?)"));
        for (const Ship& ship : ships) {
            for (const QVariant& value : {QVariant(ship.id), QVariant(ship.name), QVariant(m_year),
                                          QVariant(ship.id), QVariant(m_year)})
                query.addBindValue(value);
            DrillDatabase::exec(query, "Adding the drill row of a new ship");
        }
        return true;
    });
}

// The work beside a field write is not worth the field: when it fails, it is undone alone.
bool DrillDataSource::writeAlongside(const std::function<bool()>& alongside)
{
    QSqlQuery query(m_db.connection());
    if (!query.exec(QStringLiteral("SAVEPOINT alongside")))
        return false;
    if (alongside())
        return query.exec(QStringLiteral("RELEASE alongside"));
    query.exec(QStringLiteral("ROLLBACK TO alongside"));
    query.exec(QStringLiteral("RELEASE alongside"));
    return false;
}

DrillDataSource::WriteResult DrillDataSource::writeField(int index, Column column,
                                                         const QString& stored,
                                                         const std::function<bool()>& alongside)
{
    const QString field = fieldName(column);
    Q_ASSERT(!field.isEmpty());
    if (index < 0 || index >= m_records.size()) // a record the year no longer holds
        return {false, QStringLiteral("3021"), QStringLiteral("No current record")};
    WriteResult result;
    const auto fail = [&result](const QSqlError& error) {
        result = {false, error.nativeErrorCode(), error.databaseText()};
        return false;
    };
    QSqlError transactionError;
    const bool written = m_db.inTransaction(
        [&] {
            QSqlQuery query(m_db.connection());
            // Preparing takes the table's lock too, and may wait out the limit.
            if (!query.prepare(
                    QStringLiteral("UPDATE Drills SET %1 = ? WHERE IDDrill = ?").arg(field)))
                return fail(query.lastError());
            query.addBindValue(stored);
            query.addBindValue(m_records.at(index).idDrill);
            if (!DrillDatabase::exec(query, "Writing a drill field"))
                return fail(query.lastError());
            // A row deleted behind the program's back must not look stored.
            if (query.numRowsAffected() != 1) {
                result = {false, QStringLiteral("3021"), QStringLiteral("No current record")};
                return false;
            }
            result.alongsideDone = !alongside || writeAlongside(alongside);
            return true;
        },
        &transactionError);
    if (!written) {
        if (result.ok)
            fail(transactionError);
        return result;
    }
    m_records[index].set(column, stored);
    return result;
}
