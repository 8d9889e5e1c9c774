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

QString StartUp::namedDatabase(const CommandLine& command)
{
    if (!command.database.trimmed().isEmpty())
        return command.database;
    return QSettings(settingsFile(), QSettings::IniFormat)
        .value(QStringLiteral("database"))
        .toString()
        .trimmed();
}

std::optional<DatabaseLocation> StartUp::databaseLocation(const CommandLine& command,
                                                          QString* problem)
{
    const QString named = namedDatabase(command);
    if (named.isEmpty()) {
        CommandLine usual = command;
        usual.database.clear();
        return DatabaseLocation::file(databasePath(usual));
    }
    auto location = DatabaseLocation::parse(named, problem);
    if (!location || location->engine != DatabaseLocation::Engine::Sqlite)
        return location;
    const QFileInfo file(location->filePath);
    location->filePath = file.absoluteFilePath();
    if (!file.absoluteDir().exists()) {
        *problem = QStringLiteral("The folder \"%1\" of the database file \"%2\" does not exist.")
                       .arg(QDir::toNativeSeparators(file.absolutePath()), file.fileName());
        return std::nullopt;
    }
    return location;
}
