#include "data/ExportTarget.h"

#include "common/Quoted.h"
#include "data/Backups.h"
#include "data/FileUseLock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <sys/stat.h>

#include <optional>
#include <utility>

namespace {

using FileId = std::pair<dev_t, ino_t>;

std::optional<FileId> idOf(const QString& path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return FileId{info.st_dev, info.st_ino};
}

// A file that does not exist yet by the name it would have, its folder's links resolved: a
// journal SQLite makes later must not be found holding a report.
QString placeOf(const QString& path)
{
    const QFileInfo info(path);
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
}

bool isSameFile(const QString& output, const std::optional<FileId>& outputId, const QString& own)
{
    return outputId ? idOf(own) == outputId : placeOf(own) == placeOf(output);
}

struct OwnFile
{
    QString path;
    QString what;
};

QList<OwnFile> ownFiles(const QString& databasePath)
{
    QList<OwnFile> files = {
        {databasePath, QStringLiteral("the database file")},
        {FileUseLock::markFileOf(databasePath), QStringLiteral("the lock file of the database")}};
    const QString journal = QStringLiteral("a journal of the database");
    for (const QString& companion : Backups::companionsOf(databasePath))
        files.append({companion, journal});
    const QString staged = Backups::stagedFile(databasePath);
    for (const QString& path : QStringList{staged} + Backups::companionsOf(staged))
        files.append({path, QStringLiteral("the copy a restore puts in place of the database")});
    const QDir backups(Backups::folderOf(databasePath));
    for (const QString& name : backups.entryList(QDir::Files | QDir::Hidden))
        files.append({backups.filePath(name), QStringLiteral("a backup of the database")});
    for (const QString& aside : Backups::keptAside(databasePath)) {
        for (const QString& path : QStringList{aside} + Backups::companionsOf(aside))
            files.append({path, QStringLiteral("a former database file kept aside by a restore")});
    }
    return files;
}

} // namespace

QString ExportTarget::refusal(const QString& outputPath, const QString& databasePath)
{
    const std::optional<FileId> output = idOf(outputPath);
    for (const OwnFile& own : ownFiles(databasePath)) {
        if (isSameFile(outputPath, output, own.path))
            return QStringLiteral("%1 is %2 (%3), and an export never writes over it. Nothing was "
                                  "written; name another file.")
                .arg(quoted(QDir::toNativeSeparators(outputPath)), own.what,
                     quoted(QDir::toNativeSeparators(own.path)));
    }
    return {};
}
