#pragma once

#include <QString>

namespace LoginName {

// The name the user logged in with, as the history of changes records it.
QString current();

} // namespace LoginName
