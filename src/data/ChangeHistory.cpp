#include "data/ChangeHistory.h"

#include "common/Csv.h"
#include "data/Dialect.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"

#include <QHash>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QVariant>

namespace {

// The ship of an entry: the drill's for drills and answers, the ship's own for ships.
const QString Selected = QStringLiteral(
    "SELECT h.ChangedAt, h.ChangedBy, h.TableName, h.RecordId, h.Field, h.OldValue, h.NewValue, "
    "COALESCE(d.ShipName, s.ShipName), "
    "COALESCE(d.YearDrill, CASE WHEN h.TableName = 'ClosedYears' THEN h.RecordId END) "
    "FROM History h "
    "LEFT JOIN Drills d ON h.TableName IN ('Drills', 'Evaluation') AND d.IDDrill = h.RecordId "
    "LEFT JOIN Ships s ON h.TableName = 'Ships' AND s.IDShip = h.RecordId ");

// Nothing when the read failed; *lockedOut then tells whether another user's lock held it up.
std::optional<QList<ChangeEntry>> entriesOf(DrillDatabase& db, const QString& where,
                                            const QVariantList& values, const char* context,
                                            bool* lockedOut = nullptr)
{
    if (lockedOut)
        *lockedOut = false;
    QSqlQuery query(db.connection());
    query.setForwardOnly(true);
    // A server may refuse the statement already, under another user's lock.
    const bool prepared = query.prepare(Selected + where);
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!prepared || !DrillDatabase::exec(query, context)) {
        if (lockedOut)
            *lockedOut = db.dialect().isWaitExceeded(query.lastError().nativeErrorCode());
        return std::nullopt;
    }
    QList<ChangeEntry> entries;
    while (query.next())
        entries.append({QDateTime::fromString(query.value(0).toString(), Qt::ISODateWithMs),
                        query.value(1).toString(), query.value(2).toString(),
                        query.value(3).toLongLong(), query.value(4).toString(),
                        query.value(5).toString(), query.value(6).toString(),
                        query.value(7).toString(), query.value(8).toInt()});
    if (query.lastError().isValid())
        return std::nullopt;
    return entries;
}

const QString OfDrills = QStringLiteral("h.TableName IN ('Drills', 'Evaluation')");
const QString NewestFirst = QStringLiteral(" ORDER BY h.IDHistory DESC");

} // namespace

std::optional<QList<ChangeEntry>> ChangeHistory::ofDrill(DrillDatabase& db, qint64 idDrill,
                                                         bool* lockedOut)
{
    return entriesOf(db, QStringLiteral("WHERE %1 AND h.RecordId = ?").arg(OfDrills) + NewestFirst,
                     {idDrill}, "Reading the history of a drill", lockedOut);
}

std::optional<QList<ChangeEntry>> ChangeHistory::ofShip(DrillDatabase& db, qint64 idShip,
                                                        bool* lockedOut)
{
    return entriesOf(db,
                     QStringLiteral("WHERE (h.TableName = 'Ships' AND h.RecordId = ?) OR (%1 AND "
                                    "h.RecordId IN (SELECT IDDrill FROM Drills WHERE IDShip = ?))")
                             .arg(OfDrills) +
                         NewestFirst,
                     {idShip, idShip}, "Reading the history of a ship", lockedOut);
}

std::optional<QList<ChangeEntry>> ChangeHistory::ofYear(DrillDatabase& db, int year)
{
    // The year's drills first, by index, and then their entries by the index of History: never
    // every drill entry of every year.
    return entriesOf(db,
                     QStringLiteral("WHERE (h.TableName = 'ClosedYears' AND h.RecordId = ?) OR "
                                    "(%1 AND h.RecordId IN (SELECT IDDrill FROM Drills WHERE "
                                    "YearDrill = ?)) ORDER BY h.IDHistory")
                         .arg(OfDrills),
                     {year, year}, "Reading the history of a year");
}

namespace {

QString inDrill(int drill, const QString& caption)
{
    return DrillRecord::drillCaption(drill) + QStringLiteral(" \u00b7 ") + caption;
}

struct DrillField
{
    DrillRecord::Column column;
    QString caption; // "Drill No 2 · Ship's Master Name"
};

// The drill field an entry of table Drills names, by its stored name. Looked up for every
// value of a list: the names and captions are made once.
const DrillField* drillFieldOf(const ChangeEntry& entry)
{
    static const QHash<QString, DrillField> fields = [] {
        QHash<QString, DrillField> byName;
        for (const DrillFields::Field& field : DrillFields::All) {
            const DrillRecord::Column column = DrillRecord::columnOf(field);
            byName.insert(field.storedName(),
                          {column, inDrill(field.drill, DrillRecord::caption(column))});
        }
        return byName;
    }();
    if (entry.table != QLatin1String("Drills"))
        return nullptr;
    const auto found = fields.constFind(entry.field);
    return found == fields.constEnd() ? nullptr : &*found;
}

// "Question 3" for the first drill, "Question 3 (2nd drill)" for the second.
QString answerCaption(const QString& field)
{
    static const QRegularExpression answer(QStringLiteral("^(Question \\d+)( \\(2nd drill\\))?$"));
    const QRegularExpressionMatch match = answer.match(field);
    return match.hasMatch() ? inDrill(match.hasCaptured(2) ? 1 : 0, match.captured(1)) : field;
}

} // namespace

QString ChangeHistory::captionOf(const ChangeEntry& entry)
{
    if (const DrillField* field = drillFieldOf(entry))
        return field->caption;
    if (entry.table == QLatin1String("Evaluation"))
        return answerCaption(entry.field);
    if (entry.table == QLatin1String("Ships"))
        return DrillRecord::caption(DrillRecord::ShipName);
    if (entry.table == QLatin1String("Company"))
        return QStringLiteral("Company Name");
    return entry.field;
}

QString ChangeHistory::shownValue(const ChangeEntry& entry, const QString& value)
{
    const DrillField* field = drillFieldOf(entry);
    return field && DrillRecord::isDate(field->column) ? StoredDate::fromStored(value).shown()
                                                       : value;
}

QString ChangeHistory::writeCsv(const QList<ChangeEntry>& entries, const QString& fileName)
{
    return Csv::writeFile(fileName, [&](Csv::Writer& csv) {
        csv.write({QStringLiteral("When (UTC)"), QStringLiteral("Who"), QStringLiteral("Ship"),
                   QStringLiteral("Table"), QStringLiteral("Record"), QStringLiteral("Field"),
                   QStringLiteral("Caption"), QStringLiteral("From"), QStringLiteral("To")});
        for (const ChangeEntry& entry : entries)
            csv.write({entry.when.toUTC().toString(Qt::ISODateWithMs), entry.who, entry.shipName,
                       entry.table, QString::number(entry.record), entry.field, captionOf(entry),
                       entry.from, entry.to});
    });
}
