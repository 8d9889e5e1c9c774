#pragma once

#include <QIcon>

// The pictures of the date picker's buttons, drawn in code.
namespace CalendarPictures {

enum class Direction
{
    Left,
    Right
};

// One chevron steps a month, two step a year.
QIcon chevrons(Direction direction, int count);
// The red cross of the close button.
QIcon closeCross();

} // namespace CalendarPictures
