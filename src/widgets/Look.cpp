#include "widgets/Look.h"

#include "common/Twips.h"

#include <QLabel>

QFont Look::font(const QString& family, qreal points, bool bold)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void Look::setTextColour(QWidget* widget, const QColor& colour)
{
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, colour);
    widget->setPalette(palette);
}

void Look::fillBackground(QWidget* widget, const QColor& colour)
{
    widget->setAutoFillBackground(true);
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    widget->setPalette(palette);
}

QLabel* Look::picture(QWidget* parent, const char* name, const QString& description,
                      Painter paint, const QRect& twips)
{
    const QRect place = Twips::rect(twips.x(), twips.y(), twips.width(), twips.height());
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(description);
    label->setPixmap(paint(place.size()));
    label->setGeometry(place);
    return label;
}
