#pragma once

// The longest ship or master name that every report prints whole in its narrowest name column.
inline constexpr int MaxPrintedNameLength = 60;
