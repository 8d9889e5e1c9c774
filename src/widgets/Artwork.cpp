#include "widgets/Artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Navy(0x00, 0x00, 0x80);
const QColor Sea(0x1F, 0x5F, 0xA8);
const QColor Signal(0xD7, 0x26, 0x1E);

QPixmap blank(const QSize& size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void drawLifebuoy(QPainter& p, const QRectF& box)
{
    const qreal ring = box.width() * 0.22;
    const QRectF middle = box.adjusted(ring / 2, ring / 2, -ring / 2, -ring / 2);
    p.setBrush(Qt::NoBrush);
    for (int quarter = 0; quarter < 8; ++quarter) {
        p.setPen(QPen(quarter % 2 ? QColor(Qt::white) : Signal, ring, Qt::SolidLine, Qt::FlatCap));
        p.drawArc(middle, quarter * 45 * 16, 45 * 16);
    }
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.drawEllipse(box);
    p.drawEllipse(box.adjusted(ring, ring, -ring, -ring));
}

void drawShip(QPainter& p, const QRectF& box)
{
    const qreal w = box.width();
    const qreal h = box.height();
    const qreal x = box.left();
    const qreal waterline = box.top() + h * 0.72;
    QPainterPath hull;
    hull.moveTo(x + w * 0.02, waterline - h * 0.16);
    hull.lineTo(x + w * 0.98, waterline - h * 0.16);
    hull.lineTo(x + w * 0.86, waterline + h * 0.06);
    hull.lineTo(x + w * 0.10, waterline + h * 0.06);
    hull.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x30, 0x30, 0x38));
    p.drawPath(hull);
    p.setBrush(Signal);
    p.drawRect(QRectF(x + w * 0.09, waterline, w * 0.78, h * 0.06));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(x + w * 0.64, waterline - h * 0.40, w * 0.22, h * 0.24));
    p.drawRect(QRectF(x + w * 0.68, waterline - h * 0.52, w * 0.14, h * 0.12));
    p.setBrush(QColor(0xF2, 0xA9, 0x00));
    p.drawRect(QRectF(x + w * 0.72, waterline - h * 0.66, w * 0.06, h * 0.14));
    const QColor containers[] = {QColor(0x2E, 0x7D, 0x32), Sea, Signal, QColor(0xF2, 0xA9, 0x00)};
    for (int i = 0; i < 8; ++i) {
        p.setBrush(containers[i % 4]);
        p.drawRect(QRectF(x + w * (0.10 + i * 0.065), waterline - h * (0.26 + (i % 2) * 0.08),
                          w * 0.06, h * (0.10 + (i % 2) * 0.08)));
    }
    p.setPen(QPen(QColor(255, 255, 255, 160), qMax(1.0, h * 0.02)));
    for (int i = 0; i < 3; ++i) {
        const qreal y = waterline + h * (0.12 + i * 0.07);
        p.drawLine(QPointF(x + w * (0.05 + i * 0.1), y), QPointF(x + w * (0.35 + i * 0.1), y));
    }
}

} // namespace

QPixmap Artwork::productLogo(const QSize& size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(0x0B, 0x2A, 0x6F));
    sky.setColorAt(1, Navy);
    p.fillRect(pixmap.rect(), sky);
    const qreal side = qMin(size.width(), size.height()) * 0.58;
    drawLifebuoy(p, QRectF((size.width() - side) / 2, size.height() * 0.08, side, side));
    QFont font(QStringLiteral("Verdana"));
    font.setBold(true);
    font.setPixelSize(qMax(8, size.height() / 7));
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, size.height() * 0.70, size.width(), size.height() * 0.16), Qt::AlignCenter,
               QStringLiteral("HBQ ORX"));
    font.setPixelSize(qMax(6, size.height() / 13));
    font.setBold(false);
    p.setFont(font);
    p.setPen(QColor(0xC0, 0xC0, 0xC0));
    p.drawText(QRectF(0, size.height() * 0.85, size.width(), size.height() * 0.12), Qt::AlignCenter,
               QStringLiteral("DRILL ORGANIZER"));
    return pixmap;
}

QPixmap Artwork::lifebuoy(const QSize& size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal side = qMin(size.width(), size.height()) - 2;
    drawLifebuoy(p, QRectF((size.width() - side) / 2, (size.height() - side) / 2, side, side));
    return pixmap;
}

QPixmap Artwork::ship(const QSize& size)
{
    QPixmap pixmap = blank(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    drawShip(p, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

QPixmap Artwork::banner(const QSize& size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient band(0, 0, size.width(), 0);
    band.setColorAt(0, Navy);
    band.setColorAt(0.6, Sea);
    band.setColorAt(1, QColor(0x9C, 0xC3, 0xE6));
    p.fillRect(pixmap.rect(), band);
    return pixmap;
}

QPixmap Artwork::linkIcon(LinkIcon icon, int side)
{
    struct Look
    {
        QColor colour;
        QString letters;
    };
    static const Look looks[] = {
        {QColor(0x3B, 0x59, 0x98), QStringLiteral("f")},
        {QColor(0x00, 0x77, 0xB5), QStringLiteral("in")},
        {QColor(0x1D, 0xA1, 0xF2), QStringLiteral("t")},
        {QColor(0xF5, 0x7C, 0x00), QStringLiteral("B")},
        {QColor(0x60, 0x60, 0x60), QString()},
    };
    const Look& look = looks[int(icon)];
    QPixmap pixmap = blank(QSize(side, side));
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(look.colour);
    p.drawRoundedRect(QRectF(0.5, 0.5, side - 1, side - 1), side * 0.2, side * 0.2);
    p.setPen(QPen(Qt::white, qMax(1.0, side / 14.0)));
    if (icon == LinkIcon::Mail) {
        const QRectF letter(side * 0.18, side * 0.28, side * 0.64, side * 0.44);
        p.setBrush(Qt::NoBrush);
        p.drawRect(letter);
        p.drawPolyline(
            QPolygonF({letter.topLeft(), QPointF(letter.center().x(), letter.center().y() + 1),
                       letter.topRight()}));
    } else {
        QFont font(QStringLiteral("Verdana"));
        font.setBold(true);
        font.setPixelSize(int(side * 0.62));
        p.setFont(font);
        p.drawText(QRectF(0, 0, side, side), Qt::AlignCenter, look.letters);
    }
    return pixmap;
}
