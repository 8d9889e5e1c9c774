#include "data/AccessContent.h"

#include "common/DateText.h"

#include <QDir>
#include <QHash>
#include <QLocale>
#include <QSet>

#include <algorithm>
#include <cstring>

namespace {

using C = DrillRecord::Column;
using Kind = AccessFile::ColumnKind;

const QString ShipsTable = QStringLiteral("Ships");
const QString DrillsTable = QStringLiteral("Drills");
const QString CompanyTable = QStringLiteral("Company");
const QString EvaluationTable = QStringLiteral("Evaluation");

const QStringList ShipColumns = {QStringLiteral("IDShip"), QStringLiteral("ShipName")};
const QStringList DrillColumns = [] {
    QStringList columns;
    for (int column = 0; column < C::ColumnCount; ++column)
        columns << DrillRecord::storedName(C(column));
    return columns;
}();
const QStringList CompanyColumns = {QStringLiteral("Name")};

QStringList evaluationColumns()
{
    QStringList columns = {QStringLiteral("IDDrill"), QStringLiteral("IDQu")};
    for (const QString& prefix : {QStringLiteral("Ev"), QStringLiteral("Ev1")}) {
        for (int scale = 1; scale <= 5; ++scale)
            columns << prefix + QString::number(scale);
    }
    return columns;
}

QString quotedPath(const QString& path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

std::optional<qint64> wholeNumber(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || value != double(qint64(value)))
        return std::nullopt;
    return qint64(value);
}

// A table with the columns the program reads, in their order, from the file's table.
struct Columns
{
    const AccessFile::Table* table = nullptr;
    QList<int> positions;

    const QString& text(const QStringList& row, int n) const { return row.at(positions.at(n)); }
    Kind kind(int n) const { return table->kinds.at(positions.at(n)); }
};

class Reader
{
public:
    Reader(const AccessFile& file, AccessContent& content) : m_file(file), m_content(content) {}

    // Empty when every table the program needs could be read.
    QString readTables();
    void takeShips();
    void takeDrills();
    QString takeAnswers();
    void takeCompany();

private:
    QString readTable(const QString& name, const QStringList& wanted, bool required, bool rows);
    void note(const QString& ship, int year, const QString& field, const QString& raw,
              const QString& why);
    void note(const DrillRecord* drill, const QString& field, const QString& raw,
              const QString& why);
    void takeDate(DrillRecord& drill, C column, const Columns& columns, const QStringList& row);
    void takeEvaluation(DrillRecord& drill, C column, const Columns& columns,
                        const QStringList& row);
    std::optional<DrillRecord> drillOf(const Columns& columns, const QStringList& row);
    void noteDuplicate(const DrillRecord& drill, qint64 kept);

    const AccessFile& m_file;
    AccessContent& m_content;
    QHash<QString, AccessFile::Table> m_tables;
    QHash<QString, Columns> m_columns;
    QHash<qint64, QString> m_shipNames;
    QHash<qint64, DrillRecord> m_dropped; // drill rows not taken over, by IDDrill
};

QString Reader::readTables()
{
    const QStringList known = {ShipsTable, DrillsTable, CompanyTable, EvaluationTable};
    for (const QString& table : m_file.tables()) {
        if (!known.contains(table, Qt::CaseInsensitive))
            m_content.ignored << table;
    }
    const QList<std::pair<QString, QStringList>> wanted = {{ShipsTable, ShipColumns},
                                                           {DrillsTable, DrillColumns},
                                                           {CompanyTable, CompanyColumns},
                                                           {EvaluationTable, evaluationColumns()}};
    for (const auto& [name, columns] : wanted) {
        const bool required = name == ShipsTable || name == DrillsTable;
        const QString failure = readTable(name, columns, required, name != EvaluationTable);
        if (!failure.isEmpty())
            return failure;
    }
    return QString();
}

QString Reader::readTable(const QString& name, const QStringList& wanted, bool required, bool rows)
{
    const auto found =
        std::find_if(m_file.tables().cbegin(), m_file.tables().cend(), [&](const QString& table) {
            return table.compare(name, Qt::CaseInsensitive) == 0;
        });
    if (found == m_file.tables().cend()) {
        if (!required)
            return QString();
        return QStringLiteral("The Access file %1 has no table %2, so it is not a database of "
                              "the drill organizer. Nothing was changed.")
            .arg(quotedPath(m_content.sourcePath), name);
    }
    QString failure;
    const auto table = rows ? m_file.read(*found, &failure) : m_file.header(*found, &failure);
    if (!table)
        return failure;
    const AccessFile::Table& kept = m_tables[name] = *table;
    if (rows)
        m_content.rowsInFile.append({name, kept.rows.size()});
    Columns columns{&kept, {}};
    QStringList missing;
    for (const QString& column : wanted) {
        columns.positions << kept.column(column);
        if (columns.positions.constLast() < 0)
            missing << QStringLiteral("[%1]").arg(column);
    }
    if (!missing.isEmpty())
        return QStringLiteral("The table %1 of the Access file %2 has no column %3, so it is not "
                              "a database of the drill organizer. Nothing was changed.")
            .arg(name, quotedPath(m_content.sourcePath), missing.join(QStringLiteral(", ")));
    for (int c = 0; c < kept.columns.size(); ++c) {
        if (!columns.positions.contains(c))
            m_content.ignored << name + u'.' + kept.columns.at(c);
    }
    m_columns.insert(name, columns);
    return QString();
}

void Reader::note(const QString& ship, int year, const QString& field, const QString& raw,
                  const QString& why)
{
    m_content.findings.append({ship, year, field, raw, why});
}

void Reader::note(const DrillRecord* drill, const QString& field, const QString& raw,
                  const QString& why)
{
    note(drill ? drill->shipName : QString(), drill ? drill->year : 0, field, raw, why);
}

void Reader::takeShips()
{
    const Columns& columns = m_columns.value(ShipsTable);
    for (const QStringList& row : m_tables.value(ShipsTable).rows) {
        const QString& id = columns.text(row, 0);
        Ship ship{wholeNumber(id).value_or(0), columns.text(row, 1)};
        if (ship.id <= 0 || m_shipNames.contains(ship.id)) {
            note(ship.name, 0, QStringLiteral("IDShip"), id,
                 ship.id <= 0 ? QStringLiteral("not a ship number; the ship was not taken over")
                              : QStringLiteral("a second ship with this number; it was not "
                                               "taken over"));
            continue;
        }
        if (ship.name.trimmed().isEmpty()) {
            ship.name = QStringLiteral("Ship %1").arg(ship.id);
            note(ship.name, 0, QStringLiteral("ShipName"), columns.text(row, 1),
                 QStringLiteral("the ship had no name; it is called so"));
        }
        m_shipNames.insert(ship.id, ship.name);
        m_content.ships.append(ship);
    }
}

void Reader::takeDate(DrillRecord& drill, C column, const Columns& columns, const QStringList& row)
{
    const QString& raw = columns.text(row, int(column));
    if (raw.trimmed().isEmpty())
        return;
    const std::optional<QDate> date = columns.kind(int(column)) == Kind::Date
                                          ? DateText::readStored(raw)
                                          : DateText::read(raw.trimmed());
    if (date) {
        drill.set(column, DateText::toIso(*date));
        return;
    }
    drill.set(column, raw);
    note(&drill, DrillColumns.at(int(column)), raw,
         QStringLiteral("not a date from %1 to %2; kept as text")
             .arg(DateText::FirstYear)
             .arg(DateText::LastYear));
}

void Reader::takeEvaluation(DrillRecord& drill, C column, const Columns& columns,
                            const QStringList& row)
{
    const QString& raw = columns.text(row, int(column));
    QString text = raw.trimmed();
    if (text.isEmpty())
        return;
    if (columns.kind(int(column)) == Kind::Text && text.endsWith(u'%'))
        text = text.chopped(1).trimmed();
    bool ok = false;
    double percent = text.toDouble(&ok);
    if (!ok)
        percent = QLocale().toDouble(text, &ok);
    if (ok && percent >= 0 && percent <= 100) {
        drill.set(column, QString::number(percent));
        return;
    }
    drill.set(column, raw);
    note(&drill, DrillColumns.at(int(column)), raw,
         QStringLiteral("not a percentage from 0 to 100; kept as it stands"));
}

std::optional<DrillRecord> Reader::drillOf(const Columns& columns, const QStringList& row)
{
    DrillRecord drill;
    drill.shipName = columns.text(row, C::ShipName);
    const auto idDrill = wholeNumber(columns.text(row, C::IDDrill));
    const auto idShip = wholeNumber(columns.text(row, C::IDShip));
    const auto year = wholeNumber(columns.text(row, C::YearDrill));
    const QList<std::pair<C, bool>> keys = {
        {C::IDDrill, idDrill && *idDrill > 0},
        {C::IDShip, idShip.has_value()},
        {C::YearDrill, year && *year >= DateText::FirstYear && *year <= DateText::LastYear}};
    for (const auto& [column, sound] : keys) {
        if (!sound) {
            note(&drill, DrillColumns.at(column), columns.text(row, column),
                 QStringLiteral("not a number the drill row can be kept by; the row was not "
                                "taken over"));
            return std::nullopt;
        }
    }
    drill.idDrill = *idDrill;
    drill.idShip = *idShip;
    drill.year = int(*year);
    for (C column : {C::DrillDate, C::DoneDate, C::DrillDate1, C::DoneDate1})
        takeDate(drill, column, columns, row);
    for (C column : {C::CompEval, C::CompEval1})
        takeEvaluation(drill, column, columns, row);
    drill.set(C::Master, columns.text(row, C::Master));
    drill.set(C::Master1, columns.text(row, C::Master1));
    return drill;
}

// A second row of a ship's year cannot be kept beside the first: its values are listed.
void Reader::noteDuplicate(const DrillRecord& drill, qint64 kept)
{
    const QString why =
        QStringLiteral("a second drill row (IDDrill %1) of this ship and year; the row IDDrill "
                       "%2 was kept, this one was not taken over")
            .arg(drill.idDrill)
            .arg(kept);
    bool listed = false;
    for (int column = C::DrillDate; column <= C::Master1; ++column) {
        const QString value = drill.stored(C(column));
        if (!value.isEmpty()) {
            note(&drill, DrillColumns.at(column), value, why);
            listed = true;
        }
    }
    if (!listed)
        note(&drill, DrillColumns.at(C::IDDrill), QString::number(drill.idDrill), why);
}

void Reader::takeDrills()
{
    const Columns& columns = m_columns.value(DrillsTable);
    QHash<std::pair<qint64, int>, qint64> rowOfYear;
    QSet<qint64> ids;
    for (const QStringList& row : m_tables.value(DrillsTable).rows) {
        std::optional<DrillRecord> drill = drillOf(columns, row);
        if (!drill)
            continue;
        const std::pair<qint64, int> shipYear{drill->idShip, drill->year};
        if (ids.contains(drill->idDrill) || rowOfYear.contains(shipYear)) {
            noteDuplicate(*drill, rowOfYear.value(shipYear, drill->idDrill));
            m_dropped.insert(drill->idDrill, *drill);
            continue;
        }
        if (!m_shipNames.contains(drill->idShip))
            note(&*drill, QStringLiteral("IDShip"), QString::number(drill->idShip),
                 QStringLiteral("the ship no longer exists; its drill row was kept"));
        else if (drill->shipName.trimmed().isEmpty()) {
            note(&*drill, QStringLiteral("ShipName"), drill->shipName,
                 QStringLiteral("the drill row had no ship name; it takes the ship's"));
            drill->shipName = m_shipNames.value(drill->idShip);
        }
        ids.insert(drill->idDrill);
        rowOfYear.insert(shipYear, drill->idDrill);
        m_content.drills.append(*drill);
    }
}

// The answers are by far the most rows: they are taken as libmdb reads them, not kept first.
QString Reader::takeAnswers()
{
    if (!m_columns.contains(EvaluationTable))
        return QString();
    QHash<qint64, const DrillRecord*> drills;
    for (const DrillRecord& drill : m_content.drills)
        drills.insert(drill.idDrill, &drill);
    const Columns& columns = m_columns.value(EvaluationTable);
    QSet<std::pair<qint64, int>> taken;
    qsizetype rows = 0;
    const auto take = [&](const AccessFile::RowValues& values) {
        ++rows;
        const auto text = [&](int n) { return QString::fromUtf8(values[columns.positions.at(n)]); };
        AccessAnswers answers;
        answers.idDrill = wholeNumber(text(0)).value_or(0);
        answers.question = int(wholeNumber(text(1)).value_or(0));
        QStringList set;
        for (int flag = 0; flag < int(answers.flags.size()); ++flag) {
            const char* value = values[columns.positions.at(flag + 2)];
            answers.flags[flag] = *value != '\0' && std::strcmp(value, "0") != 0;
            if (answers.flags[flag])
                set << columns.table->columns.at(columns.positions.at(flag + 2));
        }
        const DrillRecord* drill = drills.value(answers.idDrill);
        const std::pair<qint64, int> key{answers.idDrill, answers.question};
        if (drill && !taken.contains(key)) {
            taken.insert(key);
            m_content.answers.append(answers);
            return;
        }
        const auto dropped = m_dropped.constFind(answers.idDrill);
        note(drill                         ? drill
             : dropped == m_dropped.cend() ? nullptr
                                           : &*dropped,
             QStringLiteral("Evaluation"),
             QStringLiteral("IDDrill %1, IDQu %2: %3").arg(text(0), text(1), set.join(u' ')),
             drill ? QStringLiteral("a second answer row of this question; not taken over")
                   : QStringLiteral("answers of a drill row that was not taken over"));
    };
    QString failure;
    if (!m_file.scan(columns.table->name, take, &failure))
        return failure;
    m_content.rowsInFile.append({EvaluationTable, rows});
    return QString();
}

// The program shows the last row's name, as the file's own program did.
void Reader::takeCompany()
{
    if (!m_columns.contains(CompanyTable))
        return;
    const Columns& columns = m_columns.value(CompanyTable);
    const QList<QStringList>& rows = m_tables.value(CompanyTable).rows;
    for (qsizetype n = 0; n < rows.size(); ++n) {
        const QString& name = columns.text(rows.at(n), 0);
        if (n + 1 == rows.size()) {
            m_content.company = name;
            m_content.hasCompany = true;
        } else if (!name.isEmpty()) {
            note(QString(), 0, QStringLiteral("Company.Name"), name,
                 QStringLiteral("the program keeps one company name, the last row's"));
        }
    }
}

} // namespace

std::optional<AccessContent> AccessContent::read(const QString& path, const QString& codePage,
                                                 QString* failure)
{
    AccessFile file(path);
    *failure = file.open(codePage);
    if (!failure->isEmpty())
        return std::nullopt;
    AccessContent content;
    content.sourcePath = path;
    content.kind = file.header().kind;
    content.textCodec = file.textCodec();
    Reader reader(file, content);
    *failure = reader.readTables();
    if (!failure->isEmpty())
        return std::nullopt;
    reader.takeShips();
    reader.takeDrills();
    reader.takeCompany();
    *failure = reader.takeAnswers();
    if (!failure->isEmpty())
        return std::nullopt;
    return content;
}

QList<int> AccessContent::years() const
{
    QSet<int> years;
    for (const DrillRecord& drill : drills)
        years.insert(drill.year);
    QList<int> ordered(years.cbegin(), years.cend());
    std::sort(ordered.begin(), ordered.end());
    return ordered;
}

int AccessContent::evaluations() const
{
    int count = 0;
    for (const DrillRecord& drill : drills)
        count +=
            int(!drill.drills[0].evaluation.isEmpty()) + int(!drill.drills[1].evaluation.isEmpty());
    return count;
}

QString AccessContent::description() const
{
    const QList<int> held = years();
    const QString span = held.isEmpty()     ? QStringLiteral("no year")
                         : held.size() == 1 ? QStringLiteral("1 year (%1)").arg(held.constFirst())
                                            : QStringLiteral("%1 years (%2 to %3)")
                                                  .arg(held.size())
                                                  .arg(held.constFirst())
                                                  .arg(held.constLast());
    QString text =
        QStringLiteral("The file %1 is an %2 database of the drill organizer. It holds %3 ships, "
                       "%4, %5 drill rows, %6 evaluations and the company name \"%7\".")
            .arg(quotedPath(sourcePath), AccessFile::kindName(kind))
            .arg(ships.size())
            .arg(span)
            .arg(drills.size())
            .arg(evaluations())
            .arg(company);
    if (!textCodec.isEmpty() && !ships.isEmpty()) {
        QStringList names;
        for (qsizetype n = 0; n < std::min<qsizetype>(3, ships.size()); ++n)
            names << u'"' + ships.at(n).name + u'"';
        text += QStringLiteral(" Its names are read in code page %1, for example %2; if they look "
                               "wrong, start the program with --access-codepage and the right "
                               "one.")
                    .arg(textCodec, names.join(QStringLiteral(", ")));
    }
    if (!findings.isEmpty())
        text += QStringLiteral(" %1 values cannot be taken over as they stand; the take-over "
                               "report lists them.")
                    .arg(findings.size());
    if (!ignored.isEmpty())
        text += QStringLiteral(" Not taken over: %1.").arg(ignored.join(QStringLiteral(", ")));
    return text;
}
