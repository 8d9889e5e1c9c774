#include "mainwindow/DrillGridView.h"

#include "common/Twips.h"
#include "mainwindow/DrillCellDelegate.h"
#include "mainwindow/DrillCellEditor.h"
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
    connect(m_delegate, &DrillCellDelegate::editorCreated, this,
            [this](DrillCellEditor* editor) { m_editor = editor; });
    // Qt opens a cell on a click only when it was selected already, and on Enter never.
    connect(this, &QTableView::clicked, this, &DrillGridView::openCell);
    connect(this, &QTableView::activated, this, &DrillGridView::openCell);
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
    // A delegate of its own: the frozen view opens no editor, and must not take the body's.
    m_frozen->setItemDelegate(new DrillCellDelegate(this));
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
    if (holdsRefusedEdit())
        return true;
    const QModelIndex index = m_frozen->indexAt(event->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
        m_frozenPressed = index;
        if (index.isValid()) {
            setAutoScroll(false);
            setCurrentIndex(index);
            setAutoScroll(true);
            if (holdsRefusedEdit())
                return true;
            setFocus(Qt::MouseFocusReason);
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        if (index.isValid() && index == m_frozenPressed)
            emit clicked(index);
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

// The view's triggers decide when a cell opens: a printable key types into its box, Space
// opens it with its own text; the guard may refuse it.
bool DrillGridView::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    if (!(editTriggers() & trigger) || !(model()->flags(index) & Qt::ItemIsEditable) ||
        state() == EditingState)
        return QTableView::edit(index, trigger, event);
    const auto* key =
        event && event->type() == QEvent::KeyPress ? static_cast<QKeyEvent*>(event) : nullptr;
    const QString text = key ? key->text() : QString();
    const bool typing =
        text.size() == 1 && text.at(0).isPrint() && !text.at(0).isSpace() &&
        !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    const bool space = key && key->key() == Qt::Key_Space;
    if ((trigger == AnyKeyPressed && !typing && !space) ||
        (m_editRefused && m_editRefused(index, typing)))
        return false;
    if (space)
        return QTableView::edit(index, EditKeyPressed, nullptr);
    return QTableView::edit(index, trigger, event);
}

// Qt closes an editor whatever became of its text. A refused text stays in its open box, on
// the current cell, with the keys; Tab moves on without opening the next cell, as it does on
// the grid itself; and the keys of a closed box stay in the grid, where Qt would hand them to
// the next control in the tab order, the web link, or leave them there while another window
// is active.
void DrillGridView::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    auto* cell = qobject_cast<DrillCellEditor*>(editor);
    if (cell && cell != m_editor)
        return; // closed with the rows read again while it was stored; another may be open
    if (cell && cell->isRefused() && hint != QAbstractItemDelegate::RevertModelCache) {
        selectionModel()->setCurrentIndex(cell->cell(), QItemSelectionModel::NoUpdate);
        scrollTo(cell->cell());
        if (isEnabled())
            cell->setFocus(Qt::OtherFocusReason);
        return;
    }
    const bool hadKeys = editor && editor->isAncestorOf(window()->focusWidget());
    if (cell)
        cell->focusProxy()->removeEventFilter(m_delegate); // as Qt does with the editor's own
    const int step = hint == QAbstractItemDelegate::EditNextItem       ? 1
                     : hint == QAbstractItemDelegate::EditPreviousItem ? -1
                                                                       : 0;
    QTableView::closeEditor(editor, step != 0 ? QAbstractItemDelegate::NoHint : hint);
    if (hadKeys && isEnabled())
        setFocus(Qt::OtherFocusReason);
    if (step != 0)
        moveToEditable(step);
}

DrillCellEditor* DrillGridView::openCellEditor() const
{
    return state() == EditingState ? m_editor.data() : nullptr;
}

bool DrillGridView::storeOpenEdit()
{
    QPointer<DrillCellEditor> editor = openCellEditor();
    if (!editor)
        return true;
    commitData(editor);
    if (editor) // the rows may have been read again while it was stored
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    return openCellEditor() == nullptr;
}

void DrillGridView::dropOpenEdit()
{
    if (DrillCellEditor* editor = openCellEditor())
        closeEditor(editor, QAbstractItemDelegate::RevertModelCache);
}

// While a refused text waits in its box, a click elsewhere only gives the box its keys back:
// the text is stored, or dropped, there first.
bool DrillGridView::holdsRefusedEdit()
{
    DrillCellEditor* editor = openCellEditor();
    if (!editor || !editor->isRefused())
        return false;
    editor->setFocus(Qt::OtherFocusReason);
    return true;
}

void DrillGridView::mousePressEvent(QMouseEvent* event)
{
    if (!holdsRefusedEdit())
        QTableView::mousePressEvent(event);
}

// The grid's ends stop.
void DrillGridView::moveToEditable(int step)
{
    if (const QModelIndex next = nextEditable(step); next.isValid())
        setCurrentIndex(next);
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
            moveToEditable(key->key() == Qt::Key_Tab ? 1 : -1);
            return true;
        }
    }
    return QTableView::event(event);
}
