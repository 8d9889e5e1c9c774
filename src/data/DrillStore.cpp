#include "data/DrillStore.h"

#include "common/DateText.h"
#include "data/Dialect.h"
#include "data/DrillDatabase.h"
#include "data/RowValues.h"
#include "data/Schema.h"
#include "data/SqliteConnection.h"
#include "data/YearClosure.h"
#include "data/YearRows.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlError>
#include <QSqlQuery>
#include <QtDebug>

#include <algorithm>
#include <optional>

namespace {

// The field behind a writable column, as the statement names it; empty for the others.
QString fieldName(DrillRecord::Column column)
{
    const bool writable = column >= DrillRecord::DrillDate && column <= DrillRecord::Master1;
    return writable ? Schema::drillColumns().at(column) : QString();
}

// The drill's columns begin at `first`.
DrillRecord recordRead(const RowValues& row, int first = 0)
{
    DrillRecord record;
    record.idDrill = row.number(first + DrillRecord::IDDrill);
    record.idShip = row.number(first + DrillRecord::IDShip);
    record.shipName = row.text(first + DrillRecord::ShipName);
    record.year = int(row.number(first + DrillRecord::YearDrill));
    for (int column = DrillRecord::DrillDate; column <= DrillRecord::Master1; ++column)
        record.set(DrillRecord::Column(column), row.text(first + column));
    return record;
}

// The closure and the drills of a year, after the year's rows are made from the fleet's ships:
// the rows made and those there before (another program's), all in one statement. A row that
// the other program has not committed yet is read with its notification.
QString makeYearStatement(const Dialect& dialect)
{
    const QString columns = Schema::drillColumns().join(QStringLiteral(", "));
    return QStringLiteral(
               "WITH made AS (INSERT INTO Drills (IDShip, ShipName, YearDrill) "
               "SELECT IDShip, ShipName, CAST(? AS INTEGER) FROM Ships WHERE NOT EXISTS "
               "(SELECT 1 FROM ClosedYears WHERE YearDrill = ?) ORDER BY IDShip "
               "ON CONFLICT (IDShip, YearDrill) DO NOTHING RETURNING %1), "
               "year_rows AS (SELECT * FROM made UNION ALL SELECT %1 FROM Drills WHERE YearDrill "
               "= ?) SELECT c.ClosedAt, c.ClosedBy, r.* FROM (SELECT 1) AS one "
               "LEFT JOIN ClosedYears c ON c.YearDrill = ? LEFT JOIN year_rows r ON TRUE "
               "ORDER BY %2, r.IDDrill")
        .arg(columns, dialect.nameOrder(QStringLiteral("r.ShipName")));
}
constexpr int ClosureColumns = 2;

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

using Outcome = DrillWriteResult::Outcome;

EvaluationTable::Answers wantedAnswers(const DrillChange& change)
{
    return change.answers ? change.answers->wanted : EvaluationTable::Answers{};
}

EvaluationTable::Drill evaluatedDrill(const DrillChange& change)
{
    return DrillRecord::drillOf(change.field) == 1 ? EvaluationTable::Drill::Second
                                                   : EvaluationTable::Drill::First;
}

DrillWriteResult refusal(const Dialect& dialect, const QSqlError& error)
{
    const bool busy = dialect.isWaitExceeded(error.nativeErrorCode());
    return {busy ? Outcome::Busy : Outcome::Failed, {}, DataFailure::of(error), true};
}

} // namespace

// What one compare-and-set found: whether it wrote, and if not, whether the drill is still
// there and what its field holds; or the database's refusal.
struct DrillStore::FieldSwap
{
    bool written = false;
    bool present = true;
    QVariant held;
    std::optional<QSqlError> error;
    EvaluationTable::Answers heldAnswers{}; // of a change with answers

    static FieldSwap wrote() { return {true, true, {}, {}, {}}; }
    static FieldSwap holding(bool present, const QVariant& held,
                             const EvaluationTable::Answers& answers = {})
    {
        return {false, present, held, {}, answers};
    }
    static FieldSwap refused(const QSqlError& error) { return {false, false, {}, error, {}}; }
};

DrillStore::DrillStore(DrillDatabase& db) : m_db(db) {}

// On a server, the first read of a session prepares the making of a year too: a step to a year
// without rows then costs no round trip more than one to a year with them.
bool DrillStore::preparedMakeYear()
{
    return prepared(m_makeYearQuery, makeYearStatement(m_db.dialect()),
                    "Adding the drill rows of a year");
}

YearRead DrillStore::readYear(int year, qsizetype expected, bool closureIfEmpty)
{
    if (!m_db.location().isFile())
        preparedMakeYear();
    YearRead read;
    QSqlQuery& query = m_yearQuery.query;
    bool ok = prepared(m_yearQuery, QStringLiteral("SELECT * FROM QuDrills WHERE YearDrill = ?"),
                       "Reading the drills of a year");
    if (ok) {
        query.addBindValue(year);
        ok = DrillDatabase::exec(query, "Reading the drills of a year");
    }
    read.records.reserve(expected);
    const RowValues row(query);
    while (ok && query.next())
        read.records.append(recordRead(row));
    // A read that breaks off part-way is a failed read, not a shorter year.
    if (ok && query.lastError().isValid()) {
        qWarning().noquote() << "Reading the drills of a year broke off:"
                             << query.lastError().text();
        ok = false;
    }
    if (!ok)
        read.failure = DataFailure::of(query.lastError());
    // A statement left open would hold SQLite's read lock.
    query.finish();
    read.read = ok;
    if (ok && (closureIfEmpty || !read.records.isEmpty()))
        read.closure = readClosure(year);
    else if (!ok)
        read.records.clear();
    return read;
}

MadeYear DrillStore::makeYear(int year, qsizetype expected)
{
    // The year stays as read: empty, with its closure.
    const auto notMade = [&](const DataFailure& failure) {
        return MadeYear{{true, {}, {}, readClosure(year)}, failure};
    };
    if (m_db.location().isFile()) { // no round trips to spare
        DataFailure failure;
        return addFleetYear(year, &failure) ? MadeYear{readYear(year, expected), std::nullopt}
                                            : notMade(failure);
    }
    QSqlQuery& query = m_makeYearQuery.query;
    bool ok = preparedMakeYear();
    if (ok) {
        for (int bound = 0; bound < 4; ++bound)
            query.addBindValue(year);
        ok = DrillDatabase::exec(query, "Adding the drill rows of a year");
    }
    if (!ok)
        return notMade(DataFailure::of(query.lastError()));
    MadeYear made;
    made.read.read = true;
    made.read.closure.read = true;
    made.read.records.reserve(expected);
    const RowValues row(query);
    while (query.next()) {
        if (!query.value(0).isNull())
            made.read.closure.closed = YearClosure::closedYearRead(year, query);
        if (!query.value(ClosureColumns + DrillRecord::IDDrill).isNull())
            made.read.records.append(recordRead(row, ClosureColumns));
    }
    query.finish();
    return made;
}

ClosureRead DrillStore::readClosure(int year)
{
    QSqlQuery& query = m_closureQuery.query;
    if (!prepared(m_closureQuery, YearClosure::closedInfoStatement(),
                  "Reading whether a year is closed"))
        return {};
    query.addBindValue(year);
    if (!DrillDatabase::exec(query, "Reading whether a year is closed"))
        return {};
    ClosureRead read{true, std::nullopt};
    if (query.next())
        read.closed = YearClosure::closedYearRead(year, query);
    query.finish();
    return read;
}

bool DrillStore::prepared(SessionQuery& statement, const QString& sql, const char* context)
{
    if (statement.session == m_db.session())
        return true;
    statement.query = QSqlQuery(m_db.connection());
    RowValues::readMany(statement.query);
    if (!statement.query.prepare(sql)) {
        qWarning().noquote() << context << "failed:" << statement.query.lastError().text();
        return false;
    }
    statement.session = m_db.session();
    return true;
}

std::optional<QList<DrillRecord>> DrillStore::readDrills(const QList<qint64>& idDrills)
{
    QJsonArray wanted;
    for (const qint64 idDrill : idDrills)
        wanted.append(idDrill);
    QSqlQuery& query = m_drillsQuery.query;
    if (!prepared(m_drillsQuery,
                  QStringLiteral("SELECT * FROM QuDrills WHERE %1")
                      .arg(m_db.dialect().inBoundList(QStringLiteral("IDDrill"))),
                  "Reading drills again"))
        return std::nullopt;
    query.addBindValue(QString::fromUtf8(QJsonDocument(wanted).toJson(QJsonDocument::Compact)));
    if (!DrillDatabase::exec(query, "Reading drills again"))
        return std::nullopt;
    QList<DrillRecord> records;
    const RowValues row(query);
    while (query.next())
        records.append(recordRead(row));
    query.finish();
    return records;
}

bool DrillStore::addFleetYear(int year, DataFailure* failure)
{
    // Another program may be adding the same year at this moment: only what is missing is added.
    return YearRows::addMissing(m_db, year, failure) >= 0;
}

void DrillStore::addMissingRecords(int year, const QList<Ship>& ships)
{
    m_db.inTransaction([&] {
        QSqlQuery query(m_db.connection());
        query.prepare(QStringLiteral(
            "INSERT INTO Drills (IDShip, ShipName, YearDrill) SELECT ?, ?, ? WHERE NOT EXISTS "
            "(SELECT 1 FROM Drills WHERE IDShip = ? AND YearDrill = ?) AND NOT EXISTS "
            "(SELECT 1 FROM ClosedYears WHERE YearDrill = ?)"));
        for (const Ship& ship : ships) {
            for (const QVariant& value : {QVariant(ship.id), QVariant(ship.name), QVariant(year),
                                          QVariant(ship.id), QVariant(year), QVariant(year)})
                query.addBindValue(value);
            DrillDatabase::exec(query, "Adding the drill row of a new ship");
        }
        return true;
    });
}

// The work beside a field write is not worth the field: when it fails, it is undone alone.
bool DrillStore::writeAlongside(const std::function<bool()>& alongside)
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

void DrillStore::setLockWait(std::chrono::milliseconds wait)
{
    const QSqlDatabase db = m_db.connection();
    if (!db.isOpen() || SqliteConnection::setBusyTimeout(db, wait))
        return;
    QSqlQuery query(db);
    query.exec(m_db.dialect().lockWait(wait));
}

DrillWriteResult DrillStore::write(const DrillChange& change,
                                   const std::function<bool()>& alongside,
                                   const std::function<void()>& waiting,
                                   std::chrono::milliseconds lockWaitLimit)
{
    Q_ASSERT(!fieldName(change.field).isEmpty());
    if (change.changesNothing())
        return {Outcome::Unchanged, change.value, {}, true, wantedAnswers(change)};
    // A free database answers at once; only a locked one is waited for, and the user is told
    // before the wait begins.
    DrillWriteResult result = attemptWrite(change, alongside, std::chrono::milliseconds(0));
    if (result.outcome == Outcome::Busy) {
        if (waiting)
            waiting();
        result = attemptWrite(change, alongside, lockWaitLimit);
    }
    if (result.outcome == Outcome::Failed && !m_db.isAlive())
        result.outcome = Outcome::ConnectionLost;
    return result;
}

DrillWriteResult DrillStore::attemptWrite(const DrillChange& change,
                                          const std::function<bool()>& alongside,
                                          std::chrono::milliseconds wait)
{
    QSqlError broken;
    if (!alongside && prepareServerWrite(change, &broken))
        return swapped(
            change, [&](const QVariant& expected) { return serverSwap(change, expected, wait); });
    if (broken.isValid())
        return refusal(m_db.dialect(), broken);
    return writeInTransaction(change, alongside, wait);
}

// The outcome of a compare-and-set from the value the change started from. A field holding
// that value spelt otherwise (an empty text for nothing) is still the user's to change: the
// swap is made once more from what the field holds.
DrillWriteResult DrillStore::swapped(const DrillChange& change, const Swap& swap)
{
    FieldSwap found = swap(boundValue(change.startedFrom));
    const auto spelling = [&] { return storedForm(change.field, found.held); };
    const auto answersHeld = [&](const EvaluationTable::Answers& answers) {
        return !change.answers || found.heldAnswers == answers;
    };
    if (!found.error && !found.written && found.present && spelling() == change.startedFrom &&
        answersHeld(change.answers ? change.answers->startedFrom : EvaluationTable::Answers{}))
        found = swap(found.held);
    if (found.error)
        return refusal(m_db.dialect(), *found.error);
    if (found.written)
        return {Outcome::Written, change.value, {}, true, wantedAnswers(change)};
    if (!found.present) // deleted behind the program's back: it must not look stored
        return {Outcome::Gone, {}, {}, true, {}};
    const QString storedNow = spelling();
    const bool asWanted =
        storedNow == change.value &&
        answersHeld(change.answers ? change.answers->wanted : EvaluationTable::Answers{});
    return {
        asWanted ? Outcome::Unchanged : Outcome::Conflict, storedNow, {}, true, found.heldAnswers};
}

DrillWriteResult DrillStore::writeInTransaction(const DrillChange& change,
                                                const std::function<bool()>& alongside,
                                                std::chrono::milliseconds wait)
{
    using namespace std::chrono;
    const auto deadline = steady_clock::now() + wait;
    const auto waitLeft = [&] {
        return std::max(0ms, duration_cast<milliseconds>(deadline - steady_clock::now()));
    };
    DrillWriteResult result;
    QSqlError transactionError;
    const bool committed = m_db.inTransaction(
        [&] {
            setLockWait(waitLeft());
            result = swapped(
                change, [&](const QVariant& expected) { return statementSwap(change, expected); });
            if (result.outcome != Outcome::Written)
                return false;
            result.alongsideDone = !alongside || writeAlongside(alongside);
            setLockWait(waitLeft()); // the commit may wait for readers
            return true;
        },
        &transactionError);
    if (!committed && result.outcome == Outcome::Written)
        result = refusal(m_db.dialect(), transactionError);
    setLockWait(m_db.busyTimeout());
    return result;
}

DrillStore::FieldSwap DrillStore::statementSwap(const DrillChange& change, const QVariant& expected)
{
    const QString field = fieldName(change.field);
    QSqlError refusedPrepare;
    QSqlQuery* update = fieldUpdate(change.field, &refusedPrepare);
    if (!update)
        return FieldSwap::refused(refusedPrepare);
    update->addBindValue(boundValue(change.value));
    update->addBindValue(change.idDrill);
    update->addBindValue(expected);
    const bool done = DrillDatabase::exec(*update, "Writing a drill field");
    const QSqlError error = update->lastError();
    const int changed = update->numRowsAffected();
    update->finish(); // a statement left active would keep the file busy
    if (!done)
        return FieldSwap::refused(error);
    if (changed > 0)
        return change.answers ? answersSwap(change, expected) : FieldSwap::wrote();
    QSqlQuery read(m_db.connection());
    read.prepare(QStringLiteral("SELECT %1 FROM Drills WHERE IDDrill = ?").arg(field));
    read.addBindValue(change.idDrill);
    if (!DrillDatabase::exec(read, "Reading a drill field"))
        return FieldSwap::refused(read.lastError());
    if (!read.next())
        return FieldSwap::holding(false, {});
    const QVariant held = read.value(0);
    read.finish();
    if (!change.answers)
        return FieldSwap::holding(true, held);
    const auto answers = EvaluationTable::load(m_db, change.idDrill, evaluatedDrill(change));
    return answers ? FieldSwap::holding(true, held, *answers) : FieldSwap::refused(QSqlError());
}

// The total is written, within the transaction; the answers follow while they still are what
// the questionnaire opened with, and otherwise the caller undoes the total.
DrillStore::FieldSwap DrillStore::answersSwap(const DrillChange& change, const QVariant& expected)
{
    const auto held = EvaluationTable::load(m_db, change.idDrill, evaluatedDrill(change));
    if (!held)
        return FieldSwap::refused(QSqlError());
    if (*held != change.answers->startedFrom)
        return FieldSwap::holding(true, expected, *held);
    QSqlError refused;
    if (!EvaluationTable::store(m_db, change.idDrill, evaluatedDrill(change),
                                change.answers->wanted, &refused))
        return FieldSwap::refused(refused);
    return FieldSwap::wrote();
}

// The statement, with the history triggers it fires, is compiled once per connection and
// field: compiling them again for every edit cost as much as running them.
QSqlQuery* DrillStore::fieldUpdate(DrillRecord::Column field, QSqlError* refused)
{
    if (m_fieldUpdatesSession != m_db.session()) {
        m_fieldUpdates.clear();
        m_fieldUpdatesSession = m_db.session();
    }
    if (const auto found = m_fieldUpdates.find(field); found != m_fieldUpdates.end())
        return &found.value();
    QSqlQuery update(m_db.connection());
    // Preparing takes the table's lock too, and may wait out the limit.
    if (!update.prepare(QStringLiteral("UPDATE Drills SET %1 = ? WHERE IDDrill = ? AND %1 %2 ?")
                            .arg(fieldName(field), m_db.dialect().sameValue()))) {
        *refused = update.lastError();
        return nullptr;
    }
    return &m_fieldUpdates.insert(field, update).value();
}

DrillStore::FieldSwap DrillStore::serverSwap(const DrillChange& change, const QVariant& expected,
                                             std::chrono::milliseconds wait)
{
    QSqlQuery& call = change.answers ? m_evaluationWrite.query : m_fieldWrite.query;
    QVariantList values = {change.idDrill};
    if (change.answers)
        values << QVariant(evaluatedDrill(change) == EvaluationTable::Drill::Second) << expected
               << boundValue(change.value) << EvaluationTable::digits(change.answers->startedFrom)
               << EvaluationTable::digits(change.answers->wanted);
    else
        values << fieldName(change.field) << expected << boundValue(change.value);
    values << qint64(wait.count());
    for (const QVariant& value : std::as_const(values))
        call.addBindValue(value);
    if (!DrillDatabase::exec(call, "Writing a drill field") || !call.next())
        return FieldSwap::refused(call.lastError());
    FieldSwap found = call.value(0).toBool()
                          ? FieldSwap::wrote()
                          : FieldSwap::holding(call.value(1).toBool(), call.value(2));
    if (change.answers)
        found.heldAnswers = EvaluationTable::fromDigits(call.value(3).toString());
    call.finish();
    return found;
}

// The server's writes, each prepared once per connection. A database made by an earlier
// version gets the function from the first program whose role may make it; without it, a
// write takes the longer way of a transaction of its own.
bool DrillStore::prepareServerWrite(const DrillChange& change, QSqlError* broken)
{
    if (!m_db.dialect().hasFunctions())
        return false;
    if (change.answers)
        return prepareServerCall(m_evaluationWrite, Schema::EvaluationWriteFunction, 7,
                                 Schema::evaluationWriteStatements, broken);
    return prepareServerCall(m_fieldWrite, Schema::FieldWriteFunction, 5,
                             Schema::fieldWriteStatements, broken);
}

bool DrillStore::prepareServerCall(ServerCall& call, const char* function, int arguments,
                                   Making making, QSqlError* broken)
{
    if (call.session == m_db.session())
        return call.ready;
    QStringList marks;
    for (int argument = 0; argument < arguments; ++argument)
        marks << QStringLiteral("?");
    const QString statement = QStringLiteral("SELECT * FROM %1(%2)")
                                  .arg(QLatin1String(function), marks.join(QStringLiteral(", ")));
    call.query = QSqlQuery(m_db.connection());
    call.ready = call.query.prepare(statement);
    if (!call.ready) {
        // A connection that broke tells nothing of the function: it is asked again next time.
        if (!m_db.isAlive()) {
            *broken = call.query.lastError();
            qWarning().noquote() << "Writing a drill field failed:" << broken->text();
            return false;
        }
        makeServerWrite(making(m_db.dialect()));
        call.ready = call.query.prepare(statement);
    }
    call.session = m_db.session();
    return call.ready;
}

void DrillStore::makeServerWrite(const QStringList& making)
{
    m_db.inTransaction([&] {
        QSqlQuery query(m_db.connection());
        // Of two programs at once, the second waits here, and then finds the function made.
        const QStringList statements = QStringList{m_db.dialect().schemaLock()} + making;
        return std::all_of(statements.begin(), statements.end(),
                           [&](const QString& statement) { return query.exec(statement); });
    });
}
