#include "widgets/Look.h"

#include "common/Twips.h"

#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>

QFont Look::font(const QString& family, qreal points, bool bold, bool italic)
{
    QFont font(family);
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setItalic(italic);
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

void Look::place(QWidget* widget, int left, int top, int width, int height)
{
    widget->setGeometry(Twips::rect(left, top, width, height));
}

QLabel* Look::picture(QWidget* parent, const char* name, const QString& description, Painter paint,
                      const QRect& twips)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setAccessibleName(description);
    place(label, twips.x(), twips.y(), twips.width(), twips.height());
    label->setPixmap(paint(label->size()));
    return label;
}

void Look::paintPanel(QFrame* panel, const QColor& background, int widthTwips, int heightTwips)
{
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setFont(font(QStringLiteral("MS Sans Serif"), 8.25));
    fillBackground(panel, background);
    panel->resize(Twips::toPx(widthTwips), Twips::toPx(heightTwips));
    panel->hide();
}

QLabel* Look::label(QWidget* parent, const char* name, const QString& text, const QRect& twips,
                    const QString& family)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    if (!family.isEmpty())
        label->setFont(QFont(family));
    place(label, twips.x(), twips.y(), twips.width(), twips.height());
    return label;
}

QPushButton* Look::button(QWidget* parent, const char* name, const QString& caption, int left,
                          int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    place(button, left, top, 1400, 350);
    return button;
}

// Spelled out in full: without CustomizeWindowHint Qt adds a maximise button of its own.
Qt::WindowFlags Look::fixedDialogFlags()
{
    return Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
           Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
}

void Look::centreOnScreen(QWidget& window)
{
    const QWidget* owner = window.parentWidget() ? window.parentWidget()->window() : &window;
    const QScreen* screen = owner->screen() ? owner->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window.setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(),
                                           screen->availableGeometry()));
}
