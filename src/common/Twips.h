#pragma once

#include <QPoint>
#include <QRect>
#include <QtMath>

// Positions and sizes are given in twips; 15 twips are one pixel at 96 dpi.
namespace Twips {

constexpr int PerPixel = 15;

inline int toPx(int twips)
{
    return qRound(twips / double(PerPixel));
}

inline int fromPx(int pixels)
{
    return pixels * PerPixel;
}

inline QRect rect(int left, int top, int width, int height)
{
    return QRect(toPx(left), toPx(top), toPx(width), toPx(height));
}

} // namespace Twips
