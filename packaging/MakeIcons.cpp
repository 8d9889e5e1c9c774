// Draws the program's icon for the desktop: one scalable SVG and PNGs of the usual sizes, laid
// out as the hicolor theme wants them (<size>/apps/<id>.<ext>).
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QSvgGenerator>

#include <cstdio>

namespace {

constexpr int Side = 256;
const int PngSides[] = {16, 24, 32, 48, 64, 128, 256};

// A lifebuoy on the navy of the program's command column, drawn on a 256 x 256 canvas.
void paintIcon(QPainter& painter)
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

QString iconPath(const QString& root, const QString& size, const QString& id, const char* ext)
{
    const QString folder = QDir(root).filePath(size + QStringLiteral("/apps"));
    QDir().mkpath(folder);
    return QDir(folder).filePath(id + u'.' + QLatin1String(ext));
}

bool writeSvg(const QString& path)
{
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(Side, Side));
    svg.setViewBox(QRect(0, 0, Side, Side));
    svg.setTitle(QStringLiteral("HBQ ORX Drill Organizer"));
    svg.setDescription(QStringLiteral("A lifebuoy on navy blue"));
    QPainter painter(&svg);
    paintIcon(painter);
    return painter.end();
}

bool writePng(const QString& path, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(side / double(Side), side / double(Side));
    paintIcon(painter);
    painter.end();
    return image.save(path, "PNG");
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT-FOLDER ICON-ID\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const QString id = QString::fromLocal8Bit(argv[2]);
    bool written = writeSvg(iconPath(root, QStringLiteral("scalable"), id, "svg"));
    for (int side : PngSides)
        written =
            writePng(iconPath(root, QStringLiteral("%1x%1").arg(side), id, "png"), side) && written;
    return written ? 0 : 1;
}
