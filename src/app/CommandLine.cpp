#include "app/CommandLine.h"

#include "common/ProgramTitle.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace {

constexpr int FirstYear = 2000;

// The option's value is the year; the file is the argument after it. The help shows both.
const QString YearAndFile = QStringLiteral("YEAR> <FILE");

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Shows this help."));
const QCommandLineOption VersionOption({QStringLiteral("v"), QStringLiteral("version")},
                                       QStringLiteral("Shows the program's version."));
const QCommandLineOption DatabaseOption(
    QStringLiteral("database"),
    QStringLiteral("Uses this SQLite database file, or the PostgreSQL database of this URL "
                   "(postgresql://user@host:port/database; the password from ~/.pgpass or "
                   "PGPASSWORD), instead of the usual one. The file must exist for the headless "
                   "actions."),
    QStringLiteral("PATH|URL"));
const QCommandLineOption ExportPdfOption(
    QStringLiteral("export-pdf"),
    QStringLiteral("Writes the drill status report of YEAR to the PDF file FILE and ends, "
                   "without a window or display."),
    YearAndFile);
const QCommandLineOption ExportCsvOption(
    QStringLiteral("export-csv"),
    QStringLiteral("Writes the drills of YEAR to the CSV file FILE (UTF-8, one line per ship, "
                   "dates as yyyy-MM-dd) and ends, without a window or display."),
    YearAndFile);
const QCommandLineOption RestoreOption(
    QStringLiteral("restore"),
    QStringLiteral("Puts the backup FILE in place of the database and ends. The current file is "
                   "kept aside first; a backup that fails its integrity check is refused."),
    QStringLiteral("FILE"));

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        ProgramTitle + QStringLiteral(": plans and records the emergency-response drills\n"
                                      "of a fleet. Without options it opens its window. These\n"
                                      "end without one, and need no display:\n"
                                      "  %1 [--database PATH|URL] --export-pdf YEAR FILE\n"
                                      "  %1 [--database PATH|URL] --export-csv YEAR FILE\n"
                                      "  %1 [--database PATH] --restore FILE")
                           .arg(QCoreApplication::applicationName()));
    parser.addOptions({HelpOption, VersionOption, DatabaseOption, ExportPdfOption, ExportCsvOption,
                       RestoreOption});
}

CommandLine refused(CommandLine command, const QString& problem)
{
    command.action = CommandLine::Action::Refuse;
    command.problem = problem;
    return command;
}

CommandLine exportYear(CommandLine command, const QCommandLineParser& parser, int thisYear,
                       const QCommandLineOption& option, CommandLine::Action action)
{
    if (parser.positionalArguments().size() != 1)
        return refused(
            command,
            QStringLiteral("--%1 needs a YEAR and one FILE.").arg(option.names().constFirst()));
    bool isNumber = false;
    command.year = parser.value(option).toInt(&isNumber);
    if (!isNumber || command.year < FirstYear || command.year > thisYear)
        return refused(command, QStringLiteral("The year \"%1\" is not a year from %2 to %3.")
                                    .arg(parser.value(option))
                                    .arg(FirstYear)
                                    .arg(thisYear));
    command.action = action;
    command.file = parser.positionalArguments().constFirst();
    return command;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments, int thisYear)
{
    QCommandLineParser parser;
    describe(parser);
    CommandLine command;
    if (!parser.parse(arguments))
        return refused(command, parser.errorText());
    command.database = parser.value(DatabaseOption);
    if (parser.isSet(HelpOption))
        command.action = Action::Help;
    else if (parser.isSet(VersionOption))
        command.action = Action::Version;
    else if (int(parser.isSet(ExportPdfOption)) + int(parser.isSet(ExportCsvOption)) +
                 int(parser.isSet(RestoreOption)) >
             1)
        return refused(command,
                       QStringLiteral("--export-pdf, --export-csv and --restore go separately."));
    else if (parser.isSet(ExportPdfOption))
        return exportYear(command, parser, thisYear, ExportPdfOption, Action::ExportPdf);
    else if (parser.isSet(ExportCsvOption))
        return exportYear(command, parser, thisYear, ExportCsvOption, Action::ExportCsv);
    else if (!parser.positionalArguments().isEmpty())
        return refused(command, QStringLiteral("Unexpected argument \"%1\".")
                                    .arg(parser.positionalArguments().constFirst()));
    else if (parser.isSet(RestoreOption)) {
        command.action = Action::Restore;
        command.file = parser.value(RestoreOption);
    }
    return command;
}

QString CommandLine::refusal() const
{
    return problem + QStringLiteral("\nRun \"%1 --help\" for the options.")
                         .arg(QCoreApplication::applicationName());
}

QString CommandLine::usage()
{
    QCommandLineParser parser;
    describe(parser);
    return parser.helpText();
}
