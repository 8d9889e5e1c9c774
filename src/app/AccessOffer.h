#pragma once

#include "data/DatabaseLocation.h"

#include <QDateTime>
#include <QString>

#include <functional>

class Messages;
struct CommandLine;

// Taking over an Access file of the drill organizer: offered when the database to open is one,
// and done by --import-access.
namespace AccessOffer {

// When the database file at the location is an Access file, says what it holds and offers to
// take it over. True when the program may go on and open the location: it was no Access file,
// or it was taken over. False when the program ends: the user said No, or the file cannot be
// taken over; the Access file is then as it was.
// `working` is told when the take-over starts (true) and ends (false), for a wait cursor.
bool settle(const DatabaseLocation& location, const QString& codePage, Messages& messages,
            const QDateTime& now, const std::function<void(bool)>& working = {});

// --import-access FILE: takes the file over into the database the program would use, which
// must be new or hold no ships. The exit code.
int importAccess(const CommandLine& command);

} // namespace AccessOffer
