#include "app/Headless.h"

#include "app/AccessOffer.h"
#include "app/CommandLine.h"
#include "app/StartUp.h"
#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/ControlPictures.h"
#include "common/Messages.h"
#include "data/Backups.h"
#include "data/ChangeHistory.h"
#include "data/CompanyTable.h"
#include "data/DrillDatabase.h"
#include "data/DueDrills.h"
#include "data/ExportTarget.h"
#include "data/Leftovers.h"
#include "data/PrintDrillsTable.h"
#include "data/YearClosure.h"
#include "reports/DrillStatusReport.h"
#include "reports/DueDrillsReport.h"
#include "reports/ReportControl.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <memory>
#include <optional>

namespace {

void print(std::FILE* stream, const QString& text)
{
    std::fputs(qPrintable(text + u'\n'), stream);
}

void printIfAny(std::FILE* stream, const QString& text)
{
    if (!text.isEmpty())
        print(stream, text);
}

// Without a window, what the program would show in a box goes to standard error.
class ConsoleMessages : public Messages
{
public:
    bool askYesNo(const QString& title, const QString& text) override
    {
        tell(Icon::Question, title, text);
        return false;
    }
    void tell(Icon, const QString&, const QString& text) override { print(stderr, text); }
};

// Cron has no session, so Qt remarks on the missing runtime folder; a monthly job must not
// mail that remark to the administrator. Everything else still reaches standard error.
QtMessageHandler g_qtHandler = nullptr;

void quietAboutTheMissingSession(QtMsgType type, const QMessageLogContext& context,
                                 const QString& message)
{
    if (!message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")))
        g_qtHandler(type, context, message);
}

bool isDueList(const CommandLine& command)
{
    return command.action == CommandLine::Action::Due ||
           command.action == CommandLine::Action::DueCsv;
}

bool writesAFile(const CommandLine& command)
{
    return command.action == CommandLine::Action::ExportPdf ||
           command.action == CommandLine::Action::ExportCsv ||
           command.action == CommandLine::Action::ExportHistory ||
           command.action == CommandLine::Action::DueCsv;
}

// The database the command names, open and checked; nothing when it cannot be used, and the
// reason is on standard error.
std::unique_ptr<DrillDatabase> openDatabase(const CommandLine& command)
{
    QString problem;
    const std::optional<DatabaseLocation> location = StartUp::databaseLocation(command, &problem);
    if (!location) {
        print(stderr, problem);
        return nullptr;
    }
    // A mistyped name in a cron job or the settings must not quietly make a new, empty database;
    // nor may a daily due check make one where the program has never run.
    const bool file = location->isFile();
    const bool mustExist = !StartUp::namedDatabase(command).isEmpty() || isDueList(command);
    // A restore cut short between its renames leaves no file of that name until it is settled.
    if (file && !QFileInfo::exists(location->filePath))
        printIfAny(stderr, Leftovers::settleAlone(location->filePath));
    if (file && mustExist && !QFileInfo::exists(location->filePath)) {
        print(stderr,
              QStringLiteral("There is no database file \"%1\". %2")
                  .arg(QDir::toNativeSeparators(location->filePath), StartUp::namedBy(command))
                  .trimmed());
        return nullptr;
    }
    auto db = std::make_unique<DrillDatabase>(*location);
    problem = db->open(DrillDatabase::Creation::Refused);
    if (!problem.isEmpty()) {
        if (file && db->problem() == DrillDatabase::Problem::Damaged)
            problem += QStringLiteral("\n") + Backups::restoreAdvice(location->filePath);
        print(stderr, problem);
        return nullptr;
    }
    printIfAny(stderr, db->notice());
    // A server keeps its own backups; the program copies only a file.
    printIfAny(stderr, file ? Backups::makeDailyOrSayWhy(location->filePath) : QString());
    // Checked once the database, its lock file and today's backup exist, so none is missed.
    const QString overwrite = file && writesAFile(command)
                                  ? ExportTarget::refusal(command.file, location->filePath)
                                  : QString();
    if (!overwrite.isEmpty()) {
        print(stderr, overwrite);
        return nullptr;
    }
    return db;
}

// Refills the report table with the year; the company's name, or nothing when that failed and
// the reason is on standard error.
std::optional<QString> prepareYear(const CommandLine& command, DrillDatabase& db)
{
    const QString company = CompanyTable(db).name().value_or(QString());
    if (!PrintDrillsTable::refill(db, command.year, company, Clock::now())) {
        print(stderr, QStringLiteral("The drill status report could not be prepared: the "
                                     "database refused to fill its report table."));
        return std::nullopt;
    }
    return company;
}

int exportPdf(const CommandLine& command)
{
    const std::unique_ptr<DrillDatabase> db = openDatabase(command);
    const std::optional<QString> company = db ? prepareYear(command, *db) : std::nullopt;
    if (!company)
        return CommandLine::Failed;
    ConsoleMessages messages;
    ReportControl control(messages);
    const auto closed = YearClosure::closedInfo(*db, command.year);
    DrillStatusReport::prepare(control, command.year, *company,
                               closed ? closed->closedOn() : QString());
    control.setDatabase(*db);
    control.setReportFileName(AppFolder::programFile(
        AppFolder::dataFolder(), QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    control.setDestination(ReportControl::Destination::File);
    control.setPrintFileName(command.file);
    return control.run() ? CommandLine::Done : CommandLine::Failed;
}

int exportCsv(const CommandLine& command)
{
    const std::unique_ptr<DrillDatabase> db = openDatabase(command);
    if (!db)
        return CommandLine::Failed;
    const QString failure = DrillStatusReport::exportCsv(*db, command.year, command.file);
    if (failure.isEmpty())
        return CommandLine::Done;
    print(stderr, failure);
    return CommandLine::Failed;
}

// The drills of this year that want doing: printed, or written as CSV.
int dueList(const CommandLine& command)
{
    const std::unique_ptr<DrillDatabase> db = openDatabase(command);
    if (!db)
        return CommandLine::Failed;
    const QDate today = Clock::today();
    DataFailure failure;
    const auto list = DueDrills::read(*db, today.year(), today, command.dueDays, &failure);
    if (!list) {
        print(stderr,
              QStringLiteral("The due drills could not be read: %1.").arg(failure.sentence()));
        return CommandLine::Failed;
    }
    if (command.action == CommandLine::Action::DueCsv) {
        const QString problem = DueDrillsReport::writeCsvFile(*list, command.file);
        if (!problem.isEmpty()) {
            print(stderr, problem);
            return CommandLine::Failed;
        }
    } else {
        print(stdout, DueDrillsReport::counts(*list));
        // Mailed as it is printed: a name's NUL or line break must neither cut nor forge a line.
        for (const QString& line : DueDrillsReport::textLines(*list))
            print(stdout, ControlPictures::shown(line));
    }
    return list->needsAction() ? CommandLine::DrillsDue : CommandLine::Done;
}

int exportHistory(const CommandLine& command)
{
    const std::unique_ptr<DrillDatabase> db = openDatabase(command);
    if (!db)
        return CommandLine::Failed;
    const auto entries = ChangeHistory::ofYear(*db, command.year);
    const QString failure =
        entries ? ChangeHistory::writeCsv(*entries, command.file)
                : QStringLiteral("The history of changes could not be read from the database.");
    if (failure.isEmpty())
        return CommandLine::Done;
    print(stderr, failure);
    return CommandLine::Failed;
}

int restore(const CommandLine& command)
{
    QString problem;
    const std::optional<DatabaseLocation> location = StartUp::databaseLocation(command, &problem);
    if (!location) {
        print(stderr, problem);
        return CommandLine::Failed;
    }
    if (!location->isFile()) {
        print(stderr, QStringLiteral("--restore puts a backup file in place of a database file, "
                                     "and the database in use is on the server \"%1\". Its "
                                     "backups are kept and restored on the server (pg_dump, "
                                     "pg_restore). Nothing was changed.")
                          .arg(location->display()));
        return CommandLine::Failed;
    }
    const QString database = location->filePath;
    printIfAny(stderr, Leftovers::settleAlone(database));
    const QString backup = QFileInfo(command.file).absoluteFilePath();
    const Backups::Restored restored = Backups::restore(backup, database, Clock::now());
    if (!restored.failure.isEmpty()) {
        print(stderr, restored.failure);
        return CommandLine::Failed;
    }
    QString done = QStringLiteral("Restored \"%1\" from \"%2\".")
                       .arg(QDir::toNativeSeparators(database), QDir::toNativeSeparators(backup));
    if (!restored.keptAside.isEmpty())
        done += QStringLiteral(" The former file was kept as \"%1\".")
                    .arg(QDir::toNativeSeparators(restored.keptAside));
    print(stdout, done);
    return CommandLine::Done;
}

} // namespace

int Headless::run(int argc, char* argv[], const CommandLine& command)
{
    if (command.action == CommandLine::Action::ExportPdf) {
        // Reports need fonts and a paint device, not a screen: cron has none.
        qputenv("QT_QPA_PLATFORM", "offscreen");
        g_qtHandler = qInstallMessageHandler(quietAboutTheMissingSession);
        QApplication app(argc, argv);
        Fonts::installSubstitutes();
        return exportPdf(command);
    }
    QCoreApplication app(argc, argv);
    switch (command.action) {
    case CommandLine::Action::ExportCsv:
        return exportCsv(command);
    case CommandLine::Action::Due:
    case CommandLine::Action::DueCsv:
        return dueList(command);
    case CommandLine::Action::ExportHistory:
        return exportHistory(command);
    case CommandLine::Action::Help:
        print(stdout, CommandLine::usage());
        return CommandLine::Done;
    case CommandLine::Action::Version:
        print(stdout,
              QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion());
        return CommandLine::Done;
    case CommandLine::Action::Restore:
        return restore(command);
    case CommandLine::Action::ImportAccess:
        return AccessOffer::importAccess(command);
    default:
        print(stderr, command.refusal());
        return CommandLine::BadArguments;
    }
}
