#include "data/Leftovers.h"

#include "common/Quoted.h"
#include "data/Backups.h"
#include "data/DrillDatabase.h"
#include "data/FileUseLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString quotedPath(const QString& path)
{
    return quoted(QDir::toNativeSeparators(path));
}

void removeWithCompanions(const QString& path)
{
    for (const QString& suffix : {QString(), QStringLiteral("-journal")})
        QFile::remove(path + suffix);
}

bool isSoundCopy(const QString& path)
{
    return Backups::integrityProblem(path).isEmpty() &&
           DrillDatabase(path, std::chrono::seconds(5), DrillDatabase::UseMark::None)
               .open()
               .isEmpty();
}

// The former file was moved aside and the staged copy still waits for its name. A journal left
// with the database's name belongs to the former file.
QString finish(const QString& databasePath, const QString& staged)
{
    const QString aside = Backups::newestKeptAside(databasePath);
    if (!aside.isEmpty())
        Backups::moveWithCompanions(databasePath, aside);
    removeWithCompanions(databasePath);
    if (!QFile::rename(staged, databasePath))
        return QStringLiteral("A restore of the database file %1 was cut short, and could not be "
                              "finished: the restored copy %2 cannot take its name.")
            .arg(quotedPath(databasePath), quotedPath(staged));
    QString done = QStringLiteral("A restore of the database file %1 was cut short; it has now "
                                  "been finished, and the file holds the restored backup.")
                       .arg(quotedPath(databasePath));
    if (!aside.isEmpty())
        done += QStringLiteral(" The former file is kept as %1.").arg(quotedPath(aside));
    return done;
}

QString putBack(const QString& databasePath, const QString& aside)
{
    if (!Backups::moveWithCompanions(aside, databasePath))
        return QStringLiteral("The database file %1 is missing after a restore that was cut "
                              "short, and the former file %2 cannot be put back.")
            .arg(quotedPath(databasePath), quotedPath(aside));
    return QStringLiteral("The database file %1 was missing after a restore that was cut short; "
                          "the restore was undone, and the former file %2 is in its place again.")
        .arg(quotedPath(databasePath), quotedPath(aside));
}

} // namespace

QString Leftovers::settle(const QString& databasePath)
{
    Backups::removePartialCopies(databasePath);
    const QString staged = Backups::stagedFile(databasePath);
    const bool restoring = QFileInfo::exists(staged);
    if (QFileInfo::exists(databasePath)) {
        if (!restoring)
            return {};
        removeWithCompanions(staged);
        return QStringLiteral("A restore of the database file %1 was cut short before it changed "
                              "anything; it was undone, and the file is as it was before.")
            .arg(quotedPath(databasePath));
    }
    if (restoring && isSoundCopy(staged))
        return finish(databasePath, staged);
    removeWithCompanions(staged);
    const QString aside = Backups::newestKeptAside(databasePath);
    return aside.isEmpty() ? QString() : putBack(databasePath, aside);
}

QString Leftovers::settleAlone(const QString& databasePath)
{
    if (!QFileInfo::exists(Backups::stagedFile(databasePath)) &&
        Backups::newestKeptAside(databasePath).isEmpty())
        return {};
    FileUseLock use(databasePath);
    if (!use.isUsable() || !use.take(FileUseLock::Mode::Exclusive, std::chrono::milliseconds(0)))
        return {};
    return settle(databasePath);
}
