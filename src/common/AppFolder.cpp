#include "common/AppFolder.h"

#include <QCoreApplication>
#include <QDir>

QString AppFolder::ofExecutable()
{
    return QCoreApplication::applicationDirPath();
}

QString AppFolder::file(const QString& folder, const QString& fileName)
{
    return QDir(folder).filePath(fileName);
}
