#include "app/StartUp.h"

#include "app/CommandLine.h"
#include "common/AppFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

QString StartUp::databasePath(const CommandLine& command)
{
    if (!command.database.isEmpty())
        return QFileInfo(command.database).absoluteFilePath();
    const QString folder = AppFolder::dataFolder();
    QDir().mkpath(folder);
    return AppFolder::file(folder, QString::fromLatin1(AppFolder::DatabaseFileName));
}

QString StartUp::settingsFile()
{
    const QString name = QString::fromLatin1(AppFolder::ProgramName);
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/%1/%1.conf").arg(name);
}

std::optional<DatabaseLocation> StartUp::databaseLocation(const CommandLine& command,
                                                          QString* problem)
{
    QString named = command.database;
    if (named.isEmpty())
        named = QSettings(settingsFile(), QSettings::IniFormat)
                    .value(QStringLiteral("database"))
                    .toString();
    if (named.trimmed().isEmpty()) {
        CommandLine usual = command;
        usual.database.clear();
        return DatabaseLocation::file(databasePath(usual));
    }
    auto location = DatabaseLocation::parse(named, problem);
    if (location && location->engine == DatabaseLocation::Engine::Sqlite)
        location->filePath = QFileInfo(location->filePath).absoluteFilePath();
    return location;
}
