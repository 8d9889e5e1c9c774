#pragma once

// The program's Windows font names, mapped onto fonts a Linux desktop has, so that texts fit
// the fixed column widths.
namespace Fonts {
void installSubstitutes();
}
