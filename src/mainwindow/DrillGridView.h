#pragma once

#include <QPersistentModelIndex>
#include <QTableView>

class DrillCellDelegate;

// The drill grid: a table whose ship name column stays at the left while the drills scroll
// sideways, beside it rather than over it, under a two-band caption. A click makes the cell
// current without moving the view and is then reported, from either part.
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
    using QTableView::edit;

signals:
    void cellClicked(const QModelIndex& index);
    // The view's triggers ask to open the cell: F2, Enter or Space with its own text (`typed`
    // empty), a printable key with what was typed.
    void openRequested(const QModelIndex& index, const QString& typed);
    // Escape reached the grid itself, which Qt leaves to the window.
    void escapePressed();
    // Tab (+1) or Shift+Tab (-1) on the grid itself.
    void tabPressed(int step);
    // The body was scrolled, by the user or to bring the current cell into view.
    void scrolled();

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    int firstShownColumn() const;
    void showFirstColumnWhole();

    void buildFrozenView();
    bool frozenMouseEvent(const QMouseEvent* event);
    int frozenWidth() const;

    QTableView* m_frozen = nullptr;
    DrillCellDelegate* m_delegate;
    int m_frozenColumn;
    QPersistentModelIndex m_frozenPressed;
};
