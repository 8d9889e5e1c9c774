#pragma once

#include "data/DrillDatabase.h"
#include "data/Ship.h"

#include <QList>
#include <QObject>
#include <QStringList>

// The drills of one year (Data1): the rows of QuDrills for that year, twelve columns each,
// as text. Dates are given in the user's short form. Whoever shows them rebuilds on refreshed().
// The records are always one whole year as read: a read that fails keeps the records it had.
class DrillDataSource : public QObject
{
    Q_OBJECT
public:
    // Positions of the columns in a record.
    enum Column {
        IDDrill, IDShip, ShipName, DrillDate, DoneDate, CompEval, Master,
        DrillDate1, DoneDate1, CompEval1, Master1, YearDrill, ColumnCount
    };

    explicit DrillDataSource(DrillDatabase& db, QObject* parent = nullptr);

    void setYear(int year) { m_year = year; }
    int year() const { return m_year; }

    // Reads the year's records; false when the read failed (see failure()), and the records
    // stay those of recordsYear(). Either way refreshed() follows.
    bool refresh();
    const QList<QStringList>& records() const { return m_records; }
    int recordCount() const { return int(m_records.size()); }
    // The year the records belong to; 0 before the first read that succeeded.
    int recordsYear() const { return m_recordsYear; }

    // Adds one record per ship for the year, carrying only the ship and the year.
    // All or nothing, in one transaction; false when nothing was added (see failure()).
    bool addRecords(const QList<Ship>& ships);
    // Why the last refresh() or addRecords() that failed did so.
    const DataFailure& failure() const { return m_failure; }
    // Adds a record for every ship that has none in the year; never a second one. A ship whose
    // record cannot be added is skipped (and logged); the others still get theirs.
    void addMissingRecords(const QList<Ship>& ships);

    struct WriteResult
    {
        bool ok = true;
        QString errorNumber;
        QString errorText;
    };
    // Stores one drill field of one row; the value is bound, never part of the statement.
    // Only the eight drill fields (DrillDate .. Master1) can be written.
    WriteResult writeField(qint64 idDrill, Column column, const QString& value);

signals:
    void refreshed();

private:
    DrillDatabase& m_db;
    int m_year = 0;
    int m_recordsYear = 0;
    QList<QStringList> m_records;
    DataFailure m_failure;
};
