#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The desktop: opening links and files, starting programs. Tests record what it is given.
class Shell
{
public:
    virtual ~Shell() = default;

    virtual bool open(const QUrl& target) = 0;
    virtual bool startProgram(const QString& program, const QStringList& arguments) = 0;
};
