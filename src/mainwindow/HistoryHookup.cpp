// The history of changes and the closing of years, in the main window: Ctrl+H and "History..."
// on a drill cell or a ship of the fleet; "Close Year..." and "Reopen Year..." on the year's
// caption and by key.
#include "mainwindow/MainWindow.h"

#include "common/Clock.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/ChangeHistory.h"
#include "data/DrillRecord.h"
#include "data/ShipTableModel.h"
#include "data/YearClosure.h"
#include "history/HistoryWindow.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/FleetPanel.h"

#include <QAction>
#include <QLabel>
#include <QTableView>

namespace {

QAction* windowAction(QWidget* owner, const char* name, const QString& text,
                      const QKeySequence& key)
{
    auto* action = new QAction(text, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    return action;
}

} // namespace

void MainWindow::buildHistoryActions()
{
    QAction* history = windowAction(this, "ActHistory", tr("History..."), Qt::CTRL | Qt::Key_H);
    connect(history, &QAction::triggered, this, &MainWindow::showHistory);
    m_drillGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_drillGrid->addAction(history);
    auto* fleetGrid = m_fleetPanel->findChild<QTableView*>(QStringLiteral("shipGrid"));
    fleetGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    fleetGrid->addAction(history);

    QAction* close =
        windowAction(this, "ActCloseYear", tr("Close Year..."), Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    QAction* reopen =
        windowAction(this, "ActReopenYear", tr("Reopen Year..."), Qt::CTRL | Qt::SHIFT | Qt::Key_U);
    connect(close, &QAction::triggered, this, &MainWindow::closeShownYear);
    connect(reopen, &QAction::triggered, this, &MainWindow::reopenShownYear);
    m_yearLabel->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_yearLabel->addActions({close, reopen});
}

// The one key serves the fleet while its panel is open, and the drill grid otherwise.
void MainWindow::showHistory()
{
    if (m_fleetPanel->isVisible())
        showShipHistory();
    else if (m_drillGrid->isEnabled())
        showDrillHistory();
}

qint64 MainWindow::currentDrillId() const
{
    const DrillRecord* record = m_drills->currentRecord();
    return record ? record->idDrill : 0;
}

void MainWindow::openHistory(const QString& subject,
                             const std::optional<QList<ChangeEntry>>& entries)
{
    if (!entries) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The history of changes could not be read from the database."));
        return;
    }
    auto* window = new HistoryWindow(subject, *entries, m_messages, this);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlag(Qt::Window);
    window->show();
    window->activateWindow();
}

void MainWindow::showDrillHistory()
{
    const DrillRecord* record = m_drills->currentRecord();
    if (!record) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a cell of a ship's drills to see their history."));
        return;
    }
    openHistory(tr("%1, drills of %2").arg(record->shipName).arg(shownYear()),
                ChangeHistory::ofDrill(*m_db, record->idDrill));
}

void MainWindow::showShipHistory()
{
    const QModelIndex current =
        m_fleetPanel->findChild<QTableView*>(QStringLiteral("shipGrid"))->currentIndex();
    const Ship ship = current.isValid() ? m_ships->ships().value(current.row()) : Ship();
    if (ship.id == 0) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a ship to see its history."));
        return;
    }
    openHistory(ship.name, ChangeHistory::ofShip(*m_db, ship.id));
}

bool MainWindow::refuseClosedYearEdit()
{
    const auto closed = YearClosure::closedInfo(*m_db, shownYear());
    if (closed)
        m_messages.tell(Messages::Icon::Information, ProgramTitle, closed->refusal());
    return closed.has_value();
}

void MainWindow::closeShownYear()
{
    const int year = shownYear();
    if (year > Clock::today().year()) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 has not come yet and cannot be closed.").arg(year));
        return;
    }
    if (const auto closed = YearClosure::closedInfo(*m_db, year)) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle, closed->refusal());
        return;
    }
    if (!m_messages.askYesNo(tr("Close Year"),
                             tr("Close the year %1? Its drills and evaluations can then no longer "
                                "be changed, until the year is reopened with a reason.")
                                 .arg(year)))
        return;
    QSqlError error;
    if (YearClosure::close(*m_db, year, Clock::today().year(), &error) !=
        YearClosure::Outcome::Done)
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The year %1 could not be closed: %2").arg(year).arg(error.text()));
    showYearClosure();
}

void MainWindow::reopenShownYear()
{
    const int year = shownYear();
    if (!YearClosure::closedInfo(*m_db, year)) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 is not closed.").arg(year));
        return;
    }
    const std::optional<QString> reason = m_messages.askText(
        tr("Reopen Year"),
        tr("Why is the year %1 reopened? The reason is kept in the history of changes.").arg(year));
    if (!reason)
        return;
    QSqlError error;
    switch (YearClosure::reopen(*m_db, year, *reason, &error)) {
    case YearClosure::Outcome::ReasonRequired:
        m_messages.tell(
            Messages::Icon::Information, ProgramTitle,
            tr("A year is reopened only with a reason. The year %1 stays closed.").arg(year));
        break;
    case YearClosure::Outcome::Failed:
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The year %1 could not be reopened: %2").arg(year).arg(error.text()));
        break;
    default:
        break;
    }
    showYearClosure();
}

// The caption's tip says whether the shown year is closed, by whom and when.
void MainWindow::showYearClosure()
{
    const auto closed = YearClosure::closedInfo(*m_db, shownYear());
    const QString state = closed ? closed->closedOn() : QString();
    m_yearLabel->setToolTip(state);
    m_yearLabel->setAccessibleDescription(state);
}
