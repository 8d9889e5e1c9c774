#pragma once

#include <QColor>
#include <QRect>
#include <QString>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// Shared pieces of the floating panels: coloured frames, labels and buttons placed in twips.
namespace PanelLook {

void paintPanel(QFrame* panel, const QColor& background, int widthTwips, int heightTwips);
QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& twips,
              const QString& family = {});
QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top);

} // namespace PanelLook
