#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QRect>

class QFrame;
class QLabel;
class QPushButton;
class QWidget;

// The look of the program's windows: fonts, colours, and controls placed in twips.
namespace Look {

QFont font(const QString& family, qreal points, bool bold = false, bool italic = false);
void setTextColour(QWidget* widget, const QColor& colour);
void fillBackground(QWidget* widget, const QColor& colour);

// Places a control at left, top, width and height given in twips.
void place(QWidget* widget, int left, int top, int width, int height);

// A picture drawn to the size of its place, which is given in twips.
using Painter = QPixmap (*)(const QSize& size);
QLabel* picture(QWidget* parent, const char* name, const QString& description, Painter paint,
                const QRect& twips);

// The floating panels: a coloured frame of a size in twips, hidden until opened, with labels
// and 1400 x 350 twip buttons placed in twips.
void paintPanel(QFrame* panel, const QColor& background, int widthTwips, int heightTwips);
QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& twips,
              const QString& family = {});
QPushButton* button(QWidget* parent, const char* name, const QString& caption, int left, int top);

// The dialogs: a fixed single border with a close button, no minimise or maximise button.
Qt::WindowFlags fixedDialogFlags();
// Puts a top-level window in the middle of the screen it opens on.
void centreOnScreen(QWidget& window);

} // namespace Look
