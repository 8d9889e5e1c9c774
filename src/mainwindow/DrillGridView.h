#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QTableView>

#include <functional>

class DrillCellDelegate;
class DrillCellEditor;

// The drill grid: a table whose ship name column stays at the left while the drills scroll
// sideways, beside it rather than over it, under a two-band caption. A click makes the cell
// current without moving the view and opens it, from either part.
class DrillGridView : public QTableView
{
    Q_OBJECT
public:
    // `frozenColumn` stays in view; the columns before it are not shown.
    DrillGridView(QAbstractItemModel* model, int frozenColumn, QWidget* parent = nullptr);

    DrillCellDelegate* cellDelegate() const { return m_delegate; }
    void setRowHeightTwips(int twips);
    // Widths in twips; 0 hides the column.
    void setColumnWidthTwips(int col, int twips);
    // The view that shows the frozen column.
    QTableView* frozenView() const { return m_frozen; }
    // The cell where it is shown now, in the grid's own coordinates, whichever part shows it.
    QRect cellRect(const QModelIndex& index) const;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

    // The next (step 1) or previous (step -1) editable cell from the current one, row by row;
    // invalid at the grid's ends.
    QModelIndex nextEditable(int step) const;
    // Opens the cell's editor, as a click does; false when it opens none.
    bool openCell(const QModelIndex& index) { return edit(index, AllEditTriggers, nullptr); }
    // Asked before a cell opens: true refuses it, the guard having told the user why when it
    // had to; `typed` when a key typed on the cell would open it.
    void setEditGuard(std::function<bool(const QModelIndex& cell, bool typed)> refuses)
    {
        m_editRefused = std::move(refuses);
    }
    // The editor open over a cell; nullptr when there is none.
    DrillCellEditor* openCellEditor() const;
    // Stores the open editor's text as Enter does, staying on its cell; false when it was
    // refused, and the editor stays open with it.
    bool storeOpenEdit();
    // Closes the open editor; what was typed in it is dropped.
    void dropOpenEdit();

signals:
    // The body was scrolled, by the user or to bring the current cell into view.
    void scrolled();

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    int firstShownColumn() const;
    bool holdsRefusedEdit();
    void moveToEditable(int step);
    void showFirstColumnWhole();

    void buildFrozenView();
    bool frozenMouseEvent(const QMouseEvent* event);
    int frozenWidth() const;

    QTableView* m_frozen = nullptr;
    DrillCellDelegate* m_delegate;
    int m_frozenColumn;
    QPersistentModelIndex m_frozenPressed;
    QPointer<DrillCellEditor> m_editor; // the last one opened
    std::function<bool(const QModelIndex&, bool)> m_editRefused;
};
