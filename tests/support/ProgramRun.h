#pragma once

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The program run as a user or a cron job would, with no display at all.
struct ProgramRun
{
    int exitCode = -1; // -1: it crashed or did not end
    QString out;
    QString err;

    static ProgramRun of(const QString& program, const QStringList& arguments,
                         QProcessEnvironment environment = headlessEnvironment());

    // This process's environment without any display.
    static QProcessEnvironment headlessEnvironment();
};
