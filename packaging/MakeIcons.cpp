// Draws the program's icon for the desktop: one scalable SVG and PNGs of the usual sizes, laid
// out as the hicolor theme wants them (<size>/apps/<id>.<ext>).
#include "widgets/ProgramIcon.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

using ProgramIcon::Side;
const int PngSides[] = {16, 24, 32, 48, 64, 128, 256};

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
    ProgramIcon::paint(painter);
    return painter.end();
}

bool writePng(const QString& path, int side)
{
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(side / double(Side), side / double(Side));
    ProgramIcon::paint(painter);
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
