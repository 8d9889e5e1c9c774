// One drill edit on the server (local socket) beside the same edit on a SQLite file, each
// beside its bare side: a prepared UPDATE of one field of the same rows, on the same
// connection, without the data layer. Then the server at a distance: an edit and the load of
// a year through a proxy that holds each message 25 ms, with the round trips counted, beside
// the bare statements through the same proxy: the compare-and-set of one field, the year's
// rows with every value read; the edit that meets another user's lock has no bare side, it
// counts the round trips of the wait. The year load has a second bare side below Qt: libpq on
// its own connection through the same proxy, with the program's two statements (the year's
// rows, the year's closure) prepared once and each run in one round trip, every value fetched.
// Every edit, program or bare, in every repetition, writes a value never stored before: an UPDATE
// that changes nothing would be skipped by SQLite, and answered "unchanged" by the program without
// any SQL.
#include "DelayProxy.h"
#include "Engines.h"
#include "TestServer.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/YearClosure.h"
#include "data/YearRows.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

#include <benchmark/benchmark.h>
#include <libpq-fe.h>

#include <map>
#include <memory>

namespace {

// A year of drill rows for a fleet, kept for the whole run.
struct Year
{
    explicit Year(const QString& engine, int ships) : fresh(engine), db(fresh.location())
    {
        if (!fresh.failure().isEmpty() || !db.open().isEmpty())
            qFatal("Cannot open the %s database", qPrintable(engine));
        db.inTransaction([&] {
            QSqlQuery query(db.connection());
            query.prepare(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"));
            for (int ship = 1; ship <= ships; ++ship) {
                query.addBindValue(QStringLiteral("MV Ship %1").arg(ship));
                query.exec();
            }
            return true;
        });
        YearRows::addMissing(db, 2026);
        QSqlQuery ids(QStringLiteral("SELECT IDDrill FROM Drills"), db.connection());
        while (ids.next())
            rows << ids.value(0).toLongLong();
    }

    // The row and the value of edit number `n`: rows in turn, and always a new value.
    qint64 row(qint64 n) const { return rows.at(n % rows.size()); }
    static QString value(qint64 n) { return QStringLiteral("Master %1").arg(n); }

    Engines::FreshLocation fresh;
    DrillDatabase db;
    QList<qint64> rows;
    // Counted on across repetitions; the program writes Master, the bare side Master1, so that
    // neither finds the other's value where it expects its own.
    qint64 edits = 0;
    qint64 bareEdits = 0;
};

Year& yearOf(const QString& engine, int ships)
{
    static std::map<std::pair<QString, int>, std::unique_ptr<Year>> years;
    auto& year = years[{engine, ships}];
    if (!year)
        year = std::make_unique<Year>(engine, ships);
    return *year;
}

void edit(benchmark::State& state, const QString& engine)
{
    Year& year = yearOf(engine, int(state.range(0)));
    DrillDataSource source(year.db);
    source.setYear(2026);
    source.refresh();
    for (auto _ : state) {
        const qint64 n = year.edits++;
        const DrillRecord* record = source.recordOf(year.row(n));
        const auto result =
            source.write(DrillChange::of(*record, DrillRecord::Master, Year::value(n)));
        if (result.outcome != DrillWriteResult::Outcome::Written)
            state.SkipWithError("the edit was refused, or wrote nothing");
    }
}

// The same statement on the same connection, without the data layer.
void bare(benchmark::State& state, const QString& engine)
{
    Year& year = yearOf(engine, int(state.range(0)));
    for (auto _ : state) {
        const qint64 n = year.bareEdits++;
        QSqlQuery query(year.db.connection());
        query.prepare(QStringLiteral("UPDATE Drills SET Master1 = ? WHERE IDDrill = ?"));
        query.addBindValue(Year::value(n));
        query.addBindValue(year.row(n));
        if (!query.exec() || query.numRowsAffected() != 1)
            state.SkipWithError("the bare edit wrote nothing");
    }
}

void BM_EditSqlite(benchmark::State& state)
{
    edit(state, QStringLiteral("sqlite"));
}
void BM_BareUpdateSqlite(benchmark::State& state)
{
    bare(state, QStringLiteral("sqlite"));
}
void BM_EditPostgres(benchmark::State& state)
{
    edit(state, QStringLiteral("postgresql"));
}
void BM_BareUpdatePostgres(benchmark::State& state)
{
    bare(state, QStringLiteral("postgresql"));
}

constexpr int FarShips = 2000;

// A 2,000-ship year on the server, reached through the delaying proxy.
struct FarYear
{
    FarYear()
        : year(QStringLiteral("postgresql"), FarShips),
          proxy(TestServer::instance().socketFolder() + QStringLiteral("/.s.PGSQL.5432"),
                std::chrono::milliseconds(25))
    {
        DatabaseLocation far = year.fresh.location();
        far.host = QStringLiteral("127.0.0.1");
        far.port = proxy.port();
        db = std::make_unique<DrillDatabase>(far);
        if (!db->open().isEmpty())
            qFatal("Cannot reach the server through the proxy");
        source = std::make_unique<DrillDataSource>(*db);
        source->setYear(2026);
        source->refresh();
        bareUpdate = QSqlQuery(db->connection());
        bareUpdate.prepare(QStringLiteral("UPDATE Drills SET CompEval1 = ? WHERE IDDrill = ? AND "
                                          "CompEval1 IS NOT DISTINCT FROM ?"));
    }

    Year year; // its own: the near edits change the same fields
    DelayProxy proxy;
    std::unique_ptr<DrillDatabase> db;
    std::unique_ptr<DrillDataSource> source;
    QSqlQuery bareUpdate;
    QHash<qint64, QVariant> estimates; // what the bare writes left in CompEval1
};

FarYear& farYear()
{
    static FarYear far;
    return far;
}

// Runs the measured work, counting the round trips of each iteration.
template <typename Work> void countingRoundTrips(benchmark::State& state, Work work)
{
    FarYear& far = farYear();
    const long long before = far.proxy.roundTrips();
    // Counted on across repetitions: a value written again would be no change, and no trip.
    static qint64 n = 0;
    for (auto _ : state)
        work(far, n++);
    state.counters["round_trips"] = benchmark::Counter(double(far.proxy.roundTrips() - before),
                                                       benchmark::Counter::kAvgIterations);
}

void BM_FarBareCompareAndSet(benchmark::State& state)
{
    countingRoundTrips(state, [&](FarYear& far, qint64 n) {
        const qint64 row = far.year.row(n);
        const QString value = Year::value(n);
        far.bareUpdate.addBindValue(value);
        far.bareUpdate.addBindValue(row);
        far.bareUpdate.addBindValue(
            far.estimates.value(row, QVariant(QMetaType::fromType<QString>())));
        if (!far.bareUpdate.exec() || far.bareUpdate.numRowsAffected() != 1)
            state.SkipWithError("the bare edit was refused");
        far.estimates[row] = value;
    });
}

// The edit as the grid writes it.
void BM_FarEdit(benchmark::State& state)
{
    countingRoundTrips(state, [&](FarYear& far, qint64 n) {
        const int index = int(n % far.source->recordCount());
        const DrillChange edit = DrillChange::of(far.source->records().at(index),
                                                 DrillDataSource::Master, Year::value(n));
        if (!far.source->write(edit).stored())
            state.SkipWithError("the edit was refused");
    });
}

// The edit meets another user's lock on its row, which is let go as soon as the user is told
// of the wait.
void BM_FarEditMeetingALock(benchmark::State& state)
{
    Year& year = farYear().year;
    QSqlQuery holder(year.db.connection());
    countingRoundTrips(state, [&](FarYear& far, qint64 n) {
        const int index = int(n % far.source->recordCount());
        const DrillChange edit = DrillChange::of(far.source->records().at(index),
                                                 DrillDataSource::Master1, Year::value(n));
        holder.exec(QStringLiteral("BEGIN"));
        holder.prepare(QStringLiteral("SELECT 1 FROM Drills WHERE IDDrill = ? FOR UPDATE"));
        holder.addBindValue(edit.idDrill);
        holder.exec();
        bool told = false;
        const auto letGo = [&] {
            told = true;
            holder.exec(QStringLiteral("ROLLBACK"));
        };
        const bool stored = far.source->write(edit, {}, letGo).stored();
        if (!told)
            holder.exec(QStringLiteral("ROLLBACK"));
        if (!stored || !told)
            state.SkipWithError("the edit met no lock, or was refused");
    });
}

void BM_FarYearLoad(benchmark::State& state)
{
    countingRoundTrips(state, [&](FarYear& far, qint64) {
        if (!far.source->refresh() || far.source->recordCount() != FarShips)
            state.SkipWithError("the year was not read");
    });
}

// Reads every value of the rows of a prepared statement run for the year; the rows, or -1.
int readAll(QSqlQuery& query, int year)
{
    query.addBindValue(year);
    if (!query.exec())
        return -1;
    const int columns = query.record().count();
    int rows = 0;
    for (; query.next(); ++rows) {
        for (int column = 0; column < columns; ++column)
            benchmark::DoNotOptimize(query.value(column));
    }
    return rows;
}

// The program's two statements, each prepared once, their results read whole.
void BM_FarBareYearSelect(benchmark::State& state)
{
    const auto prepared = [](const QString& statement) {
        QSqlQuery query(farYear().db->connection());
        query.prepare(statement);
        return query;
    };
    static QSqlQuery year = prepared(QStringLiteral("SELECT * FROM QuDrills WHERE YearDrill = ?"));
    static QSqlQuery closure = prepared(YearClosure::closedInfoStatement());
    countingRoundTrips(state, [&](FarYear&, qint64) {
        if (readAll(year, 2026) != FarShips || readAll(closure, 2026) < 0)
            state.SkipWithError("the year was not read");
    });
}

// A libpq connection of its own to the far year, with the year load's statements prepared.
class FarLibpq
{
public:
    explicit FarLibpq(const FarYear& far)
    {
        const DatabaseLocation& at = far.year.fresh.location();
        const QByteArray info = QStringLiteral("host=127.0.0.1 port=%1 user=%2 dbname=%3")
                                    .arg(far.proxy.port())
                                    .arg(at.user, at.database)
                                    .toUtf8();
        m_connection = PQconnectdb(info.constData());
        if (PQstatus(m_connection) != CONNECTION_OK)
            qFatal("libpq cannot reach the server: %s", PQerrorMessage(m_connection));
        prepare("year", QStringLiteral("SELECT * FROM QuDrills WHERE YearDrill = $1"));
        prepare("closure", YearClosure::closedInfoStatement().replace(u'?', QStringLiteral("$1")));
    }
    ~FarLibpq() { PQfinish(m_connection); }
    FarLibpq(const FarLibpq&) = delete;
    FarLibpq& operator=(const FarLibpq&) = delete;

    // Runs a prepared statement for the year and fetches every value; the rows, or -1.
    int read(const char* statement, int year)
    {
        const QByteArray text = QByteArray::number(year);
        const char* values[] = {text.constData()};
        PGresult* result = PQexecPrepared(m_connection, statement, 1, values, nullptr, nullptr, 0);
        int rows = -1;
        if (PQresultStatus(result) == PGRES_TUPLES_OK) {
            rows = PQntuples(result);
            const int columns = PQnfields(result);
            for (int row = 0; row < rows; ++row) {
                for (int column = 0; column < columns; ++column) {
                    benchmark::DoNotOptimize(PQgetvalue(result, row, column));
                    benchmark::DoNotOptimize(PQgetlength(result, row, column));
                }
            }
        }
        PQclear(result);
        return rows;
    }

private:
    void prepare(const char* name, const QString& statement)
    {
        PGresult* result =
            PQprepare(m_connection, name, statement.toUtf8().constData(), 1, nullptr);
        if (PQresultStatus(result) != PGRES_COMMAND_OK)
            qFatal("libpq cannot prepare: %s", PQerrorMessage(m_connection));
        PQclear(result);
    }

    PGconn* m_connection = nullptr;
};

void BM_FarLibpqYearSelect(benchmark::State& state)
{
    static FarLibpq libpq(farYear());
    countingRoundTrips(state, [&](FarYear&, qint64) {
        if (libpq.read("year", 2026) != FarShips || libpq.read("closure", 2026) < 0)
            state.SkipWithError("the year was not read");
    });
}

} // namespace

BENCHMARK(BM_FarLibpqYearSelect)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FarBareCompareAndSet)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FarEdit)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FarEditMeetingALock)->Iterations(20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FarBareYearSelect)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FarYearLoad)->Iterations(10)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareUpdateSqlite)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditSqlite)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BareUpdatePostgres)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EditPostgres)->Arg(50)->Arg(2000)->Unit(benchmark::kMicrosecond);
