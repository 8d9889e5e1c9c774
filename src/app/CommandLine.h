#pragma once

#include "data/DueDrills.h"

#include <QString>
#include <QStringList>

// What the command line asks for. Parsing needs no application object, so the program can
// choose its display platform before it makes one.
struct CommandLine
{
    enum class Action
    {
        ShowWindow,
        Help,
        Version,
        ExportPdf,
        ExportCsv,
        ExportHistory,
        Restore,
        Due,
        DueCsv,
        ImportAccess,
        Refuse // the arguments make no sense: say why, and where the usage is
    };

    Action action = Action::ShowWindow;
    QString database; // --database: another file or a server; empty for the usual file
    int year = 0;
    QString file;           // the PDF or CSV to write, the backup to restore, or the Access file
    QString accessCodePage; // --access-codepage: Jet 3's code page, when the header's is wrong
    int dueDays = DueDrills::DefaultDaysAhead; // --due DAYS: how far ahead a drill counts as due
    QString problem;

    // Exit codes of the headless actions.
    static constexpr int Done = 0;
    static constexpr int Failed = 1;
    static constexpr int BadArguments = 2;
    static constexpr int DrillsDue = 3; // --due found drills overdue or due

    static CommandLine parse(const QStringList& arguments, int thisYear);
    // The options, for --help.
    static QString usage();
    // Why the arguments were refused, and where the options are explained.
    QString refusal() const;

    // Nothing to show and no display needed.
    bool isHeadless() const { return action != Action::ShowWindow; }
};
