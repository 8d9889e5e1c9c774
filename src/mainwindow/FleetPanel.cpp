#include "mainwindow/FleetPanel.h"

#include "common/Twips.h"
#include "data/ShipTableModel.h"
#include "widgets/Look.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

// Typing on a cell edits that cell. The view would otherwise use the keys to jump to a row whose
// text begins with them, and a click on the current cell would wait a double-click interval
// before editing, handing the first keys typed meanwhile to that jump.
class ShipListView : public QTableView
{
public:
    explicit ShipListView(QWidget* parent) : QTableView(parent)
    {
        setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
    }

    void keyboardSearch(const QString&) override {}

    // Closes the open editor without handing over its text.
    void dropEditor()
    {
        if (QWidget* editor = indexWidget(currentIndex()))
            closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
};

FleetPanel::FleetPanel(QWidget* parent) : QFrame(parent), DBGrid2(new ShipListView(this))
{
    setObjectName(QStringLiteral("PicShips"));
    Look::paintPanel(this, QColor(0xFF, 0xFF, 0x00), 5955, 5115);
    Look::label(this, "Label4", QStringLiteral("Enter/Rename/Delete Ships Name ..."),
                QRect(240, 150, 4335, 315), QStringLiteral("Verdana"));
    Look::label(this, "Label19",
                QStringLiteral("*To delete a ship, select the ship and press Delete (DEL) "
                               "key from keyboard) "),
                QRect(240, 4320, 5535, 255))
        ->setFont(QFont(QStringLiteral("MS Sans Serif"), 7));

    DBGrid2->setObjectName(QStringLiteral("DBGrid2"));
    DBGrid2->setAccessibleName(tr("Ship list"));
    DBGrid2->setGeometry(Twips::rect(270, 480, 5475, 3825));
    // A click selects a cell; only the record selectors select whole ships.
    DBGrid2->setSelectionBehavior(QAbstractItemView::SelectItems);
    DBGrid2->verticalHeader()->setFixedWidth(Twips::toPx(300));
    DBGrid2->verticalHeader()->setDefaultSectionSize(DBGrid2->fontMetrics().height() + 6);
    DBGrid2->horizontalHeader()->setStretchLastSection(true);
    DBGrid2->installEventFilter(this);

    connect(Look::button(this, "CmdCancel2", QStringLiteral("Cancel"), 240, 4635),
            &QPushButton::clicked, this, &FleetPanel::cancelClicked);
    connect(Look::button(this, "cmdSave2", QStringLiteral("Save"), 4365, 4635),
            &QPushButton::clicked, this, &FleetPanel::saveClicked);
}

void FleetPanel::setShips(ShipTableModel* ships)
{
    m_ships = ships;
    DBGrid2->setModel(ships);
    DBGrid2->setColumnWidth(0, Twips::toPx(900));
    // Leaving a row writes it.
    connect(DBGrid2->selectionModel(), &QItemSelectionModel::currentRowChanged, ships,
            &ShipTableModel::submitPending);
}

void FleetPanel::commitEdit()
{
    // Moving off the cell closes its editor and hands over what it holds.
    const QModelIndex current = DBGrid2->currentIndex();
    DBGrid2->setCurrentIndex(QModelIndex());
    DBGrid2->setCurrentIndex(current);
    if (m_ships)
        m_ships->submitPending();
}

void FleetPanel::discardEdit()
{
    DBGrid2->dropEditor();
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
    if (watched == DBGrid2 && event->type() == QEvent::KeyPress &&
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
    for (const QModelIndex& index : DBGrid2->selectionModel()->selectedRows())
        rows.append(index.row());
    return rows;
}

void FleetPanel::clearNameText()
{
    const QModelIndex cell = DBGrid2->currentIndex();
    if (!(cell.flags() & Qt::ItemIsEditable))
        return;
    DBGrid2->edit(cell);
    if (auto* editor = qobject_cast<QLineEdit*>(DBGrid2->indexWidget(cell)))
        editor->clear();
}
