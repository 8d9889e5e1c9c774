#pragma once

#include "common/ClosedYear.h"
#include "data/DrillChange.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"
#include "data/DrillWriteResult.h"
#include "data/Ship.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSqlQuery>

#include <chrono>
#include <functional>
#include <optional>

// The drills of one year: the rows of QuDrills for that year, as typed records.
// Whoever shows them rebuilds on refreshed(). The records are always one whole year as read
// and as since written through write(): a read that fails keeps the records it had.
class DrillDataSource : public QObject
{
    Q_OBJECT
public:
    using Column = DrillRecord::Column;
    using enum DrillRecord::Column;

    explicit DrillDataSource(DrillDatabase& db, QObject* parent = nullptr);

    void setYear(int year) { m_year = year; }
    int year() const { return m_year; }

    // Reads the year's records; false when the read failed (see failure()), and the records
    // stay those of recordsYear(). Either way refreshed() follows.
    bool refresh();
    // Reads drills again, as another user changed them, all in one statement; recordRefreshed()
    // tells each record read. Drills the year does not hold are ignored; false when the read
    // failed.
    bool refreshDrills(const QList<qint64>& idDrills);
    const QList<DrillRecord>& records() const { return m_records; }
    int recordCount() const { return int(m_records.size()); }
    // The year the records belong to; 0 before the first read that succeeded.
    int recordsYear() const { return m_recordsYear; }
    // Whether the year of the records is closed, as read with them: asking costs nothing.
    const std::optional<ClosedYear>& closedYear() const { return m_closedYear; }
    // Reads the closure of the year again, as it was closed or reopened; false when it failed.
    bool refreshClosure();

    // Gives every ship of the fleet a record of the year, carrying only the ship and the year,
    // in one statement: all or nothing; false when nothing was added (see failure()).
    bool addFleetYear();
    // Why the last refresh() or addFleetYear() that failed did so.
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
    // Whatever `alongside` writes goes into the same transaction; when it fails, its work
    // alone is undone (alongsideDone says so) and the field is still stored.
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

    // Whether the database still answers; a server may have gone away under a failed write.
    bool isConnected() const { return m_db.isAlive(); }

signals:
    void refreshed();
    void recordRefreshed(int index);

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
    using Making = QStringList (*)(DatabaseLocation::Engine);
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
    QSqlQuery* fieldUpdate(DrillRecord::Column field, QSqlError* refused);

    DrillDatabase& m_db;
    int m_year = 0;
    int m_recordsYear = 0;
    QList<DrillRecord> m_records;
    DataFailure m_failure;
    std::optional<ClosedYear> m_closedYear;
    SessionQuery m_yearQuery;
    SessionQuery m_drillsQuery;
    SessionQuery m_closureQuery;
    QHash<DrillRecord::Column, QSqlQuery> m_fieldUpdates;
    int m_fieldUpdatesSession = -1;
    ServerCall m_fieldWrite;
    ServerCall m_evaluationWrite;
};
