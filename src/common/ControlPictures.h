#pragma once

#include <QString>

// Text for a terminal or a mail: each control character (a NUL, a line break, an escape) as its
// visible symbol from Unicode's Control Pictures (U+2400 for NUL, U+240A for LF, U+2421 for
// DEL), so that a stored name can neither end the output early nor start a line of its own.
namespace ControlPictures {

QString shown(QString text);

} // namespace ControlPictures
