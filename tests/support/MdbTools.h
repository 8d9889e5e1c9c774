#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The Access files tests make with tests/tools/make_access_file, and the mdbtools commands: the
// reader, independent of the program, that every such file is checked with.
namespace MdbTools {

// Writes the file with make_access_file's options; what mdb-ver says of it ("JET3", "JET4"...),
// or a sentence starting with "mdb-ver" when it cannot read it.
QString make(const QString& path, const QStringList& options);

// The command's standard output; Jet 3 text in the charset named, else in libmdb's default.
QString run(const QString& tool, const QStringList& arguments, const QString& charset = {});

// The table as mdb-export prints it (dates yyyy-MM-dd): the heading, then a list per row.
QList<QStringList> exported(const QString& file, const QString& table, const QString& charset = {});

} // namespace MdbTools
