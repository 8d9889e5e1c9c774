#include "common/AppFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString AppFolder::ofExecutable()
{
    return QCoreApplication::applicationDirPath();
}

QString AppFolder::file(const QString& folder, const QString& fileName)
{
    return QDir(folder).filePath(fileName);
}

QString AppFolder::installedFilesOf(const QString& executableFolder)
{
    const QDir bin(executableFolder);
    if (bin.dirName() != QLatin1String("bin"))
        return {};
    const QString share =
        QDir::cleanPath(bin.filePath(QStringLiteral("../share/") + QLatin1String(ProgramName)));
    return QFileInfo(share).isDir() ? share : QString();
}

QString AppFolder::dataFolder()
{
    if (installedFilesOf(ofExecutable()).isEmpty())
        return ofExecutable();
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString AppFolder::programFile(const QString& dataFolder, const QString& fileName)
{
    return programFile(dataFolder, installedFilesOf(ofExecutable()), fileName);
}

QString AppFolder::programFile(const QString& dataFolder, const QString& installedFiles,
                               const QString& fileName)
{
    const QString usersCopy = file(dataFolder, fileName);
    if (installedFiles.isEmpty() || QFileInfo::exists(usersCopy))
        return usersCopy;
    const QString installed = file(installedFiles, fileName);
    return QFileInfo::exists(installed) ? installed : usersCopy;
}
