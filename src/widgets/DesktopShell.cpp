#include "widgets/DesktopShell.h"

#include <QDesktopServices>
#include <QProcess>

bool DesktopShell::open(const QUrl& target)
{
    return QDesktopServices::openUrl(target);
}

bool DesktopShell::startProgram(const QString& program, const QStringList& arguments)
{
    return QProcess::startDetached(program, arguments);
}
