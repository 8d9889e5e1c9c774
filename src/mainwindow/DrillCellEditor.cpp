#include "mainwindow/DrillCellEditor.h"

#include "common/DateText.h"
#include "common/Twips.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

namespace {

constexpr int ButtonWidthTwips = 285;
constexpr int LineEditMargin = 2; // a line edit's own room on each side of its text, in pixels
const QColor BoxGrey(0xE0, 0xE0, 0xE0);

bool opensTheButton(const QKeyEvent* key)
{
    return key->key() == Qt::Key_F4 ||
           (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier));
}

} // namespace

DrillCellEditor::DrillCellEditor(DrillColumns::Kind kind, const QFont& font, QWidget* parent)
    : QWidget(parent), m_box(new QLineEdit(this)), m_button(new QToolButton(this))
{
    using DrillColumns::Kind;
    setObjectName(QStringLiteral("cellEditor"));
    m_box->setObjectName(QStringLiteral("editBox"));
    m_box->setAccessibleName(tr("Drill cell"));
    QPalette grey = m_box->palette();
    grey.setColor(QPalette::Base, BoxGrey);
    m_box->setPalette(grey);
    m_box->setFont(font);
    m_box->setVisible(kind == Kind::Date || kind == Kind::Master);
    m_box->installEventFilter(this);
    connect(m_box, &QLineEdit::textEdited, this, &DrillCellEditor::textEdited);
    if (m_box->isVisibleTo(this))
        setFocusProxy(m_box);
    if (kind == Kind::Date) // the text ends where the button begins
        m_box->setTextMargins(0, 0, Twips::toPx(ButtonWidthTwips), 0);

    m_button->setObjectName(QStringLiteral("pickButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setAccessibleName(kind == Kind::Date ? tr("Pick a date") : tr("Open the evaluation"));
    m_button->setVisible(kind == Kind::Date || kind == Kind::Evaluation);
    connect(m_button, &QToolButton::clicked, this, &DrillCellEditor::buttonRequested);
}

void DrillCellEditor::setText(const QString& text, bool selected)
{
    m_box->setText(text);
    if (selected)
        m_box->selectAll();
}

QString DrillCellEditor::text() const
{
    return m_box->text();
}

void DrillCellEditor::setReadOnly(bool readOnly)
{
    m_box->setReadOnly(readOnly);
    m_button->setEnabled(!readOnly);
}

bool DrillCellEditor::hasBox() const
{
    return m_box->isVisibleTo(this);
}

int DrillCellEditor::neededWidth() const
{
    if (!m_box->isVisibleTo(this) || m_button->isHidden())
        return 0;
    // The widest date has two-digit days and months and the four-digit year.
    const QString widest = DateText::toShort(QDate(2000, 12, 28));
    QStyleOptionFrame frame;
    frame.initFrom(m_box);
    frame.lineWidth = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, m_box);
    const QSize text(m_box->fontMetrics().horizontalAdvance(widest) + 2 * LineEditMargin + 1,
                     m_box->fontMetrics().height());
    const QSize box = style()->sizeFromContents(QStyle::CT_LineEdit, &frame, text, m_box);
    return box.width() + m_box->textMargins().right();
}

void DrillCellEditor::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_box->setGeometry(rect());
    const int buttonWidth = Twips::toPx(ButtonWidthTwips);
    m_button->setGeometry(width() - buttonWidth, 0, buttonWidth, height());
}

bool DrillCellEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && boxKey(static_cast<QKeyEvent*>(event)))
        return true;
    // Another window or a minimised one takes the keys only for a while: the box stays open,
    // and has them back when this window is active again.
    const auto keeps = [](const QFocusEvent* out) {
        return out->reason() == Qt::PopupFocusReason ||
               out->reason() == Qt::ActiveWindowFocusReason;
    };
    if (event->type() == QEvent::FocusOut && !keeps(static_cast<QFocusEvent*>(event)))
        emit left();
    return QWidget::eventFilter(watched, event);
}

bool DrillCellEditor::boxKey(const QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit enterPressed();
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        emit tabPressed(key->key() == Qt::Key_Tab ? 1 : -1);
        return true;
    case Qt::Key_Escape:
        emit escapePressed();
        return true;
    default:
        if (!opensTheButton(key) || m_button->isHidden())
            return false;
        emit buttonRequested();
        return true;
    }
}
