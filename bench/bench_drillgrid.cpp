// The drill grid at 50 and 2,000 ships: each step of the program beside a bare SQLite anchor
// that runs the same statements in one transaction, in the same run, on the same file, and
// reads every value the program reads: an edit with its history entry and the refill of the
// report table, typed in a plain line edit opened over the cell and closed after; a reload, read
// with the year's closure into lists of values, once on the caller's thread and once on a plain
// thread of its own that hands the values back, as the window's worker does; a first load, which
// reads the year, makes its rows and reads it again. A click that changes nothing writes
// nothing: it has no bare side, and is measured to stay far below an edit.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "data/Schema.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSqlQuery>
#include <QThread>

#include <benchmark/benchmark.h>

#include <functional>
#include <memory>

namespace {

constexpr int Year = 2026;

// Gives every drill of the year a scheduled date, half of them done, so that every colour
// rule is exercised.
void scheduleAll(const Fixture& fixture)
{
    fixture.exec(QStringLiteral(
        "UPDATE Drills SET \"Drill Date\" = date('now', '+' || (IDDrill % 60) || ' days'), "
        "\"Done Date1\" = CASE WHEN IDDrill % 2 = 0 THEN date('now') END, "
        "\"Drill Date1\" = date('now', '-' || (IDDrill % 30) || ' days')"));
}

// A window showing this year for the fleet, every drill scheduled.
std::unique_ptr<LoadedWindow> scheduledWindow(int ships)
{
    auto loaded = std::make_unique<LoadedWindow>(ships);
    loaded->load();
    scheduleAll(loaded->fixture);
    loaded->reloadYear();
    return loaded;
}

// The cell of a field in a grid row.
QModelIndex cellAt(const LoadedWindow& loaded, int row, DrillRecord::Column field)
{
    return loaded.model()->index(row, DrillColumns::columnOf(field));
}

// A click on a cell: it becomes current, which stores and closes an open box, and opens.
void click(DrillGridView* grid, const QModelIndex& cell)
{
    grid->setCurrentIndex(cell);
    emit grid->clicked(cell);
}

// Bare: every value of the year read, as the program's read gets them, and whether the year is
// closed.
QList<QVariantList> readYearBare(const QSqlDatabase& db)
{
    QList<QVariantList> rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(QStringLiteral("SELECT * FROM QuDrills WHERE YearDrill = ?"));
    query.addBindValue(Year);
    query.exec();
    const auto columns = Schema::drillColumns().size();
    while (query.next()) {
        QVariantList& row = rows.emplace_back();
        row.reserve(columns);
        for (int column = 0; column < columns; ++column)
            row.append(query.value(column));
    }
    query.prepare(QStringLiteral("SELECT ClosedAt, ClosedBy FROM ClosedYears WHERE YearDrill = ?"));
    query.addBindValue(Year);
    query.exec();
    benchmark::DoNotOptimize(query.next());
    return rows;
}

// Bare: the year read on a plain thread of its own with its own connection, as the window may
// not wait on the database, and the values handed back to the waiting caller.
class BareReader
{
public:
    explicit BareReader(const Fixture& fixture)
    {
        m_thread.start();
        m_context.moveToThread(&m_thread);
        const QString fixtureConnection = fixture.db().connectionName();
        onThread([&] { QSqlDatabase::cloneDatabase(fixtureConnection, Name).open(); });
    }
    ~BareReader()
    {
        onThread([] {
            QSqlDatabase::database(Name, false).close();
            QSqlDatabase::removeDatabase(Name);
        });
        m_thread.quit();
        m_thread.wait();
    }
    BareReader(const BareReader&) = delete;
    BareReader& operator=(const BareReader&) = delete;

    QList<QVariantList> readYear()
    {
        QList<QVariantList> rows;
        QEventLoop answered;
        QMetaObject::invokeMethod(&m_context, [&] {
            auto read = readYearBare(QSqlDatabase::database(Name));
            QMetaObject::invokeMethod(
                &answered,
                [&rows, &answered, read = std::move(read)]() mutable {
                    rows = std::move(read);
                    answered.quit();
                },
                Qt::QueuedConnection);
        });
        answered.exec();
        return rows;
    }

private:
    void onThread(const std::function<void()>& work)
    {
        QMetaObject::invokeMethod(&m_context, work, Qt::BlockingQueuedConnection);
    }

    static inline const QString Name = QStringLiteral("bareReader");
    QThread m_thread;
    QObject m_context;
};

// A plain connection of its own to the fixture's file.
class OwnConnection
{
public:
    explicit OwnConnection(const Fixture& fixture)
    {
        QSqlDatabase::cloneDatabase(fixture.db(), Name).open();
    }
    ~OwnConnection()
    {
        QSqlDatabase::database(Name, false).close();
        QSqlDatabase::removeDatabase(Name);
    }
    OwnConnection(const OwnConnection&) = delete;
    OwnConnection& operator=(const OwnConnection&) = delete;
    QSqlDatabase db() const { return QSqlDatabase::database(Name); }

private:
    static inline const QString Name = QStringLiteral("bare");
};

bool runBare(QSqlQuery& query, const QString& sql, const QVariantList& values = {})
{
    query.prepare(sql);
    for (const QVariant& value : values)
        query.addBindValue(value);
    return query.exec();
}

// One edit as the user makes it: the master's cell clicked, a name typed and Enter, which
// writes the field where it still holds the value the box began with, with its history entry,
// and refills the report table in the same transaction.
void BM_EditProgram(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    DrillGridView* grid = loaded->grid();
    const QModelIndex master = cellAt(*loaded, 0, DrillRecord::Master);
    int edit = 0;
    for (auto _ : state) {
        click(grid, master);
        auto* box = grid->findChild<QLineEdit*>(QStringLiteral("editBox"));
        box->setText(QStringLiteral("Master %1").arg(++edit));
        emit box->textEdited(box->text());
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &enter);
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // closed boxes
        state.ResumeTiming();
    }
}

void BM_EditBare(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    QSqlDatabase db = loaded->fixture.db();
    const QString copy = QStringLiteral("INSERT INTO PrintDrills (%1, Company, Date1, Time1) "
                                        "SELECT %1, ?, ?, ? FROM QuDrills WHERE YearDrill = ?")
                             .arg(Schema::drillColumns().join(QStringLiteral(", ")));
    const qint64 idDrill =
        loaded->fixture.scalar(QStringLiteral("SELECT MIN(IDDrill) FROM Drills")).toLongLong();
    const QString company = loaded->child<QLabel>("companyLabel")->text();
    DrillGridView* grid = loaded->grid();
    const QModelIndex master = cellAt(*loaded, 0, DrillRecord::Master);
    int edit = 0;
    for (auto _ : state) {
        // The cell's box as plain Qt makes one: a line edit over the cell, the name typed in it,
        // closed on Enter.
        auto* box = new QLineEdit(grid->viewport());
        box->setGeometry(grid->visualRect(master));
        box->setText(master.data().toString());
        box->show();
        box->setFocus();
        box->setText(QStringLiteral("Master %1").arg(edit + 1));
        QSqlQuery query(db);
        db.transaction();
        const QVariant before = edit == 0 ? QVariant() : QStringLiteral("Master %1").arg(edit);
        const QString after = QStringLiteral("Master %1").arg(++edit);
        runBare(query,
                QStringLiteral("UPDATE Drills SET Master = ? WHERE IDDrill = ? AND Master IS ?"),
                {after, idDrill, before});
        // The edit's entry in the history of changes, as the program keeps it.
        runBare(query,
                QStringLiteral("INSERT INTO History (ChangedAt, ChangedBy, TableName, RecordId, "
                               "Field, OldValue, NewValue) VALUES (strftime('%Y-%m-%dT%H:%M:%fZ', "
                               "'now'), ?, 'Drills', ?, 'Master', ?, ?)"),
                {QStringLiteral("bench"), idDrill, before, after});
        runBare(query, QStringLiteral("DELETE FROM PrintDrills"));
        // The report's stamp as the program writes it into every row: company, long date, time.
        const QDateTime now = Clock::now();
        runBare(query, copy,
                {company, DateText::longDate(now.date()), DateText::timeText(now.time()), Year});
        db.commit();
        box->hide();
        box->deleteLater();
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// A click from one cell to the next without changing anything: nothing to write.
void BM_ClickWithoutChangeProgram(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    DrillGridView* grid = loaded->grid();
    const QModelIndex cells[] = {cellAt(*loaded, 1, DrillRecord::Master),
                                 cellAt(*loaded, 1, DrillRecord::DrillDate)};
    int turn = 0;
    for (auto _ : state) {
        click(grid, cells[++turn % 2]);
        state.PauseTiming();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        state.ResumeTiming();
    }
}

// The year shown again: read and handed to the grid, whose colours follow from the records.
void BM_ReloadProgram(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    for (auto _ : state) {
        loaded->reloadYear();
    }
}

void BM_ReloadBare(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    const QSqlDatabase db = loaded->fixture.db();
    for (auto _ : state)
        benchmark::DoNotOptimize(readYearBare(db));
}

void BM_ReloadBareOnThread(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    BareReader reader(loaded->fixture);
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.readYear());
}

// A year shown for the first time: its rows made for the whole fleet, read and shown.
void BM_FirstLoadProgram(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        loaded->fixture.exec(QStringLiteral("DELETE FROM Drills"));
        state.ResumeTiming();
        loaded->reloadYear();
    }
}

// Bare: what the program must do as well: the year read and found empty, a row made for every
// ship, unless the year is closed or another program made it a moment ago, and the year read.
void BM_FirstLoadBare(benchmark::State& state)
{
    const auto loaded = scheduledWindow(int(state.range(0)));
    // A connection of its own, as the program has: the emptying between the rounds is another
    // connection's change to both, whose pages each then reads afresh.
    const OwnConnection own(loaded->fixture);
    QSqlDatabase db = own.db();
    for (auto _ : state) {
        state.PauseTiming();
        loaded->fixture.exec(QStringLiteral("DELETE FROM Drills"));
        state.ResumeTiming();
        readYearBare(db);
        QSqlQuery query(db);
        db.transaction();
        if (!runBare(query,
                     QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill) "
                                    "SELECT IDShip, ShipName, ? FROM Ships WHERE NOT EXISTS "
                                    "(SELECT 1 FROM ClosedYears WHERE YearDrill = ?) ORDER BY "
                                    "IDShip ON CONFLICT (IDShip, YearDrill) DO NOTHING"),
                     {Year, Year}) ||
            query.numRowsAffected() != state.range(0) || !db.commit())
            state.SkipWithError("the bare rows were not made");
        readYearBare(db);
    }
}

} // namespace

// The program reads and writes on a worker thread: CPU time is the whole process's, on both sides.
#define FLEETS(name)                                                                               \
    BENCHMARK(name)->Arg(50)->Arg(2000)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()
FLEETS(BM_EditProgram);
FLEETS(BM_EditBare);
FLEETS(BM_ClickWithoutChangeProgram);
FLEETS(BM_ReloadProgram)->Arg(20000);
FLEETS(BM_ReloadBare)->Arg(20000);
FLEETS(BM_ReloadBareOnThread)->Arg(20000);
FLEETS(BM_FirstLoadProgram);
FLEETS(BM_FirstLoadBare);
