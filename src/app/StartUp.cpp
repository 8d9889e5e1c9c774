#include "app/StartUp.h"

#include "app/CommandLine.h"
#include "common/AppFolder.h"

#include <QDir>
#include <QFileInfo>

QString StartUp::databasePath(const CommandLine& command)
{
    if (!command.database.isEmpty())
        return QFileInfo(command.database).absoluteFilePath();
    const QString folder = AppFolder::dataFolder();
    QDir().mkpath(folder);
    return AppFolder::file(folder, QString::fromLatin1(AppFolder::DatabaseFileName));
}
