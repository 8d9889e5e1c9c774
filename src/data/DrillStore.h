#pragma once

#include "common/ClosedYear.h"
#include "data/DrillChange.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"
#include "data/DrillWriteResult.h"
#include "data/Ship.h"

#include <QHash>
#include <QList>
#include <QSqlQuery>

#include <chrono>
#include <functional>
#include <optional>

// Whether a year is closed, as read; `read` is false when the question failed.
struct ClosureRead
{
    bool read = false;
    std::optional<ClosedYear> closed;
};

// The drills of a year as read in one go, with the closure of the year.
struct YearRead
{
    bool read = false;
    QList<DrillRecord> records;
    DataFailure failure; // when not read
    ClosureRead closure;
};

// A year given its rows and read; `notMade` when no row could be made, and the year is then
// read as the empty year it still is.
struct MadeYear
{
    YearRead read;
    std::optional<DataFailure> notMade;
};

// The statements on the drills of one connection, each prepared once per session; used on the
// thread of that connection only. It keeps no records: whoever shows them does.
class DrillStore
{
public:
    explicit DrillStore(DrillDatabase& db);

    DrillDatabase& database() { return m_db; }

    // `expected` rows make room for a year read again, which mostly has as many as before.
    // Without `closureIfEmpty`, a year without drills is read without its closure: it is made
    // next, and its closure read with its rows.
    YearRead readYear(int year, qsizetype expected = 0, bool closureIfEmpty = true);
    // Gives every ship of the fleet a record of a year read as empty, and reads the year: on a
    // server in one statement, with the closure.
    MadeYear makeYear(int year, qsizetype expected);
    ClosureRead readClosure(int year);
    // The drills as they are now, in one statement; nothing when the read failed.
    std::optional<QList<DrillRecord>> readDrills(const QList<qint64>& idDrills);
    // Gives every ship of the fleet a record of the year, in one statement: all or nothing.
    bool addFleetYear(int year, DataFailure* failure);
    void addMissingRecords(int year, const QList<Ship>& ships);

    // Runs `read` without waiting for other users' locks: a list that met one says so at once,
    // and reads again later.
    template <typename Read> auto withoutWaiting(Read read)
    {
        setLockWait(std::chrono::milliseconds(0));
        auto result = read(m_db);
        setLockWait(m_db.busyTimeout());
        return result;
    }
    // Runs `attempt(DrillDatabase&)` without waiting; one that met another user's lock, as
    // `metLock(result)` says, tells `waiting` and runs again, waiting as long as the connection
    // does.
    template <typename Attempt, typename MetLock>
    auto waitingIfLocked(Attempt attempt, MetLock metLock, const std::function<void()>& waiting)
    {
        auto result = withoutWaiting(attempt);
        if (!metLock(result))
            return result;
        if (waiting)
            waiting();
        return attempt(m_db);
    }

    // See DrillDataSource::write.
    DrillWriteResult write(const DrillChange& change, const std::function<bool()>& alongside,
                           const std::function<void()>& waiting,
                           std::chrono::milliseconds lockWaitLimit);

private:
    struct FieldSwap;
    using Swap = std::function<FieldSwap(const QVariant& expected)>;

    bool writeAlongside(const std::function<bool()>& alongside);
    DrillWriteResult attemptWrite(const DrillChange& change, const std::function<bool()>& alongside,
                                  std::chrono::milliseconds wait);
    DrillWriteResult writeInTransaction(const DrillChange& change,
                                        const std::function<bool()>& alongside,
                                        std::chrono::milliseconds wait);
    DrillWriteResult swapped(const DrillChange& change, const Swap& swap);
    FieldSwap statementSwap(const DrillChange& change, const QVariant& expected);
    FieldSwap answersSwap(const DrillChange& change, const QVariant& expected);
    FieldSwap serverSwap(const DrillChange& change, const QVariant& expected,
                         std::chrono::milliseconds wait);
    // A server function, prepared once per connection; `session` tells for which connection
    // it is known whether the server has it.
    struct ServerCall
    {
        QSqlQuery query;
        int session = -1;
        bool ready = false;
    };
    // Whether the change goes through the server's own write; a connection that broke on the
    // way leaves its error in *broken.
    bool prepareServerWrite(const DrillChange& change, QSqlError* broken);
    // The statements that make a server function, asked for only when it is missing.
    using Making = QStringList (*)(const Dialect&);
    bool prepareServerCall(ServerCall& call, const char* function, int arguments, Making making,
                           QSqlError* broken);
    void makeServerWrite(const QStringList& making);
    void setLockWait(std::chrono::milliseconds wait);
    // A statement prepared once per connection: then each use is one round trip.
    struct SessionQuery
    {
        QSqlQuery query;
        int session = -1;
    };
    bool prepared(SessionQuery& statement, const QString& sql, const char* context);
    bool preparedMakeYear();
    QSqlQuery* fieldUpdate(DrillRecord::Column field, QSqlError* refused);

    DrillDatabase& m_db;
    SessionQuery m_yearQuery;
    SessionQuery m_drillsQuery;
    SessionQuery m_closureQuery;
    SessionQuery m_makeYearQuery;
    QHash<DrillRecord::Column, QSqlQuery> m_fieldUpdates;
    int m_fieldUpdatesSession = -1;
    ServerCall m_fieldWrite;
    ServerCall m_evaluationWrite;
};
