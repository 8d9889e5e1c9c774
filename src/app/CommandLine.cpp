#include "app/CommandLine.h"

#include "common/ProgramTitle.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

#include <optional>

namespace {

constexpr int FirstYear = 2000;
constexpr int MaxDueDays = 366;

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
const QCommandLineOption ExportHistoryOption(
    QStringLiteral("export-history"),
    QStringLiteral(
        "Writes every recorded change to the drills of YEAR to the CSV file FILE (UTF-8, "
        "one line per change, times in UTC) and ends, without a window or display."),
    YearAndFile);
const QCommandLineOption RestoreOption(
    QStringLiteral("restore"),
    QStringLiteral("Puts the backup FILE in place of the database and ends. The current file is "
                   "kept aside first; a backup that fails its integrity check is refused."),
    QStringLiteral("FILE"));
const QCommandLineOption DueOption(
    QStringLiteral("due"),
    QStringLiteral("Prints the drills of this year that are overdue, due today or in the next DAYS "
                   "days (30 when not given) or not scheduled, overdue first, and ends with 3 "
                   "when any is overdue or due, 0 when none is, 1 on failure."));
const QCommandLineOption DueCsvOption(
    QStringLiteral("due-csv"),
    QStringLiteral("Writes the list of --due [DAYS] to the CSV file FILE and ends as --due does."),
    QStringLiteral("FILE"));

const QCommandLineOption ImportAccessOption(
    QStringLiteral("import-access"),
    QStringLiteral("Takes the Access (Jet) file FILE over into the database, which must be new or "
                   "hold no ships, and ends. The Access file is not changed."),
    QStringLiteral("FILE"));
const QCommandLineOption AccessCodePageOption(
    QStringLiteral("access-codepage"),
    QStringLiteral("Reads the names of an Access 97 file in this code page (1252 Western, 1253 "
                   "Greek, ...) instead of the one the file names."),
    QStringLiteral("CODEPAGE"));

void describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        ProgramTitle + QStringLiteral(": plans and records the emergency-response drills\n"
                                      "of a fleet. Without options it opens its window. These\n"
                                      "end without one, and need no display:\n"
                                      "  %1 [--database PATH|URL] --export-pdf YEAR FILE\n"
                                      "  %1 [--database PATH|URL] --export-csv YEAR FILE\n"
                                      "  %1 [--database PATH|URL] --export-history YEAR FILE\n"
                                      "  %1 [--database PATH|URL] --due [DAYS]\n"
                                      "  %1 [--database PATH|URL] --due-csv FILE [DAYS]\n"
                                      "  %1 [--database PATH] --restore FILE\n"
                                      "  %1 [--database PATH|URL] --import-access FILE")
                           .arg(QCoreApplication::applicationName()));
    parser.addOptions({HelpOption, VersionOption, DatabaseOption, ExportPdfOption, ExportCsvOption,
                       ExportHistoryOption, RestoreOption, DueOption, DueCsvOption,
                       ImportAccessOption, AccessCodePageOption});
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

QString notDays(const QString& argument)
{
    return QStringLiteral("\"%1\" is not a number of days from 0 to %2.")
        .arg(argument)
        .arg(MaxDueDays);
}

// Qt would take "-1" after --due for an unknown option "1".
std::optional<QString> negativeDays(const QStringList& arguments)
{
    if (!arguments.contains(QLatin1String("--due")) &&
        !arguments.contains(QLatin1String("--due-csv")))
        return std::nullopt;
    static const QRegularExpression negative(QStringLiteral("^-\\d+$"));
    for (const QString& argument : arguments.mid(1)) {
        if (negative.match(argument).hasMatch())
            return argument;
    }
    return std::nullopt;
}

CommandLine dueList(CommandLine command, const QCommandLineParser& parser)
{
    const QStringList days = parser.positionalArguments();
    if (days.size() > 1)
        return refused(command, QStringLiteral("--due takes at most one number of DAYS."));
    bool isNumber = true;
    if (!days.isEmpty())
        command.dueDays = days.constFirst().toInt(&isNumber);
    if (!isNumber || command.dueDays < 0 || command.dueDays > MaxDueDays)
        return refused(command, notDays(days.constFirst()));
    command.action =
        parser.isSet(DueCsvOption) ? CommandLine::Action::DueCsv : CommandLine::Action::Due;
    command.file = parser.value(DueCsvOption);
    return command;
}

} // namespace

CommandLine CommandLine::parse(const QStringList& arguments, int thisYear)
{
    QCommandLineParser parser;
    describe(parser);
    CommandLine command;
    if (const auto days = negativeDays(arguments))
        return refused(command, notDays(*days));
    if (!parser.parse(arguments))
        return refused(command, parser.errorText());
    command.database = parser.value(DatabaseOption);
    command.accessCodePage = parser.value(AccessCodePageOption);
    if (parser.isSet(HelpOption))
        command.action = Action::Help;
    else if (parser.isSet(VersionOption))
        command.action = Action::Version;
    else if (int(parser.isSet(ExportPdfOption)) + int(parser.isSet(ExportCsvOption)) +
                 int(parser.isSet(ExportHistoryOption)) + int(parser.isSet(RestoreOption)) +
                 int(parser.isSet(DueOption) || parser.isSet(DueCsvOption)) +
                 int(parser.isSet(ImportAccessOption)) >
             1)
        return refused(command, QStringLiteral("--export-pdf, --export-csv, --export-history, "
                                               "--restore, --due and --import-access go "
                                               "separately."));
    else if (parser.isSet(ExportPdfOption))
        return exportYear(command, parser, thisYear, ExportPdfOption, Action::ExportPdf);
    else if (parser.isSet(ExportCsvOption))
        return exportYear(command, parser, thisYear, ExportCsvOption, Action::ExportCsv);
    else if (parser.isSet(DueOption) || parser.isSet(DueCsvOption))
        return dueList(command, parser);
    else if (parser.isSet(ExportHistoryOption))
        return exportYear(command, parser, thisYear, ExportHistoryOption, Action::ExportHistory);
    else if (!parser.positionalArguments().isEmpty())
        return refused(command, QStringLiteral("Unexpected argument \"%1\".")
                                    .arg(parser.positionalArguments().constFirst()));
    else if (parser.isSet(RestoreOption)) {
        command.action = Action::Restore;
        command.file = parser.value(RestoreOption);
    } else if (parser.isSet(ImportAccessOption)) {
        command.action = Action::ImportAccess;
        command.file = parser.value(ImportAccessOption);
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
    // Qt names the program by the path it was started from; the usage names it as a user types
    // it, and keeps its lines short whatever folder the program lies in.
    const QString text = parser.helpText();
    return QStringLiteral("Usage: ") + QCoreApplication::applicationName() +
           text.mid(text.indexOf(QLatin1String(" [options]")));
}
