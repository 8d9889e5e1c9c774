#include "data/Backups.h"

#include "common/Quoted.h"

#include "common/AppFolder.h"
#include "common/Clock.h"
#include "data/DrillDatabase.h"
#include "data/FileUseLock.h"
#include "data/SqliteConnection.h"
#include "data/SqliteFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

#include <algorithm>
#include <optional>

namespace {

const QString DayFormat = QStringLiteral("yyyy-MM-dd");
// The files SQLite keeps beside a database while it writes; they belong to it.
const QStringList CompanionSuffixes = {QStringLiteral("-journal"), QStringLiteral("-wal"),
                                       QStringLiteral("-shm")};

QString quotedPath(const QString& path)
{
    return quoted(QDir::toNativeSeparators(path));
}

// How long a restore waits for another restore of the same file to end.
constexpr auto RestorePatience = std::chrono::seconds(3);
const QString AsideTag = QStringLiteral("before-restore-");
const QString PartialSuffix = QStringLiteral(".partial");

QString reasonOf(const QSqlError& error)
{
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
}

// A private read-only connection: nothing done through it can change the file.
class ReadOnlyConnection
{
public:
    explicit ReadOnlyConnection(const QString& path)
        : m_connection(path, SqliteConnection::Access::ReadOnly),
          m_failure(m_connection.openFailure())
    {
    }

    // Prepares, then runs the statement; empty on success, otherwise SQLite's reason.
    void prepare(QSqlQuery& query, const QString& statement)
    {
        if (m_failure.isEmpty() && !query.prepare(statement))
            m_failure = reasonOf(query.lastError());
    }
    QString run(QSqlQuery& query)
    {
        if (m_failure.isEmpty() && !query.exec())
            m_failure = reasonOf(query.lastError());
        return m_failure;
    }
    QSqlDatabase db() const { return m_connection.db(); }

private:
    SqliteConnection::Scoped m_connection;
    QString m_failure;
};

// A file kept aside together with the journal of a write cut short is read as SQLite reads it
// once the journal is rolled back. A read-only connection may not roll it back, so both are
// copied into a folder of their own, where a writable connection does; the file itself is left
// as it is.
class SettledCopy
{
public:
    explicit SettledCopy(const QString& path) : m_path(path)
    {
        const QStringList journals = Backups::companionsOf(path);
        if (std::none_of(journals.begin(), journals.end(),
                         [](const QString& journal) { return QFileInfo::exists(journal); }))
            return;
        m_folder.emplace();
        const QString copy = m_folder->filePath(QFileInfo(path).fileName());
        for (const QString& suffix : QStringList{QString()} + CompanionSuffixes)
            QFile::copy(path + suffix, copy + suffix);
        SqliteConnection::Scoped rollBack(copy, SqliteConnection::Access::ReadWrite);
        QSqlQuery(rollBack.db()).exec(QStringLiteral("SELECT COUNT(*) FROM sqlite_master"));
        m_path = copy;
    }
    const QString& path() const { return m_path; }
    // A finding about the copy, as one about the file itself.
    QString named(QString finding, const QString& path) const
    {
        return finding.replace(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(path));
    }

private:
    std::optional<QTemporaryDir> m_folder;
    QString m_path;
};

QString datedName(const QString& databasePath, const QString& tag)
{
    const QFileInfo info(databasePath);
    const QString suffix = info.suffix().isEmpty() ? QString() : u'.' + info.suffix();
    return info.completeBaseName() + u'-' + tag + suffix;
}

// The dated copies in the backups folder, by day; other files there are not ours to touch.
QMap<QDate, QString> datedCopies(const QString& databasePath)
{
    const QFileInfo info(databasePath);
    const QString suffix =
        info.suffix().isEmpty() ? QString() : QRegularExpression::escape(u'.' + info.suffix());
    const QRegularExpression pattern(u'^' + QRegularExpression::escape(info.completeBaseName()) +
                                     QStringLiteral(R"(-(\d{4}-\d{2}-\d{2}))") + suffix + u'$');
    const QDir folder(Backups::folderOf(databasePath));
    QMap<QDate, QString> copies;
    for (const QString& name : folder.entryList(QDir::Files)) {
        const auto match = pattern.match(name);
        const QDate day = QDate::fromString(match.captured(1), DayFormat);
        if (match.hasMatch() && day.isValid())
            copies.insert(day, folder.filePath(name));
    }
    return copies;
}

// Copies a database with VACUUM INTO (which reads every page, so a damaged file fails) and only
// then gives the copy the target's name: a copy cut short never passes for a good one. Empty
// on success.
QString copyDatabase(const QString& source, const QString& target)
{
    const QString partial = target + PartialSuffix;
    QFile::remove(partial);
    QString failure = SqliteFile::cutShortFinding(source);
    if (failure.isEmpty()) {
        ReadOnlyConnection connection(source);
        QSqlQuery query(connection.db());
        connection.prepare(query, QStringLiteral("VACUUM INTO ?"));
        query.addBindValue(partial);
        failure = connection.run(query);
    }
    if (!failure.isEmpty())
        failure = QStringLiteral("%1 could not be copied (%2).").arg(quotedPath(source), failure);
    else if (!QFile::rename(partial, target))
        failure = QStringLiteral("%1 cannot be written.").arg(quotedPath(target));
    if (!failure.isEmpty())
        QFile::remove(partial);
    return failure;
}

void dropUnkeptCopies(const QString& databasePath)
{
    const QMap<QDate, QString> copies = datedCopies(databasePath);
    const QList<QDate> kept = Backups::daysToKeep(copies.keys());
    for (auto copy = copies.cbegin(); copy != copies.cend(); ++copy) {
        if (!kept.contains(copy.key()))
            QFile::remove(copy.value());
    }
}

} // namespace

QString Backups::folderOf(const QString& databasePath)
{
    return QFileInfo(databasePath).dir().filePath(QLatin1String(FolderName));
}

QString Backups::copyOf(const QString& databasePath, const QDate& day)
{
    return QDir(folderOf(databasePath)).filePath(datedName(databasePath, day.toString(DayFormat)));
}

QString Backups::makeDailyOrSayWhy(const QString& databasePath)
{
    const Outcome outcome = makeDaily(databasePath);
    if (outcome.kind != Outcome::Kind::Failed)
        return {};
    return QStringLiteral("Today's backup of the database could not be made: %1\n"
                          "The program goes on; the older backups in \"%2\" are kept.")
        .arg(outcome.detail, QDir::toNativeSeparators(folderOf(databasePath)));
}

Backups::Outcome Backups::makeDaily(const QString& databasePath)
{
    if (!SqliteFile::hasHeader(databasePath))
        return {Outcome::Kind::NothingToCopy, {}};
    const QString target = copyOf(databasePath, Clock::today());
    if (QFileInfo::exists(target))
        return {Outcome::Kind::AlreadyMade, target};
    if (!QDir().mkpath(folderOf(databasePath)))
        return {Outcome::Kind::Failed, QStringLiteral("The folder %1 cannot be made.")
                                           .arg(quotedPath(folderOf(databasePath)))};
    const QString failure = copyDatabase(databasePath, target);
    if (!failure.isEmpty())
        return {Outcome::Kind::Failed, failure};
    dropUnkeptCopies(databasePath);
    return {Outcome::Kind::Made, target};
}

QList<QDate> Backups::daysToKeep(QList<QDate> days)
{
    std::sort(days.begin(), days.end(), std::greater<>());
    days.erase(std::unique(days.begin(), days.end()), days.end());
    QList<QDate> kept = days.mid(0, DailyCopies);
    int weeklyKept = 0;
    int lastWeek = -1;
    for (const QDate& day : std::as_const(days)) {
        int weekYear = 0;
        const int week = day.weekNumber(&weekYear) + weekYear * 100;
        if (week == lastWeek)
            continue; // only a week's newest day stands for the week
        lastWeek = week;
        if (kept.contains(day))
            continue;
        kept.append(day);
        if (++weeklyKept == WeeklyCopies)
            break;
    }
    return kept;
}

QString Backups::integrityProblem(const QString& filePath)
{
    QString failure = SqliteFile::hasHeader(filePath) ? SqliteFile::cutShortFinding(filePath)
                                                      : QStringLiteral("it is not a database file");
    if (failure.isEmpty()) {
        ReadOnlyConnection connection(filePath);
        QSqlQuery query(connection.db());
        connection.prepare(query, QStringLiteral("PRAGMA integrity_check"));
        failure = connection.run(query);
        if (failure.isEmpty() && query.next() && query.value(0).toString() != QLatin1String("ok"))
            failure = QStringLiteral("it fails its integrity check: ") + query.value(0).toString();
    }
    if (failure.isEmpty())
        return {};
    return QStringLiteral("%1 is not a sound database of this program (%2).")
        .arg(quotedPath(filePath), failure);
}

QString Backups::restoreAdvice(const QString& databasePath)
{
    const QString backup = newestGoodCopy(databasePath);
    if (backup.isEmpty())
        return QStringLiteral("There is no backup of it that could take its place.");
    return QStringLiteral("The newest good backup is %1. To put it in place, close the program "
                          "and start it once as:\n%2 --database %3 --restore %1")
        .arg(quotedPath(backup), QString::fromLatin1(AppFolder::ProgramName),
             quotedPath(databasePath));
}

QString Backups::newestGoodCopy(const QString& databasePath)
{
    const QStringList oldestFirst = datedCopies(databasePath).values();
    for (auto copy = oldestFirst.crbegin(); copy != oldestFirst.crend(); ++copy) {
        if (integrityProblem(*copy).isEmpty())
            return *copy;
    }
    return {};
}

// The name the former file is kept under; a second restore in the same second gets "-2".
QString Backups::keptAsideFile(const QString& databasePath, const QDateTime& now)
{
    const QDir folder = QFileInfo(databasePath).dir();
    const QString stamp = AsideTag + now.toString(QStringLiteral("yyyy-MM-dd-HHmmss"));
    QString aside = folder.filePath(datedName(databasePath, stamp));
    for (int n = 2; QFileInfo::exists(aside); ++n)
        aside = folder.filePath(datedName(databasePath, stamp + QStringLiteral("-%1").arg(n)));
    return aside;
}

QStringList Backups::keptAside(const QString& databasePath)
{
    const QFileInfo info(databasePath);
    const QString suffix =
        info.suffix().isEmpty() ? QString() : QRegularExpression::escape(u'.' + info.suffix());
    const QRegularExpression pattern(
        u'^' + QRegularExpression::escape(info.completeBaseName()) + u'-' + AsideTag +
        QStringLiteral(R"((\d{4}-\d{2}-\d{2}-\d{6})(?:-(\d+))?)") + suffix + u'$');
    QMap<std::pair<QString, int>, QString> byTime;
    for (const QString& name : info.dir().entryList(QDir::Files)) {
        const auto match = pattern.match(name);
        if (match.hasMatch())
            byTime.insert({match.captured(1), match.captured(2).toInt()},
                          info.dir().filePath(name));
    }
    return byTime.values();
}

QString Backups::newestKeptAside(const QString& databasePath)
{
    const QStringList aside = keptAside(databasePath);
    return aside.isEmpty() ? QString() : aside.constLast();
}

QString Backups::stagedFile(const QString& databasePath)
{
    return databasePath + QStringLiteral(".restoring");
}

void Backups::removePartialCopies(const QString& databasePath)
{
    const QString base = QFileInfo(databasePath).completeBaseName() + u'-';
    const QStringList partials = {u'*' + PartialSuffix,
                                  u'*' + PartialSuffix + CompanionSuffixes.first()};
    QDir folder(folderOf(databasePath));
    for (const QString& name : folder.entryList(partials, QDir::Files | QDir::Hidden)) {
        if (name.startsWith(base))
            folder.remove(name);
    }
    for (const QString& suffix : {QString(), CompanionSuffixes.first()})
        QFile::remove(stagedFile(databasePath) + PartialSuffix + suffix);
}

QStringList Backups::companionsOf(const QString& databasePath)
{
    QStringList companions;
    for (const QString& suffix : CompanionSuffixes)
        companions << databasePath + suffix;
    return companions;
}

bool Backups::moveWithCompanions(const QString& from, const QString& to)
{
    if (QFileInfo::exists(from) && !QFile::rename(from, to))
        return false;
    for (const QString& suffix : CompanionSuffixes) {
        if (QFileInfo::exists(from + suffix) && !QFile::rename(from + suffix, to + suffix))
            return false;
    }
    return true;
}

Backups::Restored Backups::restore(const QString& backupPath, const QString& databasePath,
                                   const QDateTime& now)
{
    const auto refused = [&](const QString& why) {
        return Restored{QStringLiteral("The backup %1 was not restored: %2 Nothing was changed.")
                            .arg(quotedPath(backupPath), why),
                        {}};
    };
    if (!QFileInfo(backupPath).isFile())
        return refused(QStringLiteral("there is no such file."));
    FileUseLock use(databasePath);
    if (use.isUsable() && !use.take(FileUseLock::Mode::Exclusive, RestorePatience))
        return refused(QStringLiteral("the database file %1 is open in another program (the "
                                      "program's window, an export, or another restore). Close "
                                      "it, or wait until it has finished, and try again.")
                           .arg(quotedPath(databasePath)));
    // Another tool (the sqlite3 shell, a database browser) may be in the middle of a write whose
    // commit would then go to the file kept aside.
    const SqliteFile::ExclusiveLock sqliteLock(databasePath, RestorePatience);
    if (!sqliteLock.isHeld())
        return refused(QStringLiteral("the database file %1 is in use by another program, which "
                                      "holds it locked. Close that program, or wait until it "
                                      "has finished, and try again.")
                           .arg(quotedPath(databasePath)));
    const SettledCopy settled(backupPath);
    QString problem = settled.named(integrityProblem(settled.path()), backupPath);
    if (!problem.isEmpty())
        return refused(problem);

    // The staged copy is the mark of a restore under way: a start that finds it finishes or
    // undoes the restore.
    const QString staged = stagedFile(databasePath);
    QFile::remove(staged);
    problem = settled.named(copyDatabase(settled.path(), staged), backupPath);
    if (problem.isEmpty())
        problem = DrillDatabase(staged, std::chrono::seconds(5), DrillDatabase::UseMark::None)
                      .open()
                      .replace(staged, backupPath);
    if (!problem.isEmpty()) {
        QFile::remove(staged);
        return refused(problem);
    }

    const QString aside =
        QFileInfo::exists(databasePath) ? keptAsideFile(databasePath, now) : QString();
    if (!aside.isEmpty() && !moveWithCompanions(databasePath, aside)) {
        moveWithCompanions(aside, databasePath);
        QFile::remove(staged);
        return refused(QStringLiteral("the database file %1 cannot be moved aside.")
                           .arg(quotedPath(databasePath)));
    }
    if (!QFile::rename(staged, databasePath)) {
        if (!aside.isEmpty())
            moveWithCompanions(aside, databasePath);
        QFile::remove(staged);
        return refused(QStringLiteral("%1 cannot be written.").arg(quotedPath(databasePath)));
    }
    return {{}, aside};
}
