#pragma once

#include <QIcon>

class QPainter;

// The program's icon, a lifebuoy on navy blue: drawn for the desktop's files at build time and
// for the windows at run time, from the one drawing.
namespace ProgramIcon {

// The side of the canvas paint() draws on; scale the painter for other sizes.
inline constexpr int Side = 256;

void paint(QPainter& painter);

// The icon at the sizes window managers ask for.
QIcon icon();

} // namespace ProgramIcon
