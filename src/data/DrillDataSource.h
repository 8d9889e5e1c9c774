#pragma once

#include "common/ClosedYear.h"
#include "data/DrillChange.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"
#include "data/DrillWriteResult.h"
#include "data/EvaluationTable.h"
#include "data/LockWaitCancel.h"
#include "data/Ship.h"
#include "data/WorkerCalls.h"
#include "data/YearClosure.h"

#include <QList>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

struct YearRead;

// The drills of one year: the rows of QuDrills for that year, as typed records.
// Whoever shows them rebuilds on refreshed(). The records are always one whole year as read
// and as since written through write(): a read that fails keeps the records it had.
// The statements run on the given connection, or through the given calls: then the calls
// that return what they did wait for them with the event loop running, and the answers of
// other requests that arrive meanwhile are taken in once that wait is over. Whoever takes
// input that could call again while a call waits holds it back from waitBegan() to settled():
// the waits of every user of the same calls.
class DrillDataSource : public QObject
{
    Q_OBJECT
public:
    using Column = DrillRecord::Column;
    using enum DrillRecord::Column;

    // How a load() ended.
    enum class Load
    {
        Read,
        RowsNotMade, // read as the empty year it still is; see failure()
        NotRead,     // the records stay those of recordsYear(); see failure()
    };

    explicit DrillDataSource(DrillDatabase& db, QObject* parent = nullptr);
    explicit DrillDataSource(WorkerCalls& calls, QObject* parent = nullptr);
    ~DrillDataSource() override;

    void setYear(int year) { m_year = year; }
    int year() const { return m_year; }

    // Reads the year's records; false when the read failed (see failure()), and the records
    // stay those of recordsYear(). Either way refreshed() follows.
    bool refresh();
    // Reads the year, first giving every ship its row when the year has none and `makeRows`
    // says so; the records stay as they are until then, and loaded() tells the outcome. A
    // later load() or cancelLoad() drops the answer of one still under way, and ends its wait
    // for a lock at once, so that no request waits behind it.
    void load(int year, bool makeRows);
    void cancelLoad();
    bool isLoading() const { return m_loading; }
    // Reads drills again, as another user changed them, all in one statement; recordRefreshed()
    // tells each record read, when the answer arrives. Drills the year does not hold are
    // ignored.
    void refreshDrills(const QList<qint64>& idDrills);
    const QList<DrillRecord>& records() const { return m_records; }
    int recordCount() const { return int(m_records.size()); }
    // The year the records belong to; 0 before the first read that succeeded.
    int recordsYear() const { return m_recordsYear; }
    // Whether the year of the records is closed, as read with them: asking costs nothing.
    const std::optional<ClosedYear>& closedYear() const { return m_closedYear; }
    // Reads the closure of the year again, as it was closed or reopened; false when it failed.
    bool refreshClosure();
    // Closes a year, or reopens it with a reason, as YearClosure does, waiting for it as for a
    // write; whoever shows the closure reads it again afterwards.
    struct ClosureChange
    {
        YearClosure::Outcome outcome = YearClosure::Outcome::Failed;
        QSqlError error;     // when Failed
        bool locked = false; // Failed as another user's lock outlasted the wait
    };
    ClosureChange closeYear(int year, int thisYear);
    ClosureChange reopenYear(int year, const QString& reason);

    // Opens the questionnaire's answers of a drill (EvaluationTable::open()) and hands them to
    // `opened` when they arrive: nothing when they could not be opened. Through a worker they
    // are waited for as a call's answer is, from waitBegan() to settled(), but the caller goes
    // on at once.
    using AnswersOpened = std::function<void(const std::optional<EvaluationTable::Answers>&)>;
    void openAnswers(qint64 idDrill, EvaluationTable::Drill drill, bool readOnly,
                     AnswersOpened opened);

    // Gives every ship of the fleet a record of the year, carrying only the ship and the year,
    // in one statement: all or nothing; false when nothing was added (see failure()).
    bool addFleetYear();
    // Why the last read or addFleetYear() that failed did so.
    const DataFailure& failure() const { return m_failure; }
    // Adds a record for every ship that has none in the year; never a second one. A ship whose
    // record cannot be added is skipped (and logged); the others still get theirs.
    void addMissingRecords(const QList<Ship>& ships);

    // Stores one drill change as a compare-and-set: the field is written only while it still
    // holds the value the change started from, so no other user's newer value is overwritten
    // unseen. The values are bound, never part of the statement. Only the eight drill fields
    // (DrillDate .. Master1) can be written. The record of the drill, wherever it now is among
    // the records, is updated to what the database holds afterwards (also on Conflict), and
    // recordRefreshed() tells which.
    // Whatever `alongside` writes goes into the same transaction (through a worker: on its
    // thread and connection); when it fails, its work alone is undone (alongsideDone says so)
    // and the field is still stored.
    // A write that meets another user's lock calls `waiting` once, before it waits; the whole
    // write waits at most lockWaitLimit() in all.
    // On a server, a write without `alongside` is one call of the server's field write (or its
    // evaluation write, for a change with answers): one round trip, and a second only when it
    // meets a lock. A change with answers writes them with the field in one transaction.
    DrillWriteResult write(const DrillChange& change, const std::function<bool()>& alongside = {},
                           const std::function<void()>& waiting = {});
    // The longest one write waits for other users' locks.
    static constexpr std::chrono::milliseconds lockWaitLimit() { return std::chrono::seconds(5); }
    // The record of a drill; nullptr when the year holds none.
    const DrillRecord* recordOf(qint64 idDrill) const;
    int indexOf(qint64 idDrill) const;

    // Whether a call waits for its answer: whoever changes the records should wait for
    // settled().
    bool isWaiting() const { return m_calls.isWaiting(); }

signals:
    void refreshed();
    void recordRefreshed(int index);
    void loaded(int year, DrillDataSource::Load load);
    // A call begins to wait for its answer.
    void waitBegan();
    // A wait is over, and the answers that arrived meanwhile are taken in.
    void settled();

private:
    template <typename Result, typename Work> Result call(Work work)
    {
        return m_calls.call<Result>(std::move(work));
    }
    template <typename Work, typename Answer>
    void request(Work work, Answer answer, LockWaitCancel::Flag cancelled = {})
    {
        m_calls.request(this, std::move(work), std::move(answer), std::move(cancelled));
    }
    using ClosureStatement = std::function<YearClosure::Outcome(DrillDatabase&, QSqlError*)>;
    ClosureChange changeClosure(ClosureStatement change);
    void giveUpLoad();
    void takeYear(int year, const YearRead& read);
    void takeDrills(const QList<DrillRecord>& records);

    std::unique_ptr<WorkerCalls> m_ownCalls; // on a connection of this thread
    WorkerCalls& m_calls;
    int m_year = 0;
    int m_recordsYear = 0;
    QList<DrillRecord> m_records;
    DataFailure m_failure;
    std::optional<ClosedYear> m_closedYear;
    bool m_loading = false;
    int m_loadNumber = 0;                 // counts the loads: only the latest is taken in
    LockWaitCancel::Flag m_loadCancelled; // of the load under way
};
