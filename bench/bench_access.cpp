// Taking over an Access file of 2,000 ships over 25 years (50,000 drill rows and their
// questionnaire answers) beside the least any take-over costs: mdb-export reading the same
// tables, and bare SQLite writing their rows in one transaction; same run, same file.
#include "MdbTools.h"
#include "data/AccessContent.h"
#include "data/AccessTakeOver.h"

#include <QDateTime>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

namespace {

const QStringList Tables = {QStringLiteral("Ships"), QStringLiteral("Drills"),
                            QStringLiteral("Company"), QStringLiteral("Evaluation")};

// The Access file, made once for all the benchmarks of the run.
struct Source
{
    Source()
    {
        MdbTools::make(path(), {QStringLiteral("--jet"), QStringLiteral("4"),
                                QStringLiteral("--ships"), QStringLiteral("2000"),
                                QStringLiteral("--years"), QStringLiteral("2002-2026")});
    }
    QString path() const { return dir.filePath(QStringLiteral("ORXmanager97.mdb")); }

    QTemporaryDir dir;
};

const Source& source()
{
    static const Source made;
    return made;
}

void takeOver(benchmark::State& state)
{
    const QString access = source().path();
    for (auto _ : state) {
        // The folder's removal is no part of the take-over.
        {
            QTemporaryDir target;
            QString failure;
            const auto content = AccessContent::read(access, {}, &failure);
            const auto outcome = content
                                     ? AccessTakeOver::run(*content,
                                                           DatabaseLocation::file(target.filePath(
                                                               QStringLiteral("ORXmanager97.mdb"))),
                                                           QDateTime::currentDateTime())
                                     : AccessTakeOver::Outcome{failure, {}, {}, {}};
            if (!outcome.failure.isEmpty())
                state.SkipWithError(qPrintable(outcome.failure));
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

// One table's rows into a table of text columns, by one prepared statement.
void writeRows(sqlite3* db, const QString& table, const QList<QStringList>& rows)
{
    const QStringList& columns = rows.constFirst();
    const QByteArray create = QStringLiteral("CREATE TABLE \"%1\" (\"%2\")")
                                  .arg(table, columns.join(QStringLiteral("\", \"")))
                                  .toUtf8();
    sqlite3_exec(db, create.constData(), nullptr, nullptr, nullptr);
    const QByteArray insert =
        QStringLiteral("INSERT INTO \"%1\" VALUES (%2)")
            .arg(table, QStringList(columns.size(), QStringLiteral("?")).join(u','))
            .toUtf8();
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, insert.constData(), -1, &statement, nullptr);
    for (qsizetype r = 1; r < rows.size(); ++r) {
        for (qsizetype c = 0; c < rows.at(r).size(); ++c) {
            const QByteArray value = rows.at(r).at(c).toUtf8();
            sqlite3_bind_text(statement, int(c + 1), value.constData(), int(value.size()),
                              SQLITE_TRANSIENT);
        }
        sqlite3_step(statement);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
}

void exportAndWrite(benchmark::State& state)
{
    const QString access = source().path();
    for (auto _ : state) {
        {
            QTemporaryDir target;
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(target.filePath(QStringLiteral("bare.db"))).constData(),
                         &db);
            sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
            for (const QString& table : Tables)
                writeRows(db, table, MdbTools::exported(access, table));
            if (sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
                state.SkipWithError("bare SQLite could not commit");
            sqlite3_close(db);
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(takeOver)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(exportAndWrite)->Unit(benchmark::kMillisecond)->Iterations(3);
