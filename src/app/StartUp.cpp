#include "app/StartUp.h"

#include "app/CommandLine.h"
#include "common/AppFolder.h"

#include <QDir>
#include <QFile>
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

namespace {

const QString DatabaseKey = QStringLiteral("database");

bool fromOption(const CommandLine& command)
{
    return !command.database.trimmed().isEmpty();
}

// The first key of the settings file the program does not know, named with the file and its
// line: a mistyped key must not quietly leave the usual database in use.
QString unknownSetting()
{
    QFile file(StartUp::settingsFile());
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    int lineNumber = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++lineNumber;
        if (line.isEmpty() || line.startsWith(u'#') || line.startsWith(u';') ||
            line.startsWith(u'['))
            continue;
        const QString key = line.section(u'=', 0, 0).trimmed();
        if (key != DatabaseKey)
            return QStringLiteral("The settings file \"%1\" has an unknown setting \"%2\" on line "
                                  "%3; the one setting it may hold is \"%4\".")
                .arg(QDir::toNativeSeparators(file.fileName()), key)
                .arg(lineNumber)
                .arg(DatabaseKey);
    }
    return {};
}

} // namespace

QString StartUp::namedDatabase(const CommandLine& command)
{
    if (fromOption(command))
        return command.database;
    return QSettings(settingsFile(), QSettings::IniFormat).value(DatabaseKey).toString().trimmed();
}

QString StartUp::namedBy(const CommandLine& command)
{
    if (fromOption(command))
        return QStringLiteral("It is named by --database.");
    if (namedDatabase(command).isEmpty())
        return {};
    return QStringLiteral("It is named in the settings file \"%1\".")
        .arg(QDir::toNativeSeparators(settingsFile()));
}

std::optional<DatabaseLocation> StartUp::databaseLocation(const CommandLine& command,
                                                          QString* problem)
{
    if (!fromOption(command)) {
        *problem = unknownSetting();
        if (!problem->isEmpty())
            return std::nullopt;
    }
    const QString named = namedDatabase(command);
    if (named.isEmpty()) {
        CommandLine usual = command;
        usual.database.clear();
        return DatabaseLocation::file(databasePath(usual));
    }
    auto location = DatabaseLocation::parse(named, problem);
    if (location && location->isFile()) {
        // A path in the settings file means the same from whatever folder the program starts.
        const QDir base =
            fromOption(command) ? QDir::current() : QFileInfo(settingsFile()).absoluteDir();
        const QFileInfo file(base, location->filePath);
        location->filePath = file.absoluteFilePath();
        if (!file.absoluteDir().exists()) {
            *problem =
                QStringLiteral("The folder \"%1\" of the database file \"%2\" does not exist.")
                    .arg(QDir::toNativeSeparators(file.absolutePath()), file.fileName());
            location.reset();
        }
    }
    if (!location)
        *problem += u' ' + namedBy(command);
    return location;
}
