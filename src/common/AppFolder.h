#pragma once

#include <QString>

// Where the program's files and its data lie.
// Run from its own folder (a build, a copy on a USB stick), the program keeps everything beside
// itself. Installed, the executable sits in <prefix>/bin with its own files under
// <prefix>/share/<ProgramName>/, and the data lives in the user's data folder.
namespace AppFolder {

inline constexpr auto DatabaseFileName = "ORXmanager97.mdb";
// The name of the installed program, of its share folder and of the user's data folder.
inline constexpr auto ProgramName = ORX_PROGRAM_NAME;

// The folder of the program file, without a trailing separator.
QString ofExecutable();

// A file that lies in the application folder.
QString file(const QString& folder, const QString& fileName);

// <prefix>/share/<ProgramName> when the executable in the folder is installed; empty otherwise.
// Decided by the layout alone: whether a folder is writable says nothing (root writes anywhere).
QString installedFilesOf(const QString& executableFolder);

// The folder of the database and of the user's copies of the program's files: beside the
// running program, or the user's data folder when it is installed.
QString dataFolder();

// A file the program brings, such as a report template: the copy in the data folder wins, so a
// user can adjust it; otherwise the installed one. Names the data folder's copy when neither is
// there, so a message about it points where the file belongs.
QString programFile(const QString& dataFolder, const QString& fileName);
QString programFile(const QString& dataFolder, const QString& installedFiles,
                    const QString& fileName);

} // namespace AppFolder
