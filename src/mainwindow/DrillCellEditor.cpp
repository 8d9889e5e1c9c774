#include "mainwindow/DrillCellEditor.h"

#include "common/Twips.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace {

constexpr int ButtonWidthTwips = 285;
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
    if (event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason)
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
