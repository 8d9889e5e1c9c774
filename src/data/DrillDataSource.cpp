#include "data/DrillDataSource.h"

#include "common/DateText.h"
#include "data/Dialect.h"
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

DrillRecord recordRead(const QSqlQuery& query)
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

// A stored form as bound: nothing is NULL.
QVariant boundValue(const QString& stored)
{
    return stored.isEmpty() ? QVariant(QMetaType::fromType<QString>()) : QVariant(stored);
}

// What the database holds, in the stored form the records keep.
QString storedForm(DrillRecord::Column field, const QVariant& raw)
{
    DrillRecord record;
    record.set(field, raw.toString());
    return record.stored(field);
}

const DataFailure NoRecord{QStringLiteral("3021"), QStringLiteral("No current record")};

using Outcome = DrillWriteResult::Outcome;

} // namespace

DrillDataSource::DrillDataSource(DrillDatabase& db, QObject* parent) : QObject(parent), m_db(db)
{
    setObjectName(QStringLiteral("yearDrills"));
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
        records.append(recordRead(query));
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
    const int index = indexOf(idDrill);
    if (index < 0)
        return false;
    QSqlQuery query(m_db.connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT * FROM QuDrills WHERE IDDrill = ?"));
    query.addBindValue(idDrill);
    if (!DrillDatabase::exec(query, "Reading a drill") || !query.next())
        return false;
    m_records[index] = recordRead(query);
    emit recordRefreshed(index);
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
            "(SELECT 1 FROM Drills WHERE IDShip = ? AND YearDrill = ?) AND NOT EXISTS "
            "(SELECT 1 FROM ClosedYears WHERE YearDrill = ?)"));
        for (const Ship& ship : ships) {
            for (const QVariant& value : {QVariant(ship.id), QVariant(ship.name), QVariant(m_year),
                                          QVariant(ship.id), QVariant(m_year), QVariant(m_year)})
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

const DrillRecord* DrillDataSource::recordOf(qint64 idDrill) const
{
    const int index = indexOf(idDrill);
    return index < 0 ? nullptr : &m_records.at(index);
}

int DrillDataSource::indexOf(qint64 idDrill) const
{
    for (int index = 0; index < m_records.size(); ++index) {
        if (m_records.at(index).idDrill == idDrill)
            return index;
    }
    return -1;
}

void DrillDataSource::setLockWait(std::chrono::milliseconds wait)
{
    if (!m_db.connection().isOpen())
        return;
    QSqlQuery query(m_db.connection());
    query.exec(Dialect::lockWait(m_db.engine(), wait));
}

DrillWriteResult DrillDataSource::write(const DrillChange& change,
                                        const std::function<bool()>& alongside,
                                        const std::function<void()>& waiting)
{
    Q_ASSERT(!fieldName(change.field).isEmpty());
    if (change.value == change.startedFrom)
        return {Outcome::Unchanged, change.value, {}, true};
    // A free database answers at once; only a locked one is waited for, and the user is told
    // before the wait begins.
    DrillWriteResult result = attemptWrite(change, alongside, std::chrono::milliseconds(0));
    if (result.outcome == Outcome::Busy) {
        if (waiting)
            waiting();
        result = attemptWrite(change, alongside, lockWaitLimit());
    }
    setLockWait(m_db.busyTimeout());
    if (result.outcome == Outcome::Failed && !m_db.isAlive())
        result.outcome = Outcome::ConnectionLost;
    const bool known = result.outcome == Outcome::Written || result.outcome == Outcome::Unchanged ||
                       result.outcome == Outcome::Conflict;
    if (const int index = indexOf(change.idDrill); known && index >= 0)
        m_records[index].set(change.field, result.storedNow);
    return result;
}

DrillWriteResult DrillDataSource::attemptWrite(const DrillChange& change,
                                               const std::function<bool()>& alongside,
                                               std::chrono::milliseconds wait)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + wait;
    const auto waitLeft = [&] {
        return std::max(0ms, duration_cast<milliseconds>(deadline - steady_clock::now()));
    };
    DrillWriteResult result{Outcome::Written, change.value, {}, true};
    const auto refused = [&](const QSqlError& error) {
        result.outcome =
            Dialect::isWaitExceeded(error.nativeErrorCode()) ? Outcome::Busy : Outcome::Failed;
        result.failure = DataFailure::of(error);
        return false;
    };
    const QString field = fieldName(change.field);
    QSqlError transactionError;
    const bool committed = m_db.inTransaction(
        [&] {
            setLockWait(waitLeft());
            QSqlQuery update(m_db.connection());
            // Preparing takes the table's lock too, and may wait out the limit.
            if (!update.prepare(
                    QStringLiteral("UPDATE Drills SET %1 = ? WHERE IDDrill = ? AND %1 %2 ?")
                        .arg(field, Dialect::sameValue(m_db.engine()))))
                return refused(update.lastError());
            const auto setWhileItHolds = [&](const QVariant& expected) {
                update.addBindValue(boundValue(change.value));
                update.addBindValue(change.idDrill);
                update.addBindValue(expected);
                return DrillDatabase::exec(update, "Writing a drill field");
            };
            if (!setWhileItHolds(boundValue(change.startedFrom)))
                return refused(update.lastError());
            if (update.numRowsAffected() == 0) {
                QSqlQuery read(m_db.connection());
                read.prepare(QStringLiteral("SELECT %1 FROM Drills WHERE IDDrill = ?").arg(field));
                read.addBindValue(change.idDrill);
                if (!DrillDatabase::exec(read, "Reading a drill field"))
                    return refused(read.lastError());
                if (!read.next()) { // deleted behind the program's back: it must not look stored
                    result = {Outcome::Failed, {}, NoRecord, true};
                    return false;
                }
                const QVariant raw = read.value(0);
                result.storedNow = storedForm(change.field, raw);
                if (result.storedNow != change.startedFrom) {
                    result.outcome =
                        result.storedNow == change.value ? Outcome::Unchanged : Outcome::Conflict;
                    return false;
                }
                // The value started from, spelt otherwise (an empty text for nothing): still
                // the user's to change.
                if (!setWhileItHolds(raw))
                    return refused(update.lastError());
                result.storedNow = change.value;
            }
            result.alongsideDone = !alongside || writeAlongside(alongside);
            setLockWait(waitLeft()); // the commit may wait for readers
            return true;
        },
        &transactionError);
    if (!committed && result.outcome == Outcome::Written)
        refused(transactionError);
    return result;
}
