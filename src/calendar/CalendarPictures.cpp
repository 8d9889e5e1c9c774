#include "calendar/CalendarPictures.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Side = 12;     // logical pixels
constexpr qreal Density = 3; // drawn finer than the screen needs, for scaled displays
const QColor ArrowBlue(0x10, 0x3C, 0xD8);
const QColor CrossRed(0xD0, 0x18, 0x18);

// A transparent canvas in logical pixels.
QPixmap canvas()
{
    QPixmap pixmap(int(Side * Density), int(Side * Density));
    pixmap.setDevicePixelRatio(Density);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

QPen strokePen(const QColor& colour, qreal width)
{
    return QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

} // namespace

QIcon CalendarPictures::chevrons(Direction direction, int count)
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(strokePen(ArrowBlue, 2.2));
    const qreal depth = 3.5;
    const qreal gap = 4.0;
    const qreal groupWidth = depth + gap * (count - 1);
    const qreal start = (Side - groupWidth) / 2;
    for (int i = 0; i < count; ++i) {
        // Drawn pointing left, mirrored for right.
        const qreal tip = start + i * gap;
        QPainterPath chevron;
        chevron.moveTo(tip + depth, 2.5);
        chevron.lineTo(tip, Side / 2.0);
        chevron.lineTo(tip + depth, Side - 2.5);
        if (direction == Direction::Right) {
            QTransform mirror(-1, 0, 0, 1, Side, 0);
            chevron = mirror.map(chevron);
        }
        p.drawPath(chevron);
    }
    return QIcon(pixmap);
}

QIcon CalendarPictures::closeCross()
{
    QPixmap pixmap = canvas();
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(strokePen(CrossRed, 2.6));
    const qreal inset = 2.5;
    p.drawLine(QPointF(inset, inset), QPointF(Side - inset, Side - inset));
    p.drawLine(QPointF(Side - inset, inset), QPointF(inset, Side - inset));
    return QIcon(pixmap);
}
