#pragma once

#include <QString>

namespace AppFolder {

inline constexpr auto DatabaseFileName = "ORXmanager97.mdb";

// The folder of the program file, without a trailing separator.
QString ofExecutable();

// A file that lies in the application folder.
QString file(const QString& folder, const QString& fileName);

} // namespace AppFolder
