#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>

class DrillDatabase;

// One recorded change: when (UTC), who, which record of which table, which field, from, to.
struct ChangeEntry
{
    QDateTime when;
    QString who;
    QString table;
    qint64 record = 0;
    QString field;
    QString from;
    QString to;
    QString shipName; // the ship of the drill or ship changed, where there is one
    int year = 0;     // the drill's year, or the year closed; 0 for ships and the company
};

// Reading the history of changes the database keeps. The lists of one drill or ship are newest
// first; nothing when the history cannot be read.
namespace ChangeHistory {

// The drill's fields and questionnaire answers.
std::optional<QList<ChangeEntry>> ofDrill(DrillDatabase& db, qint64 idDrill,
                                          bool* lockedOut = nullptr);
// The ship's name, and the drills and answers of all its years.
std::optional<QList<ChangeEntry>> ofShip(DrillDatabase& db, qint64 idShip,
                                         bool* lockedOut = nullptr);
// Every change to the year's drills and answers and to its closure, oldest first.
std::optional<QList<ChangeEntry>> ofYear(DrillDatabase& db, int year);

// The field as the grid captions it ("Drill No 2 · Ship's Master Name"); the stored name
// where the grid has no caption for it.
QString captionOf(const ChangeEntry& entry);
// A value of the entry's field as the grid shows it: dates in the user's short form.
QString shownValue(const ChangeEntry& entry, const QString& value);

// Writes the entries as CSV: a heading line, then one line per change, time in UTC (ISO 8601),
// the stored field name with its caption beside it, values as stored.
// Empty on success; otherwise a sentence for the user naming the file.
QString writeCsv(const QList<ChangeEntry>& entries, const QString& fileName);

} // namespace ChangeHistory
