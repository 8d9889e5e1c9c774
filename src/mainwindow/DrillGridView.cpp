#include "mainwindow/DrillGridView.h"

#include "common/Twips.h"
#include "mainwindow/DrillCellDelegate.h"
#include "mainwindow/DrillHeaderView.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalBlocker>

DrillGridView::DrillGridView(QAbstractItemModel* model, int frozenColumn, QWidget* parent)
    : QTableView(parent), m_delegate(new DrillCellDelegate(this)), m_frozenColumn(frozenColumn)
{
    setHorizontalHeader(new DrillHeaderView(this));
    setModel(model);
    setItemDelegate(m_delegate);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setFixedWidth(0);
    setCornerButtonEnabled(false);
    setSelectionMode(NoSelection);
    setEditTriggers(EditKeyPressed | AnyKeyPressed);
    setTabKeyNavigation(false); // see event()
    setHorizontalScrollMode(ScrollPerItem);
    setWordWrap(false);
    buildFrozenView();
    connect(this, &QTableView::clicked, this, &DrillGridView::cellClicked);
    // Qt opens no editor on Enter, which keyboard users press to open a cell.
    connect(this, &QTableView::activated, this,
            [this](const QModelIndex& index) { emit openRequested(index, {}); });
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, &DrillGridView::scrolled);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &DrillGridView::scrolled);
}

// The frozen column is a second view of the same model and current cell, laid in a margin
// of its own left of the body, so that nothing ever scrolls under it.
void DrillGridView::buildFrozenView()
{
    m_frozen = new QTableView(this);
    m_frozen->setObjectName(QStringLiteral("shipNameColumn"));
    m_frozen->setHorizontalHeader(new DrillHeaderView(m_frozen));
    m_frozen->setModel(model());
    m_frozen->setSelectionModel(selectionModel());
    m_frozen->setItemDelegate(m_delegate);
    m_frozen->verticalHeader()->hide();
    m_frozen->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_frozen->setSelectionMode(NoSelection);
    m_frozen->setEditTriggers(NoEditTriggers);
    m_frozen->setFocusPolicy(Qt::NoFocus);
    m_frozen->setFrameShape(QFrame::NoFrame);
    m_frozen->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_frozen->setWordWrap(false);
    for (int col = 0; col < model()->columnCount(); ++col)
        m_frozen->setColumnHidden(col, col != m_frozenColumn);
    setColumnHidden(m_frozenColumn, true);
    m_frozen->viewport()->installEventFilter(this);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, m_frozen->verticalScrollBar(),
            &QScrollBar::setValue);
    connect(m_frozen->verticalScrollBar(), &QScrollBar::valueChanged, verticalScrollBar(),
            &QScrollBar::setValue);
}

void DrillGridView::setRowHeightTwips(int twips)
{
    verticalHeader()->setDefaultSectionSize(Twips::toPx(twips));
    m_frozen->verticalHeader()->setDefaultSectionSize(Twips::toPx(twips));
}

void DrillGridView::setColumnWidthTwips(int col, int twips)
{
    if (col == m_frozenColumn) {
        m_frozen->setColumnWidth(col, Twips::toPx(twips));
        verticalHeader()->setFixedWidth(Twips::toPx(twips));
        return;
    }
    setColumnHidden(col, twips == 0);
    if (twips > 0)
        setColumnWidth(col, Twips::toPx(twips));
}

int DrillGridView::frozenWidth() const
{
    return m_frozen->columnWidth(m_frozenColumn);
}

void DrillGridView::updateGeometries()
{
    QTableView::updateGeometries();
    if (!m_frozen)
        return; // still being built
    // The row header keeps the body right of the frozen column; the frozen view covers it.
    const QRect body = viewport()->geometry();
    const int captionHeight = horizontalHeader()->height();
    m_frozen->setGeometry(body.left() - frozenWidth(), body.top() - captionHeight, frozenWidth(),
                          body.height() + captionHeight);
    m_frozen->verticalScrollBar()->setValue(verticalScrollBar()->value());
    showFirstColumnWhole();
}

void DrillGridView::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, dy);
    if (dx != 0)
        showFirstColumnWhole();
}

// At the end of its scroll bar Qt lays the last column against the right edge, which cuts
// the first shown one at the ship names; it starts whole there instead, leaving room after
// the last.
void DrillGridView::showFirstColumnWhole()
{
    const QScrollBar* across = horizontalScrollBar();
    if (across->maximum() == 0 || across->value() != across->maximum())
        return;
    horizontalHeader()->setOffsetToSectionPosition(across->value());
    updateEditorGeometries();
    viewport()->update();
}

// A cell of the frozen column moves the rows only.
void DrillGridView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (index.column() != m_frozenColumn) {
        QTableView::scrollTo(index, hint);
        return;
    }
    const int across = horizontalScrollBar()->value();
    QTableView::scrollTo(model()->index(index.row(), firstShownColumn()), hint);
    horizontalScrollBar()->setValue(across);
}

int DrillGridView::firstShownColumn() const
{
    for (int col = 0; col < model()->columnCount(); ++col) {
        if (!isColumnHidden(col))
            return col;
    }
    return m_frozenColumn;
}

QRect DrillGridView::cellRect(const QModelIndex& index) const
{
    if (index.column() == m_frozenColumn)
        return m_frozen->visualRect(index).translated(
            m_frozen->viewport()->mapTo(this, QPoint(0, 0)));
    return visualRect(index).translated(viewport()->mapTo(this, QPoint(0, 0)));
}

// The body's keys also reach the frozen column, which the body itself does not show: from
// there they move as from the column beside it, and Home goes there.
QModelIndex DrillGridView::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    const QModelIndex current = currentIndex();
    if (action == MoveLeft && current.isValid() && current.column() == firstShownColumn())
        return model()->index(current.row(), m_frozenColumn);
    if (action == MoveRight && current.column() == m_frozenColumn)
        return model()->index(current.row(), firstShownColumn());
    if (current.column() != m_frozenColumn) {
        const QModelIndex next = QTableView::moveCursor(action, modifiers);
        return action == MoveHome ? model()->index(next.row(), m_frozenColumn) : next;
    }
    const QSignalBlocker quiet(selectionModel()); // the current cell only seems to move
    selectionModel()->setCurrentIndex(model()->index(current.row(), firstShownColumn()),
                                      QItemSelectionModel::NoUpdate);
    const QModelIndex next = QTableView::moveCursor(action, modifiers);
    selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
    return next.column() == firstShownColumn() ? model()->index(next.row(), m_frozenColumn) : next;
}

bool DrillGridView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_frozen->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            return frozenMouseEvent(static_cast<QMouseEvent*>(event));
        case QEvent::Wheel:
            QCoreApplication::sendEvent(viewport(), event);
            return true;
        default:
            break;
        }
    }
    return QTableView::eventFilter(watched, event);
}

// A click on the frozen column acts as one on the body: the cell becomes current where it
// stands, the keyboard stays with the grid, and the click is reported on release.
bool DrillGridView::frozenMouseEvent(const QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return false;
    const QModelIndex index = m_frozen->indexAt(event->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
        m_frozenPressed = index;
        if (index.isValid()) {
            setAutoScroll(false);
            setCurrentIndex(index);
            setAutoScroll(true);
            setFocus(Qt::MouseFocusReason);
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (index.isValid() && index == m_frozenPressed)
            emit cellClicked(index);
        m_frozenPressed = QPersistentModelIndex();
    }
    return true;
}

QModelIndex DrillGridView::nextEditable(int step) const
{
    const QModelIndex current = currentIndex();
    int row = current.isValid() ? current.row() : 0;
    int col = current.isValid() ? current.column() : m_frozenColumn;
    do {
        col += step;
        if (col < 0 || col >= model()->columnCount()) {
            row += step;
            col = step > 0 ? 0 : model()->columnCount() - 1;
        }
        if (row < 0 || row >= model()->rowCount())
            return {};
    } while (!(model()->flags(model()->index(row, col)) & Qt::ItemIsEditable));
    return model()->index(row, col);
}

// The view's triggers decide when a cell opens; the box itself is the drill editor's, which
// keeps an edit's text through a rebuild of the rows.
bool DrillGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!(editTriggers() & trigger) || !(model()->flags(index) & Qt::ItemIsEditable))
        return QTableView::edit(index, trigger, event);
    const auto* key =
        event && event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    const QString text = key ? key->text() : QString();
    const bool typing =
        text.size() == 1 && text.at(0).isPrint() && !text.at(0).isSpace() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (trigger == AnyKeyPressed && !typing && !(key && key->key() == Qt::Key_Space))
        return false;
    emit openRequested(index, typing ? text : QString());
    return true;
}

void DrillGridView::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape)
        emit escapePressed();
    QTableView::keyPressEvent(event);
}

// Tab on the grid moves to the next editable cell. Qt's own Tab key navigation would also move
// the cell whenever something else hands the focus on through the grid (a box hidden by a
// rebuild of the rows, the grid disabled under a panel); the key itself is taken here instead.
bool DrillGridView::event(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
        if (plain && (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab)) {
            emit tabPressed(key->key() == Qt::Key_Tab ? 1 : -1);
            return true;
        }
    }
    return QTableView::event(event);
}
