#include "mainwindow/DrillCellDelegate.h"

#include "common/Twips.h"
#include "mainwindow/DrillCellEditor.h"
#include "mainwindow/DrillColumns.h"

#include <QAbstractItemView>
#include <QHelpEvent>
#include <QPainter>
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
    auto* editor = new DrillCellEditor(DrillColumns::kindOf(index.column()), option.font, parent);
    emit editorCreated(editor, index);
    return editor;
}

void DrillCellDelegate::setEditorData(QWidget*, const QModelIndex&) const {}

void DrillCellDelegate::setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const {}

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

// The editor's keys and focus are its own; the view's default ending of an edit never runs.
bool DrillCellDelegate::eventFilter(QObject* watched, QEvent* event)
{
    return QObject::eventFilter(watched, event);
}
