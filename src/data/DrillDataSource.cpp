#include "data/DrillDataSource.h"

#include "data/Dialect.h"
#include "data/DrillStore.h"

#include <utility>

namespace {

struct YearLoad
{
    DrillDataSource::Load load = DrillDataSource::Load::NotRead;
    YearRead read;
};

// A load given up stops before its next step. A year whose rows could not be made is read, and
// shown, as the empty year it still is.
YearLoad loadYear(DrillStore& store, int year, bool makeRows, qsizetype expected,
                  const std::atomic_bool& cancelled)
{
    using Load = DrillDataSource::Load;
    if (cancelled)
        return {};
    YearLoad done{Load::NotRead, store.readYear(year, expected, !makeRows)};
    if (!done.read.read)
        return done;
    done.load = Load::Read;
    if (!done.read.records.isEmpty() || !makeRows || cancelled)
        return done;
    MadeYear made = store.makeYear(year, expected);
    done.read = std::move(made.read);
    if (made.notMade) {
        done.load = Load::RowsNotMade;
        done.read.failure = *made.notMade;
    }
    done.load = done.read.read ? done.load : Load::NotRead;
    return done;
}

} // namespace

DrillDataSource::DrillDataSource(DrillDatabase& db, QObject* parent)
    : DrillDataSource(*new WorkerCalls(db), parent)
{
    m_ownCalls.reset(&m_calls);
}

DrillDataSource::DrillDataSource(WorkerCalls& calls, QObject* parent)
    : QObject(parent), m_calls(calls)
{
    setObjectName(QStringLiteral("yearDrills"));
    connect(&m_calls, &WorkerCalls::waitBegan, this, &DrillDataSource::waitBegan);
    connect(&m_calls, &WorkerCalls::settled, this, &DrillDataSource::settled);
}

DrillDataSource::~DrillDataSource() = default;

// Waited for as a call is, but with no event loop of its own, so that nothing runs inside the
// step that asked.
void DrillDataSource::openAnswers(qint64 idDrill, EvaluationTable::Drill drill, bool readOnly,
                                  AnswersOpened opened)
{
    m_calls.awaited(
        this,
        [idDrill, drill, readOnly](DrillStore& store) {
            return EvaluationTable::open(store.database(), idDrill, drill, readOnly);
        },
        std::move(opened));
}

bool DrillDataSource::refresh()
{
    const int year = m_year;
    const YearRead read = call<YearRead>([year, expected = m_records.size()](DrillStore& store) {
        return store.readYear(year, expected);
    });
    takeYear(year, read);
    return read.read;
}

void DrillDataSource::load(int year, bool makeRows)
{
    giveUpLoad();
    m_year = year;
    m_loading = true;
    const int number = ++m_loadNumber;
    m_loadCancelled = std::make_shared<std::atomic_bool>(false);
    request(
        [year, makeRows, expected = m_records.size(), cancelled = m_loadCancelled](
            DrillStore& store) { return loadYear(store, year, makeRows, expected, *cancelled); },
        [this, year, number](const YearLoad& done) {
            if (number != m_loadNumber)
                return; // cancelled, or overtaken by a later load
            m_loading = false;
            m_loadCancelled.reset();
            if (done.load == Load::RowsNotMade)
                m_failure = done.read.failure;
            if (done.load == Load::NotRead && m_recordsYear != 0)
                m_year = m_recordsYear; // the year shown still
            takeYear(year, done.read);
            emit loaded(year, done.load);
        },
        m_loadCancelled);
}

void DrillDataSource::cancelLoad()
{
    giveUpLoad();
    ++m_loadNumber;
    m_loading = false;
    m_year = m_recordsYear; // the year shown still
}

// The worker stops waiting for it, so that what comes next does not wait behind it.
void DrillDataSource::giveUpLoad()
{
    if (m_loadCancelled)
        m_calls.cancel(std::exchange(m_loadCancelled, nullptr));
}

void DrillDataSource::takeYear(int year, const YearRead& read)
{
    if (read.read) {
        m_records = read.records;
        m_recordsYear = year;
        if (read.closure.read)
            m_closedYear = read.closure.closed;
    } else {
        m_failure = read.failure;
    }
    emit refreshed();
}

bool DrillDataSource::refreshClosure()
{
    const int year = m_recordsYear;
    const ClosureRead read =
        call<ClosureRead>([year](DrillStore& store) { return store.readClosure(year); });
    if (read.read)
        m_closedYear = read.closed;
    return read.read;
}

// The change runs on the worker's connection, which also tells whether a failure was a lock.
DrillDataSource::ClosureChange DrillDataSource::changeClosure(ClosureStatement change)
{
    return call<ClosureChange>([change = std::move(change)](DrillStore& store) {
        QSqlError error;
        const auto outcome = change(store.database(), &error);
        const bool failed = outcome == YearClosure::Outcome::Failed;
        return ClosureChange{
            outcome, error,
            failed && store.database().dialect().isWaitExceeded(error.nativeErrorCode())};
    });
}

DrillDataSource::ClosureChange DrillDataSource::closeYear(int year, int thisYear)
{
    return changeClosure([year, thisYear](DrillDatabase& db, QSqlError* error) {
        return YearClosure::close(db, year, thisYear, error);
    });
}

DrillDataSource::ClosureChange DrillDataSource::reopenYear(int year, const QString& reason)
{
    return changeClosure([year, reason](DrillDatabase& db, QSqlError* error) {
        return YearClosure::reopen(db, year, reason, error);
    });
}

void DrillDataSource::refreshDrills(const QList<qint64>& idDrills)
{
    QList<qint64> held;
    for (const qint64 idDrill : idDrills) {
        if (indexOf(idDrill) >= 0)
            held.append(idDrill);
    }
    if (held.isEmpty())
        return;
    request([held](DrillStore& store) { return store.readDrills(held); },
            [this](const std::optional<QList<DrillRecord>>& records) {
                if (records)
                    takeDrills(*records);
            });
}

void DrillDataSource::takeDrills(const QList<DrillRecord>& records)
{
    for (const DrillRecord& record : records) {
        if (const int index = indexOf(record.idDrill); index >= 0) {
            m_records[index] = record;
            emit recordRefreshed(index);
        }
    }
}

bool DrillDataSource::addFleetYear()
{
    const int year = m_year;
    const auto added = call<std::pair<bool, DataFailure>>([year](DrillStore& store) {
        DataFailure failure;
        const bool done = store.addFleetYear(year, &failure);
        return std::pair(done, failure);
    });
    if (!added.first)
        m_failure = added.second;
    return added.first;
}

void DrillDataSource::addMissingRecords(const QList<Ship>& ships)
{
    const int year = m_year;
    call<bool>([year, ships](DrillStore& store) {
        store.addMissingRecords(year, ships);
        return true;
    });
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

DrillWriteResult DrillDataSource::write(const DrillChange& change,
                                        const std::function<bool()>& alongside,
                                        const std::function<void()>& waiting)
{
    // The wait is told here, where the status line is.
    const std::function<void()> told = m_calls.toldHere(waiting);
    const DrillWriteResult result =
        call<DrillWriteResult>([change, alongside, told](DrillStore& store) {
            return store.write(change, alongside, told, lockWaitLimit());
        });
    using Outcome = DrillWriteResult::Outcome;
    const bool known = result.outcome == Outcome::Written || result.outcome == Outcome::Unchanged ||
                       result.outcome == Outcome::Conflict;
    if (const int index = indexOf(change.idDrill); known && index >= 0) {
        m_records[index].set(change.field, result.storedNow);
        emit recordRefreshed(index);
    }
    return result;
}
