#include "mainwindow/DrillCellEditor.h"

#include "common/DateText.h"
#include "common/Twips.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QToolButton>

namespace {

constexpr int ButtonWidthTwips = 285;
constexpr int LineEditMargin = 2; // a line edit's own room on each side of its text, in pixels
const QColor BoxGrey(0xE0, 0xE0, 0xE0);

} // namespace

DrillCellEditor::DrillCellEditor(const QModelIndex& cell, const QFont& font, QWidget* parent)
    : QWidget(parent), m_cell(cell), m_box(new QLineEdit(this)), m_button(new QToolButton(this))
{
    using DrillColumns::Kind;
    const Kind kind = DrillColumns::kindOf(cell.column());
    setObjectName(QStringLiteral("cellEditor"));
    m_box->setObjectName(QStringLiteral("editBox"));
    m_box->setAccessibleName(tr("Drill cell"));
    QPalette grey = m_box->palette();
    grey.setColor(QPalette::Base, BoxGrey);
    m_box->setPalette(grey);
    m_box->setFont(font);
    m_box->setVisible(DrillColumns::takesTyping(cell.column()));
    if (kind == Kind::Date) // the text ends where the button begins
        m_box->setTextMargins(0, 0, Twips::toPx(ButtonWidthTwips), 0);

    m_button->setObjectName(QStringLiteral("pickButton"));
    m_button->setArrowType(Qt::DownArrow);
    m_button->setAccessibleName(kind == Kind::Date ? tr("Pick a date") : tr("Open the evaluation"));
    m_button->setVisible(kind == Kind::Date || kind == Kind::Evaluation);
    connect(m_button, &QToolButton::clicked, this, &DrillCellEditor::pressButton);
    // The keys go to the box, or to the button of a cell without one.
    setFocusProxy(m_box->isVisibleTo(this) ? static_cast<QWidget*>(m_box) : m_button);
}

void DrillCellEditor::begin(const DrillCellEdit& edit, const QString& text)
{
    m_edit = edit;
    m_begun = true;
    setText(text);
}

DrillCellEdit DrillCellEditor::typed() const
{
    DrillCellEdit edit = m_edit;
    edit.change.value = m_box->isVisibleTo(this) ? m_box->text() : QString();
    return edit;
}

void DrillCellEditor::setText(const QString& text)
{
    m_box->setText(text);
}

void DrillCellEditor::setReadOnly(bool readOnly)
{
    m_box->setReadOnly(readOnly);
    m_button->setEnabled(!readOnly);
}

void DrillCellEditor::pressButton()
{
    if (m_button->isVisibleTo(this) && m_button->isEnabled())
        emit buttonRequested(this);
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
