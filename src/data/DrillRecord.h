#pragma once

#include "data/DrillFields.h"

#include <QDate>
#include <QString>

#include <array>

// A date field as stored: a date, nothing, or (written by other means) a text that is no date,
// which is kept so that it is shown as it stands rather than lost.
class StoredDate
{
public:
    static StoredDate fromStored(const QString& stored);

    bool isEmpty() const { return !m_date.isValid() && m_other.isEmpty(); }
    const QDate& date() const { return m_date; }
    // "yyyy-MM-dd", or the text that is no date.
    QString stored() const;
    // The user's short form, or the text that is no date.
    QString shown() const;

private:
    QDate m_date;
    QString m_other;
};

// One drill of a ship's year.
struct Drill
{
    StoredDate scheduled;
    StoredDate done;
    QString evaluation;
    QString master;
};

// One row of a shown year: a ship and its two drills.
struct DrillRecord
{
    // The columns of QuDrills, in order; DrillDate .. Master1 are DrillFields::All.
    enum Column
    {
        IDDrill,
        IDShip,
        ShipName,
        DrillDate,
        DoneDate,
        CompEval,
        Master,
        DrillDate1,
        DoneDate1,
        CompEval1,
        Master1,
        YearDrill,
        ColumnCount
    };
    // The drill field of a column; none for the other columns.
    static const DrillFields::Field* fieldOf(Column column);
    static Column columnOf(const DrillFields::Field& field);
    // The column's name as stored, and as a statement writes it.
    static QString storedName(Column column);
    static QString sqlName(Column column);
    // The drill (0 or 1) a drill field belongs to; -1 for the other columns.
    static int drillOf(Column column);
    static bool isDate(Column column);
    // The grid's captions: a field's own ("Scheduled Date") and its drill's ("Drill No 2").
    static QString caption(Column column);
    static QString drillCaption(int drill);

    // A column's value in its stored form (dates as "yyyy-MM-dd") and as the user sees it.
    QString stored(Column column) const;
    QString shown(Column column) const;
    // Sets a drill field from its stored form.
    void set(Column column, const QString& stored);

    qint64 idDrill = 0;
    qint64 idShip = 0;
    QString shipName;
    int year = 0;
    std::array<Drill, 2> drills;
};
