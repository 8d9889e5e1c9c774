#include "common/LoginName.h"

#include <QByteArray>

#include <pwd.h>
#include <unistd.h>

QString LoginName::current()
{
    // The account itself, not what USER happens to say: sudo and su keep USER at times.
    if (const passwd* account = getpwuid(geteuid()))
        return QString::fromLocal8Bit(account->pw_name);
    const QString fromEnvironment = qEnvironmentVariable("USER");
    return fromEnvironment.isEmpty() ? QStringLiteral("uid %1").arg(geteuid()) : fromEnvironment;
}
