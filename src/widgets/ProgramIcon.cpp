#include "widgets/ProgramIcon.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

void ProgramIcon::paint(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x00, 0x00, 0x80));
    painter.drawRoundedRect(QRectF(8, 8, Side - 16, Side - 16), 48, 48);

    const QPointF centre(Side / 2.0, Side / 2.0);
    QPainterPath ring;
    ring.addEllipse(centre, 92, 92);
    ring.addEllipse(centre, 46, 46); // odd-even fill leaves the hole open
    painter.setBrush(Qt::white);
    painter.drawPath(ring);

    painter.setBrush(QColor(0xd0, 0x1c, 0x1c));
    for (int quarter = 0; quarter < 4; ++quarter) {
        QPainterPath wedge(centre);
        wedge.arcTo(QRectF(centre.x() - 100, centre.y() - 100, 200, 200), 45 + 90 * quarter - 20,
                    40);
        wedge.closeSubpath();
        painter.drawPath(ring.intersected(wedge));
    }
    painter.setPen(QPen(QColor(0x00, 0x00, 0x40), 4));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(ring);
}

QIcon ProgramIcon::icon()
{
    QIcon icon;
    for (int side : {16, 32, 48, 64, 128}) {
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.scale(side / double(Side), side / double(Side));
        paint(painter);
        painter.end();
        icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
