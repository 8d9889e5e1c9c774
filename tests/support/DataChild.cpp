// A child process for the fault tests: it opens, creates or edits the drill database through
// the data layer, so that a test can kill it, limit its file size or run it as another user.
//
//   orx_datachild open <file>                 prints the problem number, then the message
//   orx_datachild create <file> <max-bytes>   creates the file with no file allowed to grow
//                                             past max-bytes (the kernel kills it if one does)
//   orx_datachild edit <file> <first> <seed>  edits until killed; after each stored edit it
//                                             prints "field <id> <column> <n>" or "year <y>"
//   orx_datachild backup <file> <kill-at>     makes the day's backup
//   orx_datachild restore <file> <backup> <kill-at>
//                                             restores the backup in place of the file
// With kill-at n > 0, the child kills itself at its n-th rename of a file, as a power cut
// between two steps would; it prints the renames it made before.
//   orx_datachild swap <location> <client> <edits> <id>...
//                                             writes the masters of the drills as compare-and-
//                                             sets, starting from empty fields; prints
//                                             "stored <id> <column> <from> <to>" or
//                                             "conflict <id> <column> <now>" or "failed <why>"
#include "common/DateText.h"
#include "data/Backups.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/PrintDrillsTable.h"

#include <QCoreApplication>
#include <QHash>
#include <QRandomGenerator>

#include <dlfcn.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>

namespace {

int g_renamesBeforeKill = 0;
int g_renames = 0;

// Called by every rename the program makes, through Qt or directly.
void countRename()
{
    if (++g_renames == g_renamesBeforeKill)
        raise(SIGKILL);
}

} // namespace

// The executable's own definitions come first for the libraries it loads, so Qt's renames
// pass here.
extern "C" int rename(const char* from, const char* to) noexcept
{
    countRename();
    using Real = int (*)(const char*, const char*);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "rename"));
    return real(from, to);
}

extern "C" int renameat2(int fromFolder, const char* from, int toFolder, const char* to,
                         unsigned int flags) noexcept
{
    countRename();
    using Real = int (*)(int, const char*, int, const char*, unsigned int);
    static const auto real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "renameat2"));
    return real(fromFolder, from, toFolder, to, flags);
}

namespace {

void say(const QString& line)
{
    // Unbuffered: a line on the pipe is an edit that was stored, whenever the kill comes.
    const QByteArray bytes = line.toUtf8() + '\n';
    if (write(STDOUT_FILENO, bytes.constData(), size_t(bytes.size())) != bytes.size())
        _exit(3);
}

// The value an edit with number n stores in a column: dates count days from 2000-01-01.
QString valueFor(DrillDataSource::Column column, qint64 n)
{
    using C = DrillDataSource::Column;
    if (column == C::DrillDate || column == C::DoneDate || column == C::DrillDate1 ||
        column == C::DoneDate1)
        return DateText::toIso(QDate(2000, 1, 1).addDays(n));
    return QStringLiteral("v%1").arg(n);
}

int edit(DrillDatabase& db, qint64 n, quint32 seed)
{
    QRandomGenerator random(seed);
    DrillDataSource data(db);
    data.setYear(2026);
    if (!data.refresh() || data.recordCount() == 0)
        return 1;
    for (;; ++n) {
        const int kind = random.bounded(10);
        if (kind < 8) {
            const int index = random.bounded(data.recordCount());
            const auto column = DrillDataSource::Column(
                random.bounded(int(DrillDataSource::DrillDate), int(DrillDataSource::YearDrill)));
            const qint64 id = data.records().at(index).idDrill;
            if (data.write(DrillChange::of(data.records().at(index), column, valueFor(column, n)))
                    .stored())
                say(QStringLiteral("field %1 %2 %3").arg(id).arg(int(column)).arg(n));
        } else if (kind == 8) {
            data.setYear(int(3000 + n));
            if (data.addFleetYear())
                say(QStringLiteral("year %1").arg(3000 + n));
            data.setYear(2026);
        } else {
            PrintDrillsTable::refill(db, 2026, QStringLiteral("Company"),
                                     QDateTime::currentDateTime());
        }
    }
}

// Each write starts from the value this writer last knew; a conflict tells it the newer one.
int swap(DrillDatabase& db, const QStringList& args)
{
    const int client = args.at(0).toInt();
    const int edits = args.at(1).toInt();
    QList<qint64> ids;
    for (const QString& id : args.mid(2))
        ids << id.toLongLong();
    QRandomGenerator random(quint32(client + 1));
    QHash<QPair<qint64, int>, QString> known; // in stored form: empty for an empty field
    DrillDataSource writer(db);
    const auto text = [](const QString& value) {
        return value.isEmpty() ? QStringLiteral("-") : value;
    };
    for (int n = 0; n < edits; ++n) {
        const qint64 id = ids.at(random.bounded(int(ids.size())));
        const auto column = random.bounded(2) ? DrillRecord::Master : DrillRecord::Master1;
        QString& startedFrom = known[{id, int(column)}];
        const QString value = QStringLiteral("c%1e%2").arg(client).arg(n);
        const auto result = writer.write({id, column, startedFrom, value});
        switch (result.outcome) {
        case DrillWriteResult::Outcome::Written:
            say(QStringLiteral("stored %1 %2 %3 %4")
                    .arg(id)
                    .arg(column)
                    .arg(text(startedFrom), value));
            startedFrom = value;
            break;
        case DrillWriteResult::Outcome::Conflict:
            say(QStringLiteral("conflict %1 %2 %3")
                    .arg(id)
                    .arg(column)
                    .arg(text(result.storedNow)));
            startedFrom = result.storedNow;
            break;
        default:
            say(QStringLiteral("failed %1").arg(result.failure.sentence()));
            return 1;
        }
    }
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3)
        return 2;
    const QString& mode = args.at(1);
    if (mode == QLatin1String("backup") && args.size() == 4) {
        g_renamesBeforeKill = args.at(3).toInt();
        say(QString::number(int(Backups::makeDaily(args.at(2)).kind)));
        return 0;
    }
    if (mode == QLatin1String("restore") && args.size() == 5) {
        g_renamesBeforeKill = args.at(4).toInt();
        const Backups::Restored restored =
            Backups::restore(args.at(3), args.at(2), QDateTime::currentDateTime());
        say(QStringLiteral("renames %1").arg(g_renames));
        say(restored.failure);
        return 0;
    }
    if (mode == QLatin1String("swap") && args.size() > 5) {
        DrillDatabase db(*DatabaseLocation::parse(args.at(2), nullptr));
        const QString problem = db.open(DrillDatabase::Creation::Refused);
        if (!problem.isEmpty()) {
            say(QStringLiteral("failed %1").arg(problem));
            return 1;
        }
        return swap(db, args.mid(3));
    }
    if (mode == QLatin1String("create") && args.size() == 4) {
        const rlimit limit{args.at(3).toULong(), RLIM_INFINITY};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return 2;
    }
    DrillDatabase db(args.at(2));
    const QString problem = db.open();
    if (mode == QLatin1String("edit") && args.size() == 5 && problem.isEmpty())
        return edit(db, args.at(3).toLongLong(), args.at(4).toUInt());
    say(QString::number(int(db.problem())));
    say(problem);
    return 0;
}
