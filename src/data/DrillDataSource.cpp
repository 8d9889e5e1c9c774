#include "data/DrillDataSource.h"

#include "common/DateText.h"
#include "data/DrillDatabase.h"

#include <QSqlQuery>

namespace {

bool isDateColumn(int column)
{
    using C = DrillDataSource::Column;
    return column == C::DrillDate || column == C::DoneDate || column == C::DrillDate1 ||
           column == C::DoneDate1;
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
    const bool ok = DrillDatabase::exec(query, "Reading the drills of a year");
    m_records.clear();
    while (ok && query.next()) {
        QStringList record;
        record.reserve(ColumnCount);
        for (int column = 0; column < ColumnCount; ++column) {
            const QString value = query.value(column).toString();
            record.append(isDateColumn(column) ? DateText::storedToShort(value) : value);
        }
        m_records.append(record);
    }
    emit refreshed();
    return ok;
}

bool DrillDataSource::addRecords(const QList<Ship>& ships)
{
    return m_db.inTransaction([&] {
        QSqlQuery query(m_db.connection());
        query.prepare(
            QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill) VALUES (?, ?, ?)"));
        for (const Ship& ship : ships) {
            query.addBindValue(ship.id);
            query.addBindValue(ship.name);
            query.addBindValue(m_year);
            if (!DrillDatabase::exec(query, "Adding a drill row"))
                return false;
        }
        return true;
    });
}
