#include "data/DrillDataSource.h"

#include "common/DateText.h"
#include "data/DrillDatabase.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

namespace {

bool isDateColumn(int column)
{
    using C = DrillDataSource::Column;
    return column == C::DrillDate || column == C::DoneDate || column == C::DrillDate1 ||
           column == C::DoneDate1;
}

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

} // namespace

DrillDataSource::DrillDataSource(DrillDatabase& db, QObject* parent) : QObject(parent), m_db(db)
{
    setObjectName(QStringLiteral("Data1"));
}

bool DrillDataSource::refresh()
{
    QSqlQuery query(m_db.connection());
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT * FROM QuDrills WHERE YearDrill = ?"));
    query.addBindValue(m_year);
    bool ok = DrillDatabase::exec(query, "Reading the drills of a year");
    QList<QStringList> records;
    while (ok && query.next()) {
        QStringList record;
        record.reserve(ColumnCount);
        for (int column = 0; column < ColumnCount; ++column) {
            const QString value = query.value(column).toString();
            record.append(isDateColumn(column) ? DateText::storedToShort(value) : value);
        }
        records.append(record);
    }
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
    emit refreshed();
    return ok;
}

bool DrillDataSource::addRecords(const QList<Ship>& ships)
{
    QSqlError error;
    const bool added = m_db.inTransaction(
        [&] {
            QSqlQuery query(m_db.connection());
            query.prepare(QStringLiteral(
                "INSERT INTO Drills (IDShip, ShipName, YearDrill) VALUES (?, ?, ?)"));
            for (const Ship& ship : ships) {
                query.addBindValue(ship.id);
                query.addBindValue(ship.name);
                query.addBindValue(m_year);
                if (!DrillDatabase::exec(query, "Adding a drill row")) {
                    error = query.lastError();
                    return false;
                }
            }
            return true;
        },
        &error);
    if (!added)
        m_failure = DataFailure::of(error);
    return added;
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

DrillDataSource::WriteResult DrillDataSource::writeField(qint64 idDrill, Column column,
                                                         const QString& value)
{
    const QString field = fieldName(column);
    Q_ASSERT(!field.isEmpty());
    QSqlQuery query(m_db.connection());
    query.prepare(QStringLiteral("UPDATE Drills SET %1 = ? WHERE IDDrill = ?").arg(field));
    query.addBindValue(value);
    query.addBindValue(idDrill);
    if (!DrillDatabase::exec(query, "Writing a drill field")) {
        const QSqlError error = query.lastError();
        return {false, error.nativeErrorCode(), error.databaseText()};
    }
    // A row deleted behind the program's back must not look stored.
    if (query.numRowsAffected() != 1)
        return {false, QStringLiteral("3021"), QStringLiteral("No current record")};
    return {};
}
