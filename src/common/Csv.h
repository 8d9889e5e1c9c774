#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

// Comma-separated values as RFC 4180 has them, safe to open in a spreadsheet.
namespace Csv {

// One field: quoted when it holds a comma, quote, line break or leading or trailing blank;
// text a spreadsheet would run as a formula (leading =, +, -, @, tab or carriage return)
// gets a leading apostrophe, so that it shows as text. A NUL is written as U+2400, its symbol.
QString field(const QString& text);

// One record, its fields joined by commas and ended by CR LF.
QString record(const QStringList& fields);

// Writes records one by one as UTF-8.
class Writer
{
public:
    explicit Writer(QIODevice& out) : m_out(out) {}
    void write(const QStringList& fields);

private:
    QIODevice& m_out;
};

// Writes the file whole or not at all: `fill` gets the writer, and the file replaces any
// former one only once all of it is written. Empty on success; otherwise a sentence for the
// user naming the file.
QString writeFile(const QString& fileName, const std::function<void(Writer&)>& fill);

} // namespace Csv
