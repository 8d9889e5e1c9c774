#include "about/MakerLogo.h"

#include "widgets/Artwork.h"

#include <QPainter>

namespace {

void drawName(QPainter& p, const QRectF& box, const QString& text, qreal pixelSize, bool bold,
              const QColor& colour)
{
    QFont font(QStringLiteral("Verdana"));
    font.setPixelSize(qMax(6, qRound(pixelSize)));
    font.setBold(bold);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(box, Qt::AlignCenter, text);
}

} // namespace

QPixmap MakerLogo::draw(const QSize& size)
{
    QPixmap pixmap = Artwork::banner(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const qreal w = size.width();
    const qreal h = size.height();

    drawName(p, QRectF(0, h * 0.04, w, h * 0.34), QStringLiteral("HBQ"), h * 0.28, true, Qt::white);
    drawName(p, QRectF(0, h * 0.36, w, h * 0.12), QStringLiteral("MARINE SOFTWARE"), h * 0.085,
             true, QColor(0xF2, 0xA9, 0x00));
    p.setPen(QPen(QColor(255, 255, 255, 170), 1));
    p.drawLine(QPointF(w * 0.18, h * 0.50), QPointF(w * 0.82, h * 0.50));

    const QSize shipSize(qRound(w * 0.80), qRound(h * 0.40));
    p.drawPixmap(QPointF((w - shipSize.width()) / 2, h * 0.53), Artwork::ship(shipSize));

    p.setPen(QPen(QColor(0, 0, 0, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, w - 1, h - 1));
    return pixmap;
}
