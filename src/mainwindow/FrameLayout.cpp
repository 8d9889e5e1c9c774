#include "mainwindow/FrameLayout.h"

void FrameLayout::add(QWidget* part, int follow)
{
    m_parts.append({part, part->geometry(), follow});
}

void FrameLayout::apply(const QSize& size) const
{
    const int dx = size.width() - m_designed.width();
    const int dy = size.height() - m_designed.height();
    for (const Part& part : m_parts) {
        if (!part.widget)
            continue;
        QRect place = part.designed;
        place.translate(part.follow & Right ? dx : 0, part.follow & Bottom ? dy : 0);
        place.setWidth(std::max(0, place.width() + (part.follow & Wider ? dx : 0)));
        place.setHeight(std::max(0, place.height() + (part.follow & Taller ? dy : 0)));
        part.widget->setGeometry(place);
    }
}
