#pragma once

#include <QPixmap>
#include <QSize>

// The program's pictures, drawn in code so that no image files need to ship.
namespace Artwork {

enum class LinkIcon
{
    Facebook,
    LinkedIn,
    Twitter,
    Blog,
    Mail
};

QPixmap productLogo(const QSize& size);
QPixmap lifebuoy(const QSize& size);
QPixmap ship(const QSize& size);
QPixmap banner(const QSize& size);
QPixmap linkIcon(LinkIcon icon, int side);

} // namespace Artwork
