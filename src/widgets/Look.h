#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>

class QLabel;
class QWidget;

// Small helpers for the look of the program's windows.
namespace Look {

QFont font(const QString& family, qreal points, bool bold = false);
void setTextColour(QWidget* widget, const QColor& colour);
void fillBackground(QWidget* widget, const QColor& colour);

// A picture drawn to the size of its place, which is given in twips.
using Painter = QPixmap (*)(const QSize& size);
QLabel* picture(QWidget* parent, const char* name, const QString& description, Painter paint,
                const QRect& twips);

} // namespace Look
