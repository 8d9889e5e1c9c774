#include "app/StartUp.h"

#include "app/CommandLine.h"
#include "common/AppFolder.h"
#include "data/Backups.h"

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

QString StartUp::dailyBackup(const QString& databasePath)
{
    const Backups::Outcome outcome = Backups::makeDaily(databasePath);
    if (outcome.kind != Backups::Outcome::Kind::Failed)
        return {};
    return QStringLiteral("Today's backup of the database could not be made: %1\n"
                          "The program goes on; the older backups in \"%2\" are kept.")
        .arg(outcome.detail, QDir::toNativeSeparators(Backups::folderOf(databasePath)));
}
