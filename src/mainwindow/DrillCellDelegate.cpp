#include "mainwindow/DrillCellDelegate.h"

#include "common/Twips.h"
#include "mainwindow/DrillCellEditor.h"
#include "mainwindow/DrillYearModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QToolTip>

namespace {
constexpr int EditorOffsetTwips = 40; // the editor sits this far below the cell's top

bool isCut(const QStyleOptionViewItem& item, const QWidget* view)
{
    const QStyle* style = view->style();
    const QRect textRect = style->subElementRect(QStyle::SE_ItemViewItemText, &item, view);
    const int margins = 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    return item.fontMetrics.horizontalAdvance(item.text) + margins > textRect.width();
}

bool opensTheButton(const QKeyEvent* key)
{
    return key->key() == Qt::Key_F4 ||
           (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier));
}

// Another window or a minimised one takes the keys only for a while, and so does a message or
// the date picker: the box stays open, and has them back when this window is active again. So
// it does, open and shown, when another control of the window takes them: the button pressed
// there stores it, or ends it with a rebuild of the rows.
bool keepsTheBox(const QFocusEvent* out, const QWidget* grid)
{
    const QWidget* to = QApplication::focusWidget();
    return out->reason() == Qt::PopupFocusReason || out->reason() == Qt::ActiveWindowFocusReason ||
           (to && !grid->isAncestorOf(to));
}
} // namespace

DrillCellDelegate::DrillCellDelegate(QAbstractItemView* grid)
    : QStyledItemDelegate(grid), m_grid(grid)
{
}

void DrillCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const
{
    QStyleOptionViewItem plain = option;
    plain.state &= ~QStyle::State_HasFocus; // the frame below is drawn the same in every style
    QStyledItemDelegate::paint(painter, plain, index);
    if (index != m_grid->currentIndex())
        return;
    painter->save();
    QPen frame(option.palette.color(QPalette::Highlight), 2);
    painter->setPen(frame);
    painter->drawRect(option.rect.adjusted(1, 1, -1, -1));
    painter->restore();
}

QWidget* DrillCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                         const QModelIndex& index) const
{
    auto* editor = new DrillCellEditor(index, option.font, parent);
    // Qt watches the editor for Enter, Tab, Escape and the focus; they are its box's.
    editor->focusProxy()->installEventFilter(const_cast<DrillCellDelegate*>(this));
    emit editorCreated(editor);
    return editor;
}

// Qt hands the cell's data again when the cell alone changes: an edit keeps the value it
// started from and what was typed.
void DrillCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const
{
    auto* cell = qobject_cast<DrillCellEditor*>(editor);
    if (!cell || cell->hasBegun())
        return;
    const auto edit = index.data(DrillYearModel::CellEditRole).value<DrillCellEdit>();
    cell->begin(edit, edit.shown);
}

void DrillCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                     const QModelIndex& index) const
{
    QPointer<DrillCellEditor> cell = qobject_cast<DrillCellEditor*>(editor);
    if (!cell)
        return;
    cell->setRefused(false);
    const DrillCellEdit typed = cell->typed();
    if (!typed.hasTextToStore())
        return;
    // As Qt does with the editor itself: the keys lost to a message meanwhile end nothing.
    auto* self = const_cast<DrillCellDelegate*>(this);
    cell->focusProxy()->removeEventFilter(self);
    const bool stored =
        model->setData(index, QVariant::fromValue(typed), DrillYearModel::CellEditRole);
    if (!cell)
        return; // the rows may have been read again while the write waited
    cell->focusProxy()->installEventFilter(self);
    cell->setRefused(!stored);
}

// A date box wider than its column reaches over the next one, as a spreadsheet's does.
void DrillCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                             const QModelIndex&) const
{
    QRect box = option.rect.translated(0, Twips::toPx(EditorOffsetTwips) - 1);
    if (const auto* cellEditor = qobject_cast<DrillCellEditor*>(editor))
        box.setWidth(qMax(box.width(), cellEditor->neededWidth()));
    editor->setGeometry(box);
}

// A text cut off by its cell shows whole in a tip; a text shown whole needs none.
bool DrillCellDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                                  const QStyleOptionViewItem& option, const QModelIndex& index)
{
    QStyleOptionViewItem item = option;
    initStyleOption(&item, index);
    if (event->type() == QEvent::ToolTip && !isCut(item, view)) {
        QToolTip::hideText();
        return true;
    }
    return QStyledItemDelegate::helpEvent(event, view, option, index);
}

// Qt's own handling, for the editor whose box is watched, with three additions: Enter stores
// at once (Qt waits a turn of the event loop, and a fast typist's next keys would join the
// stored text), F4 and Alt+Down open the cell's button, and a box that loses the keys only for
// a while stays open.
bool DrillCellDelegate::eventFilter(QObject* watched, QEvent* event)
{
    auto* editor = qobject_cast<DrillCellEditor*>(watched->parent());
    if (!editor)
        return QStyledItemDelegate::eventFilter(watched, event);
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            storeByEnter(editor);
            return true;
        }
        if (opensTheButton(key)) {
            editor->pressButton();
            return true;
        }
    }
    if (event->type() == QEvent::FocusOut && keepsTheBox(static_cast<QFocusEvent*>(event), m_grid))
        return false;
    if (event->type() == QEvent::FocusOut && !editor->isVisible()) {
        // Hidden by a scroll or a rebuild of the rows, which deal with what was typed; Qt
        // would pass the keys on to the next control in the tab order, the web link.
        if (m_grid->isEnabled())
            m_grid->setFocus(Qt::OtherFocusReason);
        return false;
    }
    return QStyledItemDelegate::eventFilter(editor, event);
}

// The keys go down a row, as in a spreadsheet; a refused value keeps its box and the keys.
void DrillCellDelegate::storeByEnter(DrillCellEditor* editor)
{
    const QPersistentModelIndex cell = editor->cell();
    QPointer<DrillCellEditor> stays = editor;
    emit commitData(editor);
    if (stays)
        emit closeEditor(editor, SubmitModelCache);
    if (stays && stays->isRefused())
        return;
    if (const QModelIndex below = cell.sibling(cell.row() + 1, cell.column()); below.isValid())
        m_grid->setCurrentIndex(below);
}
