#include "mainwindow/FleetPanel.h"

#include "common/Twips.h"
#include "data/ShipTableModel.h"
#include "widgets/Look.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableView>

// Enter hands the name over at once: Qt waits a turn of the event loop, and a fast typist's next
// keys would join the name.
class ShipNameDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* editor = qobject_cast<QWidget*>(watched);
        if (!editor || event->type() != QEvent::KeyPress)
            return QStyledItemDelegate::eventFilter(watched, event);
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key != Qt::Key_Return && key != Qt::Key_Enter)
            return QStyledItemDelegate::eventFilter(watched, event);
        const QPointer<QWidget> stays = editor;
        emit commitData(editor);
        if (stays)
            emit closeEditor(editor, SubmitModelCache);
        return true;
    }
};

// Typing on a cell edits that cell. The view would otherwise use the keys to jump to a row whose
// text begins with them, and a click on the current cell would wait a double-click interval
// before editing, handing the first keys typed meanwhile to that jump.
class ShipListView : public QTableView
{
public:
    explicit ShipListView(QWidget* parent) : QTableView(parent)
    {
        setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
        setItemDelegate(new ShipNameDelegate(this));
    }

    void keyboardSearch(const QString&) override {}

    // The button whose click drops a new ship's name still being typed.
    void setCancelButton(QWidget* button) { m_cancelButton = button; }

    // Closes the open editor without handing over its text.
    void dropEditor()
    {
        if (QWidget* editor = indexWidget(currentIndex()))
            closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

protected:
    // A new ship is stored as soon as its name is handed over, and storing it reads the list
    // again: the editor is closed first, so the re-read never pulls it from under the view.
    void commitData(QWidget* editor) override
    {
        if (editor == m_closedBeforeCommit)
            return;
        const QModelIndex index = currentIndex();
        auto* ships = qobject_cast<ShipTableModel*>(model());
        if (!ships || indexWidget(index) != editor || !ships->isNewShipRow(index.row())) {
            QTableView::commitData(editor);
            return;
        }
        // A click on Cancel takes the focus from the editor before it is seen: the name is
        // dropped with the panel, as a rename not yet stored is.
        if (m_cancelButton && QApplication::focusWidget() == m_cancelButton)
            return;
        m_closedBeforeCommit = editor;
        QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
        itemDelegateForIndex(index)->setModelData(editor, ships, index);
        // The re-read left no current cell, and the keys typed next would be lost: they go to
        // the new empty row, for the next ship, as in a datasheet.
        setCurrentIndex(ships->index(ships->rowCount() - 1, index.column()));
    }

    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        if (editor != m_closedBeforeCommit)
            QTableView::closeEditor(editor, hint);
    }

private:
    QPointer<QWidget> m_closedBeforeCommit; // its delegate still sends its commit and close
    QPointer<QWidget> m_cancelButton;
};

FleetPanel::FleetPanel(QWidget* parent) : QFrame(parent), m_shipGrid(new ShipListView(this))
{
    setObjectName(QStringLiteral("fleetPanel"));
    Look::paintPanel(this, QColor(0xFF, 0xFF, 0x00), 5955, 5115);
    Look::label(this, "fleetTitle", QStringLiteral("Enter/Rename/Delete Ships Name ..."),
                QRect(240, 150, 4335, 315), QStringLiteral("Verdana"));
    Look::label(this, "fleetHint",
                QStringLiteral("*To delete a ship, select the ship and press Delete (DEL) "
                               "key from keyboard) "),
                QRect(240, 4320, 5535, 255))
        ->setFont(QFont(QStringLiteral("MS Sans Serif"), 7));

    m_shipGrid->setObjectName(QStringLiteral("shipGrid"));
    m_shipGrid->setAccessibleName(tr("Ship list"));
    m_shipGrid->setGeometry(Twips::rect(270, 480, 5475, 3825));
    // A click selects a cell; only the record selectors select whole ships.
    m_shipGrid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_shipGrid->verticalHeader()->setFixedWidth(Twips::toPx(300));
    m_shipGrid->verticalHeader()->setDefaultSectionSize(m_shipGrid->fontMetrics().height() + 6);
    m_shipGrid->horizontalHeader()->setStretchLastSection(true);
    m_shipGrid->installEventFilter(this);

    QPushButton* cancel =
        Look::button(this, "cancelFleetButton", QStringLiteral("Cancel"), 240, 4635);
    m_shipGrid->setCancelButton(cancel);
    connect(cancel, &QPushButton::clicked, this, &FleetPanel::cancelClicked);
    m_saveButton = Look::button(this, "saveFleetButton", QStringLiteral("Save"), 4365, 4635);
    connect(m_saveButton, &QPushButton::clicked, this, &FleetPanel::saveClicked);
}

void FleetPanel::setReadOnly(bool readOnly)
{
    m_saveButton->setEnabled(!readOnly);
    m_shipGrid->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                         : QAbstractItemView::DoubleClicked |
                                               QAbstractItemView::EditKeyPressed |
                                               QAbstractItemView::AnyKeyPressed);
}

QAbstractItemView* FleetPanel::shipList() const
{
    return m_shipGrid;
}

void FleetPanel::setShips(ShipTableModel* ships)
{
    m_ships = ships;
    m_shipGrid->setModel(ships);
    m_shipGrid->setColumnWidth(0, Twips::toPx(900));
    // Leaving a row writes it.
    connect(m_shipGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, ships,
            &ShipTableModel::submitPending);
}

void FleetPanel::commitEdit()
{
    // Moving off the cell closes its editor and hands over what it holds.
    const QModelIndex current = m_shipGrid->currentIndex();
    m_shipGrid->setCurrentIndex(QModelIndex());
    m_shipGrid->setCurrentIndex(current);
    if (m_ships)
        m_ships->submitPending();
}

void FleetPanel::discardEdit()
{
    m_shipGrid->dropEditor();
    if (m_ships)
        m_ships->discardPending();
}

void FleetPanel::hideEvent(QHideEvent* event)
{
    if (isHidden()) // closed, not merely a window minimised
        discardEdit();
    QFrame::hideEvent(event);
}

bool FleetPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_shipGrid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete && m_ships) {
        deleteKeyPressed();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

// Delete removes the ships whose record selectors are picked; in a name cell it clears the text
// for a new name, and the ship stays.
void FleetPanel::deleteKeyPressed()
{
    const QList<int> rows = rowsPickedBySelectors();
    if (rows.isEmpty())
        clearNameText();
    else
        m_ships->removeShips(rows);
}

QList<int> FleetPanel::rowsPickedBySelectors() const
{
    QList<int> rows;
    for (const QModelIndex& index : m_shipGrid->selectionModel()->selectedRows())
        rows.append(index.row());
    return rows;
}

void FleetPanel::clearNameText()
{
    const QModelIndex cell = m_shipGrid->currentIndex();
    if (!(cell.flags() & Qt::ItemIsEditable))
        return;
    m_shipGrid->edit(cell);
    if (auto* editor = qobject_cast<QLineEdit*>(m_shipGrid->indexWidget(cell)))
        editor->clear();
}
