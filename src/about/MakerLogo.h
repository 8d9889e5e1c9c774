#pragma once

#include <QPixmap>
#include <QSize>

namespace MakerLogo {

// The logo of HBQ Marine Software, the program's maker.
QPixmap draw(const QSize& size);

} // namespace MakerLogo
