#pragma once

#include <QColor>
#include <QList>
#include <QMap>
#include <QStringList>
#include <QTableView>

#include <functional>

class FlexGridModel;
class QHelpEvent;

// A grid of text cells addressed by row and column, in the program's own coordinates.
// The first fixedRows() rows are headers: they stay in view and are not clickable. The first
// frozenColumns() columns stay in view while the rest scrolls sideways. The current cell is the
// program's bookkeeping: a click sets it, and setting it from code never moves the view.
class FlexGrid : public QTableView
{
    Q_OBJECT
public:
    explicit FlexGrid(QWidget* parent = nullptr);

    int rows() const;
    int cols() const;
    void setRows(int rows);
    void setCols(int cols);
    int fixedRows() const { return m_fixedRows; }
    void setFixedRows(int rows);
    int frozenColumns() const { return m_frozenCols; }
    void setFrozenColumns(int cols);

    // The current cell.
    int row() const { return m_row; }
    int col() const { return m_col; }
    void setRow(int row) { m_row = row; }
    void setCol(int col) { m_col = col; }
    QString text() const;
    void setText(const QString& text);
    void setCellForeColor(const QColor& color);
    QColor cellForeColor() const;
    void setCellFontBold(bool bold);
    bool cellFontBold() const;
    void setCellFontSize(qreal points);
    qreal cellFontSize() const; // 0 when the cell uses the grid font
    void setCellAlignment(Qt::Alignment alignment);
    Qt::Alignment cellAlignment() const;

    QString textMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);

    // Widths and heights in twips; a width of 0 hides the column.
    void setColWidth(int col, int twips);
    int colWidth(int col) const;
    void setRowHeight(int row, int twips);
    int rowHeightTwips(int row) const;
    void setColAlignment(int col, Qt::Alignment alignment);
    Qt::Alignment colAlignment(int col) const;

    void setGridFontSize(qreal points);
    void setGridForeColor(const QColor& color);
    QColor gridForeColor() const;

    // Neighbouring cells of equal text in the row are shown as one.
    void setMergeRow(int row, bool merge);

    // Cell styles set between these two reach the views at once, at the end: a pass over
    // thousands of cells then costs one repaint instead of one per cell.
    void beginStyling();
    void endStyling();

    void clear();
    // Rebuilds the grid from records: one row per record after the fixed rows, the record's
    // values from column firstColumn on. Texts and styles of every cell are discarded.
    void bindRecords(const QList<QStringList>& records, int firstColumn);

    // Where a cell is shown inside the grid, in pixels of the grid widget.
    QRect cellRect(int row, int col) const;
    // The same in twips, as the program's geometry needs it.
    int rowPos(int row) const;
    int colPos(int col) const;

    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    // The keyboard's cell, shown with a focus frame, as a click on it.
    void clickCurrent();

signals:
    // A cell was clicked; it is already the current cell.
    void cellClicked();
    // The body was scrolled.
    void scrolled();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // The keyboard moves over the body cells only.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableView* makeOverlay();
    void forEachView(const std::function<void(QTableView*)>& apply);
    void onClicked(const QModelIndex& index);
    void showCutText(QTableView* view, const QHelpEvent* help);
    void updateOverlayGeometry();
    void restoreSectionSizes();
    void applyColWidth(int col, int twips);
    void applyRowHeight(int row, int twips);
    void updateMerges();
    int frozenWidthPx() const;
    int fixedHeightPx() const;
    QTableView* viewShowing(int row, int col) const;

    FlexGridModel* m_model;
    QTableView* m_rowsView;   // the fixed rows, scrolling sideways with the body
    QTableView* m_colsView;   // the frozen columns, scrolling up and down with the body
    QTableView* m_cornerView; // where both meet
    int m_fixedRows = 0;
    int m_frozenCols = 0;
    int m_row = 0;
    int m_col = 0;
    QPersistentModelIndex m_pressed; // the cell a left button went down on
    QList<int> m_mergedRows;
    QMap<int, int> m_colWidths;  // twips
    QMap<int, int> m_rowHeights; // twips
};
