#pragma once

#include <QString>

namespace LicenceText {

// The licence agreement under which the program is given away, one paragraph a line.
QString agreement();

} // namespace LicenceText
