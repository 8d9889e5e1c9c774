#include "widgets/FlexGrid.h"

#include "common/Twips.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>

namespace {

const QColor FixedRowBackground(0xE4, 0xE4, 0xE4);
constexpr Qt::Alignment DefaultAlignment = Qt::AlignLeft | Qt::AlignVCenter;

struct Cell
{
    QString text;
    QColor color;
    qreal fontSize = 0;
    bool bold = false;
    Qt::Alignment alignment;
};

} // namespace

// The cells behind the views; shared by the body and its overlays.
class FlexGridModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_rows;
    }
    int columnCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : m_cols;
    }

    Qt::ItemFlags flags(const QModelIndex&) const override
    {
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!index.isValid())
            return {};
        const Cell& cell = at(index.row(), index.column());
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return cell.text;
        case Qt::ForegroundRole:
            return QBrush(cell.color.isValid() ? cell.color : foreColor);
        case Qt::FontRole:
            return cellFont(cell);
        case Qt::TextAlignmentRole:
            if (cell.alignment)
                return int(cell.alignment);
            return int(index.row() < fixedRows ? Qt::AlignCenter : columnAlignment(index.column()));
        case Qt::BackgroundRole:
            return index.row() < fixedRows ? QVariant(QBrush(FixedRowBackground)) : QVariant();
        default:
            return {};
        }
    }

    void resize(int rows, int cols)
    {
        beginResetModel();
        QList<Cell> cells(qsizetype(rows) * cols);
        for (int r = 0; r < qMin(rows, m_rows); ++r) {
            for (int c = 0; c < qMin(cols, m_cols); ++c)
                cells[r * cols + c] = at(r, c);
        }
        m_cells = std::move(cells);
        m_rows = rows;
        m_cols = cols;
        m_columnAlignments.resize(cols);
        endResetModel();
    }

    void fill(const QList<QStringList>& records, int firstRow, int firstColumn, int cols)
    {
        beginResetModel();
        m_rows = firstRow + int(records.size());
        m_cols = cols;
        m_cells = QList<Cell>(qsizetype(m_rows) * m_cols);
        m_columnAlignments.resize(cols);
        for (int r = 0; r < records.size(); ++r) {
            const QStringList& record = records.at(r);
            for (int c = 0; c < record.size() && firstColumn + c < cols; ++c)
                m_cells[(firstRow + r) * cols + firstColumn + c].text = record.at(c);
        }
        endResetModel();
    }

    void clearCells()
    {
        beginResetModel();
        m_cells.fill(Cell());
        endResetModel();
    }

    const Cell& at(int row, int col) const { return m_cells.at(row * m_cols + col); }

    // Changes one cell and tells the views.
    template <typename Change> void change(int row, int col, Change&& apply)
    {
        if (row < 0 || col < 0 || row >= m_rows || col >= m_cols)
            return;
        apply(m_cells[row * m_cols + col]);
        if (quiet)
            return;
        const QModelIndex changed = index(row, col);
        emit dataChanged(changed, changed);
    }

    Qt::Alignment columnAlignment(int col) const
    {
        const Qt::Alignment alignment = m_columnAlignments.value(col);
        return alignment ? alignment : DefaultAlignment;
    }
    void setColumnAlignment(int col, Qt::Alignment alignment)
    {
        if (col < 0 || col >= m_cols)
            return;
        m_columnAlignments[col] = alignment;
        emit dataChanged(index(0, col), index(m_rows - 1, col));
    }

    void changeAll() { emit dataChanged(index(0, 0), index(m_rows - 1, m_cols - 1)); }

    QFont font;
    QColor foreColor = Qt::black;
    int fixedRows = 0;
    bool quiet = false; // changes are told later, all at once

private:
    QVariant cellFont(const Cell& cell) const
    {
        if (!cell.bold && cell.fontSize <= 0)
            return {};
        QFont styled = font;
        styled.setBold(cell.bold);
        if (cell.fontSize > 0)
            styled.setPointSizeF(cell.fontSize);
        return styled;
    }

    int m_rows = 0;
    int m_cols = 0;
    QList<Cell> m_cells;
    QList<Qt::Alignment> m_columnAlignments;
};

FlexGrid::FlexGrid(QWidget* parent) : QTableView(parent), m_model(new FlexGridModel(this))
{
    m_model->font = font();
    setModel(m_model);
    m_rowsView = makeOverlay();
    m_colsView = makeOverlay();
    m_cornerView = makeOverlay();
    m_cornerView->raise();

    forEachView([this](QTableView* view) {
        view->horizontalHeader()->hide();
        view->verticalHeader()->hide();
        view->setHorizontalScrollMode(ScrollPerPixel);
        view->setVerticalScrollMode(ScrollPerPixel);
        view->setSelectionMode(NoSelection);
        view->setEditTriggers(NoEditTriggers);
        view->setWordWrap(true);
        view->setTabKeyNavigation(false);
        view->verticalHeader()->setMinimumSectionSize(1);
        view->horizontalHeader()->setMinimumSectionSize(0);
        view->viewport()->installEventFilter(this);
    });

    // Keep the overlays aligned with the body, whichever of them was scrolled.
    auto follow = [](QScrollBar* a, QScrollBar* b) {
        connect(a, &QScrollBar::valueChanged, b, &QScrollBar::setValue);
        connect(b, &QScrollBar::valueChanged, a, &QScrollBar::setValue);
    };
    follow(horizontalScrollBar(), m_rowsView->horizontalScrollBar());
    follow(verticalScrollBar(), m_colsView->verticalScrollBar());
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::scrolled);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &FlexGrid::scrolled);
}

// A model reset forgets the sizes of the sections; give them back.
void FlexGrid::restoreSectionSizes()
{
    for (auto it = m_colWidths.cbegin(); it != m_colWidths.cend(); ++it)
        applyColWidth(it.key(), it.value());
    for (auto it = m_rowHeights.cbegin(); it != m_rowHeights.cend(); ++it)
        applyRowHeight(it.key(), it.value());
    updateOverlayGeometry();
}

QTableView* FlexGrid::makeOverlay()
{
    auto* view = new QTableView(this);
    view->setModel(m_model);
    view->setSelectionModel(selectionModel());
    view->setFocusPolicy(Qt::NoFocus);
    view->setFrameShape(QFrame::NoFrame);
    view->setAutoScroll(false);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setAccessibleName(tr("Grid headers"));
    view->hide();
    return view;
}

void FlexGrid::forEachView(const std::function<void(QTableView*)>& apply)
{
    for (QTableView* view : {static_cast<QTableView*>(this), m_rowsView, m_colsView, m_cornerView})
        apply(view);
}

int FlexGrid::rows() const
{
    return m_model->rowCount();
}

int FlexGrid::cols() const
{
    return m_model->columnCount();
}

void FlexGrid::setRows(int rows)
{
    m_model->resize(rows, cols());
    restoreSectionSizes();
    updateMerges();
}

void FlexGrid::setCols(int cols)
{
    m_model->resize(rows(), cols);
    restoreSectionSizes();
    updateMerges();
}

void FlexGrid::setFixedRows(int rows)
{
    m_fixedRows = rows;
    m_model->fixedRows = rows;
    updateOverlayGeometry();
}

void FlexGrid::setFrozenColumns(int cols)
{
    m_frozenCols = cols;
    updateOverlayGeometry();
}

QString FlexGrid::text() const
{
    return textMatrix(m_row, m_col);
}

void FlexGrid::setText(const QString& text)
{
    setTextMatrix(m_row, m_col, text);
}

QString FlexGrid::textMatrix(int row, int col) const
{
    if (row < 0 || col < 0 || row >= rows() || col >= cols())
        return {};
    return m_model->at(row, col).text;
}

void FlexGrid::setTextMatrix(int row, int col, const QString& text)
{
    m_model->change(row, col, [&](Cell& cell) { cell.text = text; });
    if (m_mergedRows.contains(row))
        updateMerges();
}

void FlexGrid::setCellForeColor(const QColor& color)
{
    m_model->change(m_row, m_col, [&](Cell& cell) { cell.color = color; });
}

QColor FlexGrid::cellForeColor() const
{
    const QColor color = m_model->at(m_row, m_col).color;
    return color.isValid() ? color : m_model->foreColor;
}

void FlexGrid::setCellFontBold(bool bold)
{
    m_model->change(m_row, m_col, [&](Cell& cell) { cell.bold = bold; });
}

bool FlexGrid::cellFontBold() const
{
    return m_model->at(m_row, m_col).bold;
}

void FlexGrid::setCellFontSize(qreal points)
{
    m_model->change(m_row, m_col, [&](Cell& cell) { cell.fontSize = points; });
}

qreal FlexGrid::cellFontSize() const
{
    return m_model->at(m_row, m_col).fontSize;
}

void FlexGrid::setCellAlignment(Qt::Alignment alignment)
{
    m_model->change(m_row, m_col, [&](Cell& cell) { cell.alignment = alignment; });
}

Qt::Alignment FlexGrid::cellAlignment() const
{
    const Qt::Alignment alignment = m_model->at(m_row, m_col).alignment;
    return alignment ? alignment : m_model->columnAlignment(m_col);
}

void FlexGrid::setColWidth(int col, int twips)
{
    m_colWidths[col] = twips;
    applyColWidth(col, twips);
    updateOverlayGeometry();
}

void FlexGrid::applyColWidth(int col, int twips)
{
    forEachView([&](QTableView* view) {
        view->setColumnWidth(col, Twips::toPx(twips));
        view->setColumnHidden(col, twips == 0);
    });
}

int FlexGrid::colWidth(int col) const
{
    return m_colWidths.value(col, Twips::fromPx(horizontalHeader()->defaultSectionSize()));
}

void FlexGrid::setRowHeight(int row, int twips)
{
    m_rowHeights[row] = twips;
    applyRowHeight(row, twips);
    updateOverlayGeometry();
}

void FlexGrid::applyRowHeight(int row, int twips)
{
    forEachView([&](QTableView* view) { view->setRowHeight(row, Twips::toPx(twips)); });
}

int FlexGrid::rowHeightTwips(int row) const
{
    return Twips::fromPx(rowHeight(row));
}

void FlexGrid::setColAlignment(int col, Qt::Alignment alignment)
{
    m_model->setColumnAlignment(col, alignment);
}

Qt::Alignment FlexGrid::colAlignment(int col) const
{
    return m_model->columnAlignment(col);
}

void FlexGrid::setGridFontSize(qreal points)
{
    QFont changed = font();
    changed.setPointSizeF(points);
    setFont(changed);
    m_model->font = changed;
    forEachView([](QTableView* view) {
        view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 8);
    });
    m_model->changeAll();
    restoreSectionSizes(); // a new default size applies to every row
}

void FlexGrid::setGridForeColor(const QColor& color)
{
    m_model->foreColor = color;
    m_model->changeAll();
}

QColor FlexGrid::gridForeColor() const
{
    return m_model->foreColor;
}

void FlexGrid::setMergeRow(int row, bool merge)
{
    m_mergedRows.removeAll(row);
    if (merge)
        m_mergedRows.append(row);
    updateMerges();
}

void FlexGrid::beginStyling()
{
    m_model->quiet = true;
}

void FlexGrid::endStyling()
{
    m_model->quiet = false;
    m_model->changeAll();
}

void FlexGrid::clear()
{
    m_model->clearCells();
    restoreSectionSizes();
    updateMerges();
}

void FlexGrid::bindRecords(const QList<QStringList>& records, int firstColumn)
{
    const int recordWidth = records.isEmpty() ? 0 : int(records.first().size());
    m_model->fill(records, m_fixedRows, firstColumn, qMax(cols(), firstColumn + recordWidth));
    restoreSectionSizes();
    updateMerges();
}

void FlexGrid::updateMerges()
{
    forEachView([this](QTableView* view) {
        view->clearSpans();
        for (int row : std::as_const(m_mergedRows)) {
            if (row >= rows())
                continue;
            for (int first = 0; first < cols();) {
                int last = first;
                const QString& text = m_model->at(row, first).text;
                while (last + 1 < cols() && !text.isEmpty() &&
                       m_model->at(row, last + 1).text == text)
                    ++last;
                if (last > first)
                    view->setSpan(row, first, 1, last - first + 1);
                first = last + 1;
            }
        }
    });
}

int FlexGrid::frozenWidthPx() const
{
    int width = 0;
    for (int c = 0; c < qMin(m_frozenCols, cols()); ++c)
        width += isColumnHidden(c) ? 0 : columnWidth(c);
    return width;
}

int FlexGrid::fixedHeightPx() const
{
    int height = 0;
    for (int r = 0; r < qMin(m_fixedRows, rows()); ++r)
        height += rowHeight(r);
    return height;
}

void FlexGrid::updateOverlayGeometry()
{
    const QRect area = viewport()->geometry();
    const int frozenWidth = qMin(frozenWidthPx(), area.width());
    const int fixedHeight = qMin(fixedHeightPx(), area.height());
    auto place = [](QTableView* view, const QRect& rect) {
        view->setGeometry(rect);
        view->setVisible(!rect.isEmpty());
    };
    place(m_rowsView, QRect(area.left(), area.top(), area.width(), fixedHeight));
    place(m_colsView, QRect(area.left(), area.top(), frozenWidth, area.height()));
    place(m_cornerView, QRect(area.left(), area.top(), frozenWidth, fixedHeight));
    m_rowsView->horizontalScrollBar()->setValue(horizontalScrollBar()->value());
    m_colsView->verticalScrollBar()->setValue(verticalScrollBar()->value());
}

void FlexGrid::resizeEvent(QResizeEvent* event)
{
    QTableView::resizeEvent(event);
    updateOverlayGeometry();
}

void FlexGrid::keyPressEvent(QKeyEvent* event)
{
    // Keyboard users "click" the focused cell with Enter or Space.
    const int key = event->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
        clickCurrent();
        return;
    }
    QTableView::keyPressEvent(event);
}

// A click belongs to the cell under the press, even when the view scrolled in between.
bool FlexGrid::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type == QEvent::ToolTip) {
        auto* view = qobject_cast<QTableView*>(static_cast<QWidget*>(watched)->parentWidget());
        if (view)
            showCutText(view, static_cast<QHelpEvent*>(event));
        return view != nullptr;
    }
    if (isEnabled() && (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            auto* view = static_cast<QTableView*>(static_cast<QWidget*>(watched)->parentWidget());
            if (type == QEvent::MouseButtonPress)
                m_pressed = view->indexAt(mouse->position().toPoint());
            else if (m_pressed.isValid())
                onClicked(std::exchange(m_pressed, QPersistentModelIndex()));
        }
    }
    return QTableView::eventFilter(watched, event);
}

// A text cut off by its cell is shown whole in a tip; a text shown whole needs none.
void FlexGrid::showCutText(QTableView* view, const QHelpEvent* help)
{
    const QModelIndex index = view->indexAt(help->pos());
    const QString text = index.data().toString();
    const QVariant cellFont = index.data(Qt::FontRole);
    const QFontMetrics metrics(cellFont.isValid() ? cellFont.value<QFont>() : view->font());
    const QRect cell = view->visualRect(index);
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, view) + 1);
    if (index.isValid() && metrics.horizontalAdvance(text) + margins > cell.width())
        QToolTip::showText(help->globalPos(), text, view->viewport(), cell);
    else
        QToolTip::hideText();
}

QModelIndex FlexGrid::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    if (!next.isValid() || next.row() >= m_fixedRows)
        return next;
    return rows() > m_fixedRows ? m_model->index(m_fixedRows, next.column()) : QModelIndex();
}

void FlexGrid::clickCurrent()
{
    onClicked(currentIndex());
}

void FlexGrid::onClicked(const QModelIndex& index)
{
    if (!index.isValid() || index.row() < m_fixedRows)
        return;
    m_row = index.row();
    m_col = index.column();
    setCurrentIndex(index); // the focus frame follows the click
    // A row cut off at the bottom comes into view now, before the clicked cell is reported;
    // the view's own scroll would come half a second later and end what the click began.
    scrollTo(index);
    emit cellClicked();
}

void FlexGrid::scrollTo(const QModelIndex& index, ScrollHint)
{
    // Like the base class, but the fixed rows and frozen columns cover part of the viewport.
    if (!index.isValid())
        return;
    auto reveal = [](QScrollBar* bar, int start, int size, int visibleStart, int visibleEnd) {
        if (start < visibleStart)
            bar->setValue(bar->value() - (visibleStart - start));
        else if (start + size > visibleEnd)
            bar->setValue(bar->value() + qMin(start + size - visibleEnd, start - visibleStart));
    };
    if (index.row() >= m_fixedRows)
        reveal(verticalScrollBar(), rowViewportPosition(index.row()), rowHeight(index.row()),
               fixedHeightPx(), viewport()->height());
    if (index.column() >= m_frozenCols)
        reveal(horizontalScrollBar(), columnViewportPosition(index.column()),
               columnWidth(index.column()), frozenWidthPx(), viewport()->width());
}

QTableView* FlexGrid::viewShowing(int row, int col) const
{
    const bool fixedRow = row < m_fixedRows;
    const bool frozenCol = col < m_frozenCols;
    if (fixedRow && frozenCol)
        return m_cornerView;
    if (fixedRow)
        return m_rowsView;
    if (frozenCol)
        return m_colsView;
    return const_cast<FlexGrid*>(this);
}

QRect FlexGrid::cellRect(int row, int col) const
{
    const QTableView* view = viewShowing(row, col);
    const QPoint origin = viewport()->geometry().topLeft();
    return QRect(origin.x() + view->columnViewportPosition(col),
                 origin.y() + view->rowViewportPosition(row), view->columnWidth(col),
                 view->rowHeight(row));
}

int FlexGrid::rowPos(int row) const
{
    return Twips::fromPx(cellRect(row, qMax(m_frozenCols, 0)).top());
}

int FlexGrid::colPos(int col) const
{
    return Twips::fromPx(cellRect(m_fixedRows, col).left());
}
