#include "data/AccessTakeOver.h"

#include "common/Csv.h"
#include "common/LoginName.h"
#include "data/BulkRows.h"
#include "data/Dialect.h"
#include "data/DrillDatabase.h"
#include "data/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSqlError>
#include <QSqlQuery>

namespace {

using AccessTakeOver::Outcome;

// The server's history triggers that would record every row taken over, one entry per value.
const QStringList RowHistoryTriggers = {QStringLiteral("Ships:orx_history_ships_insert"),
                                        QStringLiteral("Evaluation:orx_history_evaluation_insert"),
                                        QStringLiteral("Company:orx_history_company_update")};

// The values not carried that the summary lists; the report file has them all.
constexpr qsizetype ShownFindings = 8;

QString quotedPath(const QString& path)
{
    return u'"' + QDir::toNativeSeparators(path) + u'"';
}

// <folder>/<base><suffix>, with -2, -3 ... before the extension when that is taken.
QString freeName(const QString& folder, const QString& base, const QString& extension)
{
    QString name = QStringLiteral("%1/%2.%3").arg(folder, base, extension);
    for (int n = 2; QFileInfo::exists(name); ++n)
        name = QStringLiteral("%1/%2-%3.%4").arg(folder, base).arg(n).arg(extension);
    return name;
}

QVariant valueOrNull(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}

struct TableCount
{
    QString table;
    qsizetype inFile = 0;
    qsizetype taken = 0;
};

// The tables the file has, with their rows there and taken over.
QList<TableCount> countsOf(const AccessContent& content)
{
    const QHash<QString, qsizetype> taken = {
        {QStringLiteral("Ships"), content.ships.size()},
        {QStringLiteral("Drills"), content.drills.size()},
        {QStringLiteral("Evaluation"), content.answers.size()},
        {QStringLiteral("Company"), content.hasCompany ? 1 : 0}};
    QList<TableCount> counts;
    for (const auto& [table, rows] : content.rowsInFile)
        counts.append({table, rows, taken.value(table)});
    return counts;
}

class Writer
{
public:
    // A new file's schema is made in the same transaction as its content.
    Writer(BulkRows& rows, const Dialect& dialect, const AccessContent& content,
           const QDateTime& now, QStringList schema = {})
        : m_rows(rows), m_dialect(dialect), m_content(content), m_now(now),
          m_schema(std::move(schema))
    {
    }

    // Empty on success; nothing is written otherwise.
    QString writeAll();

private:
    bool run(const QString& statement, const QVariantList& values);
    bool insertInto(const QString& table, const QStringList& columns);
    bool writeShips();
    bool writeDrills();
    bool writeAnswers();
    bool writeHistory(const QString& table, qsizetype rows);
    bool switchRowHistory(bool on);
    bool moveKeysOn();

    BulkRows& m_rows;
    const Dialect& m_dialect;
    const AccessContent& m_content;
    QDateTime m_now;
    QStringList m_schema;
};

bool Writer::run(const QString& statement, const QVariantList& values)
{
    if (!m_rows.prepare(statement))
        return false;
    for (qsizetype n = 0; n < values.size(); ++n)
        m_rows.bind(int(n), values.at(n));
    return m_rows.step();
}

bool Writer::insertInto(const QString& table, const QStringList& columns)
{
    return m_rows.prepare(
        QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
            .arg(table, columns.join(QStringLiteral(", ")),
                 QStringList(columns.size(), QStringLiteral("?")).join(QStringLiteral(", "))));
}

bool Writer::writeShips()
{
    if (!insertInto(QStringLiteral("Ships"),
                    {QStringLiteral("IDShip"), QStringLiteral("ShipName")}))
        return false;
    for (const Ship& ship : m_content.ships) {
        m_rows.bind(0, ship.id);
        m_rows.bind(1, ship.name);
        if (!m_rows.step())
            return false;
    }
    return true;
}

bool Writer::writeDrills()
{
    if (!insertInto(QStringLiteral("Drills"), Schema::drillColumns()))
        return false;
    for (const DrillRecord& drill : m_content.drills) {
        for (int column = 0; column < DrillRecord::ColumnCount; ++column)
            m_rows.bind(column, valueOrNull(drill.stored(DrillRecord::Column(column))));
        if (!m_rows.step())
            return false;
    }
    return true;
}

bool Writer::writeAnswers()
{
    QStringList columns = {QStringLiteral("IDDrill"), QStringLiteral("IDQu")};
    for (const QString& prefix : {QStringLiteral("Ev"), QStringLiteral("Ev1")}) {
        for (int scale = 1; scale <= 5; ++scale)
            columns << prefix + QString::number(scale);
    }
    if (!insertInto(QStringLiteral("Evaluation"), columns))
        return false;
    for (const AccessAnswers& answers : m_content.answers) {
        m_rows.bind(0, answers.idDrill);
        m_rows.bind(1, answers.question);
        for (int flag = 0; flag < int(answers.flags.size()); ++flag)
            m_rows.bind(flag + 2, int(answers.flags[flag]));
        if (!m_rows.step())
            return false;
    }
    return true;
}

bool Writer::writeHistory(const QString& table, qsizetype rows)
{
    // Where the engine knows the login (a server's role), the entry names it, as every other
    // entry there does.
    const bool known = m_dialect.keepsHistoryItself();
    return run(QStringLiteral("INSERT INTO History (ChangedAt, ChangedBy, TableName, RecordId, "
                              "Field, OldValue, NewValue) VALUES (?, %1, ?, 0, ?, ?, ?)")
                   .arg(known ? m_dialect.currentUser() : QStringLiteral("?")),
               QVariantList{m_now.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"))} +
                   (known ? QVariantList{} : QVariantList{LoginName::current()}) +
                   QVariantList{table, QStringLiteral("Taken over"),
                                QDir::toNativeSeparators(m_content.sourcePath),
                                QStringLiteral("%1 rows").arg(rows)});
}

// Disabling a trigger takes the table's lock until the transaction ends, so no other
// connection writes unrecorded meanwhile.
bool Writer::switchRowHistory(bool on)
{
    if (!m_dialect.keepsHistoryItself())
        return true;
    for (const QString& entry : RowHistoryTriggers) {
        const QStringList parts = entry.split(u':');
        if (!m_rows.run(QStringLiteral("ALTER TABLE %1 %2 TRIGGER %3")
                            .arg(parts.at(0),
                                 on ? QStringLiteral("ENABLE") : QStringLiteral("DISABLE"),
                                 parts.at(1))))
            return false;
    }
    return true;
}

// New rows start past the largest key given.
bool Writer::moveKeysOn()
{
    for (const auto& [table, key] :
         {std::pair{QStringLiteral("Ships"), QStringLiteral("IDShip")},
          std::pair{QStringLiteral("Drills"), QStringLiteral("IDDrill")}}) {
        const QString statement = m_dialect.keyCounterPast(table, key);
        if (!statement.isEmpty() && !m_rows.run(statement))
            return false;
    }
    return true;
}

QString Writer::writeAll()
{
    const bool written = m_rows.inTransaction([this] {
        for (const QString& statement : m_schema) {
            if (!m_rows.run(statement))
                return false;
        }
        if (!switchRowHistory(false) || !writeShips() || !writeDrills() || !writeAnswers())
            return false;
        if (m_content.hasCompany &&
            !run(QStringLiteral("UPDATE Company SET Name = ?"), {m_content.company}))
            return false;
        for (const TableCount& count : countsOf(m_content)) {
            if (!writeHistory(count.table, count.taken))
                return false;
        }
        return moveKeysOn() && switchRowHistory(true);
    });
    return written ? QString() : m_rows.failure();
}

QString yearText(int year)
{
    return year ? QString::number(year) : QString();
}

QString summaryOf(const AccessContent& content)
{
    QStringList lines;
    for (const TableCount& count : countsOf(content))
        lines << QStringLiteral("%1: %2 rows in the Access file, %3 taken over.")
                     .arg(count.table)
                     .arg(count.inFile)
                     .arg(count.taken);
    if (content.findings.isEmpty())
        lines << QStringLiteral("Every value was taken over as it stood.");
    else
        lines << QStringLiteral("%1 values were not taken over as they stood:")
                     .arg(content.findings.size());
    for (const AccessFinding& finding :
         content.findings.first(std::min<qsizetype>(content.findings.size(), ShownFindings)))
        lines << QStringLiteral("- %1 %2, %3 \"%4\": %5")
                     .arg(finding.ship, yearText(finding.year), finding.field, finding.raw,
                          finding.why);
    if (content.findings.size() > ShownFindings)
        lines << QStringLiteral("... and %1 more, listed in the take-over report.")
                     .arg(content.findings.size() - ShownFindings);
    if (!content.ignored.isEmpty())
        lines << QStringLiteral("Not taken over: %1.")
                     .arg(content.ignored.join(QStringLiteral(", ")));
    return lines.join(u'\n');
}

QString csvOf(const AccessContent& content)
{
    QString csv = Csv::record({QStringLiteral("Table"), QStringLiteral("Rows in the Access file"),
                               QStringLiteral("Rows taken over")});
    for (const TableCount& count : countsOf(content))
        csv +=
            Csv::record({count.table, QString::number(count.inFile), QString::number(count.taken)});
    csv += Csv::record({QStringLiteral("Ship"), QStringLiteral("Year"), QStringLiteral("Field"),
                        QStringLiteral("Value"), QStringLiteral("Why")});
    for (const AccessFinding& finding : content.findings)
        csv += Csv::record(
            {finding.ship, yearText(finding.year), finding.field, finding.raw, finding.why});
    return csv;
}

// Where the take-over puts its files, and under which names.
struct Places
{
    QString folder;
    QString base; // "ORXmanager97-access-2026-03-02"

    Places(const QString& beside, const QDateTime& now)
        : folder(QFileInfo(beside).absolutePath()),
          base(QFileInfo(beside).completeBaseName() + QStringLiteral("-access-") +
               now.date().toString(QStringLiteral("yyyy-MM-dd")))
    {
    }
};

// Saves the report beside the database; empty on success, else why not.
QString saveReport(const AccessContent& content, const Places& places, Outcome& outcome)
{
    outcome.reportFile =
        freeName(places.folder, places.base + QStringLiteral("-report"), QStringLiteral("csv"));
    QSaveFile file(outcome.reportFile);
    if (file.open(QIODevice::WriteOnly) && file.write(csvOf(content).toUtf8()) >= 0 &&
        file.commit())
        return QString();
    return QStringLiteral("The take-over report %1 could not be written: %2")
        .arg(quotedPath(outcome.reportFile), file.errorString());
}

Outcome failed(Outcome outcome, const QString& failure)
{
    if (!outcome.reportFile.isEmpty())
        QFile::remove(outcome.reportFile);
    outcome.reportFile.clear();
    outcome.failure = failure + QStringLiteral(" Nothing was changed.");
    return outcome;
}

Outcome succeeded(Outcome outcome, const AccessContent& content, const QString& database)
{
    outcome.summary = QStringLiteral("The Access file %1 was taken over into %2.\n")
                          .arg(quotedPath(content.sourcePath), database) +
                      summaryOf(content) +
                      QStringLiteral("\nThe take-over report was saved as %1.")
                          .arg(quotedPath(outcome.reportFile));
    if (!outcome.keptAside.isEmpty())
        outcome.summary += QStringLiteral(" The Access file is kept unchanged as %1.")
                               .arg(quotedPath(outcome.keptAside));
    return outcome;
}

// A connection without the program's session triggers: the history gets one entry per table,
// not one per value.
QString writeFile(const AccessContent& content, const QString& path, const QDateTime& now,
                  const QStringList& schema = {})
{
    const std::unique_ptr<BulkRows> rows = BulkRows::onFile(path);
    if (!rows->failure().isEmpty())
        return rows->failure();
    return Writer(*rows, *Dialect::sqlite(), content, now, schema).writeAll();
}

// A new file, made under a name of its own and given the database's name once it is complete;
// an Access file in its place is moved aside first, and back when that fails.
Outcome intoNewFile(const AccessContent& content, const QString& path, bool accessInPlace,
                    const QDateTime& now)
{
    Outcome outcome;
    const Places places(path, now);
    const QString building = path + QStringLiteral(".access-new");
    const auto removeBuilding = [&] {
        QFile::remove(building + QStringLiteral("-journal"));
        QFile::remove(building);
    };
    removeBuilding(); // what a take-over cut short left
    QString failure =
        writeFile(content, building, now, Schema::createStatements(*Dialect::sqlite()));
    if (failure.isEmpty())
        failure = saveReport(content, places, outcome);
    if (failure.isEmpty() && accessInPlace) {
        outcome.keptAside = freeName(places.folder, places.base, QStringLiteral("mdb"));
        if (!QFile::rename(path, outcome.keptAside))
            failure = QStringLiteral("The Access file could not be moved aside.");
    }
    if (failure.isEmpty() && !QFile::rename(building, path)) {
        failure = QStringLiteral("The new database could not be given its name.");
        if (accessInPlace)
            QFile::rename(outcome.keptAside, path);
    }
    if (!failure.isEmpty()) {
        removeBuilding();
        outcome.keptAside.clear();
        return failed(outcome, QStringLiteral("The Access file %1 could not be taken over: %2")
                                   .arg(quotedPath(content.sourcePath), failure));
    }
    return succeeded(outcome, content, quotedPath(path));
}

// A database of this program that exists already: only when it holds no ships.
Outcome intoExisting(const AccessContent& content, const DatabaseLocation& location,
                     const QDateTime& now)
{
    Outcome outcome;
    const bool file = location.isFile();
    DrillDatabase db(location);
    const QString problem =
        db.open(file ? DrillDatabase::Creation::Refused : DrillDatabase::Creation::Allowed);
    if (!problem.isEmpty())
        return failed(outcome, problem);
    QSqlQuery count(db.connection());
    if (!count.exec(QStringLiteral("SELECT COUNT(*) FROM Ships")) || !count.next())
        return failed(outcome, count.lastError().text());
    const QString database = quotedPath(location.display());
    if (const int ships = count.value(0).toInt(); ships > 0)
        return failed(outcome,
                      QStringLiteral("The database %1 already holds %2 ships: an Access file is "
                                     "taken over only into a new or empty database.")
                          .arg(database)
                          .arg(ships));
    count.finish();
    QString failure =
        saveReport(content, Places(file ? location.filePath : content.sourcePath, now), outcome);
    if (failure.isEmpty() && file)
        failure = writeFile(content, location.filePath, now);
    else if (failure.isEmpty())
        failure =
            Writer(*BulkRows::onServer(db.connection()), db.dialect(), content, now).writeAll();
    if (!failure.isEmpty())
        return failed(outcome, QStringLiteral("The Access file %1 could not be taken over into "
                                              "%2: %3")
                                   .arg(quotedPath(content.sourcePath), database, failure));
    return succeeded(outcome, content, database);
}

} // namespace

AccessTakeOver::Outcome AccessTakeOver::run(const AccessContent& content,
                                            const DatabaseLocation& location, const QDateTime& now)
{
    if (location.isFile()) {
        const QFileInfo target(location.filePath);
        const bool accessInPlace = target == QFileInfo(content.sourcePath);
        if (accessInPlace || !target.exists())
            return intoNewFile(content, target.absoluteFilePath(), accessInPlace, now);
    }
    return intoExisting(content, location, now);
}
