#pragma once

#include "common/Shell.h"

// Links and files go to the desktop's default application; programs start detached.
class DesktopShell : public Shell
{
public:
    bool open(const QUrl& target) override;
    bool startProgram(const QString& program, const QStringList& arguments) override;
};
