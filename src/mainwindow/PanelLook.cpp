#include "mainwindow/PanelLook.h"

#include "common/Twips.h"
#include "widgets/Look.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

void PanelLook::paintPanel(QFrame* panel, const QColor& background, int widthTwips,
                           int heightTwips)
{
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setFont(Look::font(QStringLiteral("MS Sans Serif"), 8.25));
    Look::fillBackground(panel, background);
    panel->resize(Twips::toPx(widthTwips), Twips::toPx(heightTwips));
    panel->hide();
}

QLabel* PanelLook::label(QWidget* parent, const char* name, const QString& text,
                         const QRect& twips, const QString& family)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    if (!family.isEmpty())
        label->setFont(QFont(family));
    label->setGeometry(Twips::rect(twips.x(), twips.y(), twips.width(), twips.height()));
    return label;
}

QPushButton* PanelLook::button(QWidget* parent, const char* name, const QString& caption,
                               int left, int top)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(Twips::rect(left, top, 1400, 350));
    return button;
}
