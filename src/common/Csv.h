#pragma once

#include <QString>
#include <QStringList>

// Comma-separated values as RFC 4180 has them, safe to open in a spreadsheet.
namespace Csv {

// One field: quoted when it holds a comma, quote, line break or leading or trailing blank;
// text a spreadsheet would run as a formula (leading =, +, -, @, tab or carriage return)
// gets a leading apostrophe, so that it shows as text. A NUL is written as U+2400, its symbol.
QString field(const QString& text);

// One record, its fields joined by commas and ended by CR LF.
QString record(const QStringList& fields);

} // namespace Csv
