// Several users on one database: what the others change is shown here, a connection lost to
// the server is noticed, told once and made again when the server answers, and a role that may
// only read gets a window that only reads.
#include "mainwindow/MainWindow.h"

#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/ChangeWatch.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/ServerProbe.h"
#include "data/ShipTableModel.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/FleetPanel.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>

void MainWindow::watchOtherUsers()
{
    m_watch = std::make_unique<ChangeWatch>(*m_db);
    connect(m_watch.get(), &ChangeWatch::changed, this, &MainWindow::otherUsersChanged);
    connect(m_watch.get(), &ChangeWatch::drillChanged, this, &MainWindow::otherUserChangedDrill);
    m_watch->start();
    connect(m_drills, &DrillGridEditor::connectionLost, this, &MainWindow::connectionLost);
    // A server can go away while nobody edits: a light question now and then notices it.
    if (m_db->engine() == DatabaseLocation::Engine::Postgres)
        m_aliveTimer->start();
}

void MainWindow::otherUsersChanged()
{
    // An open panel works on what it was opened with: a questionnaire's total goes to the grid
    // row it came from, and the fleet list keeps what is being typed. What changed is read once
    // the panels are closed (the grid takes input again).
    if (!m_drillGrid->isEnabled()) {
        m_othersChanged = true;
        return;
    }
    m_othersChanged = false;
    m_ships->refresh();
    readCompanyName();
    m_drills->reread();
    m_reportCurrent = false;
}

void MainWindow::otherUserChangedDrill(qint64 idDrill)
{
    if (!m_drillGrid->isEnabled()) {
        m_othersChanged = true;
        return;
    }
    m_yearDrills->refreshDrill(idDrill);
    m_reportCurrent = false;
}

void MainWindow::connectionLost()
{
    if (!m_reconnectTimer->isActive()) // else told already
        tellConnectionLost(tr("The edit was not stored: it is still in its box. The program "
                              "connects again as soon as the server answers; then press Enter "
                              "to store it."));
}

void MainWindow::checkServerAlive()
{
    if (!m_reconnectTimer->isActive() && !m_db->isAlive())
        tellConnectionLost(tr("The program connects again as soon as the server answers; until "
                              "then the grid may not show other users' changes."));
}

bool MainWindow::tellIfConnectionLost(const QString& notStored)
{
    if (m_db->isAlive())
        return false;
    tellConnectionLost(notStored + QLatin1Char(' ') +
                       tr("The program connects again as soon as the server answers."));
    return true;
}

// Each refused action is told; the connection itself is made again in the background.
void MainWindow::tellConnectionLost(const QString& consequence)
{
    m_statusPanels.at(StatusLinePanel)->setText(tr("Not connected: the grid may be out of date"));
    m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                    tr("The connection to the database %1 was lost. %2")
                        .arg(m_db->location().display(), consequence));
    m_reconnectTimer->start();
}

// Connecting is tried in the background; only a server that answered is connected to here.
void MainWindow::tryReconnect()
{
    if (!m_probe) {
        m_probe = std::make_unique<ServerProbe>(m_db->location(), std::chrono::seconds(5));
        connect(m_probe.get(), &ServerProbe::answered, this, &MainWindow::serverAnswered);
    }
    m_probe->start();
}

void MainWindow::serverAnswered(bool reachable)
{
    if (!reachable || !m_reconnectTimer->isActive() || !m_db->reconnect().isEmpty())
        return; // the next tick tries again
    m_reconnectTimer->stop();
    // A new session has no subscription, and what others did meanwhile is not yet shown.
    m_watch->start();
    otherUsersChanged();
    showAccess();
}

void MainWindow::showAccess()
{
    const WriteRights rights = m_db->writeRights();
    setReadOnly(!rights.mayWrite, rights.role);
}

void MainWindow::setReadOnly(bool readOnly, const QString& role)
{
    for (const char* name : {"saveCompanyButton", "saveFleetButton", "confirmButton"}) {
        for (auto* button : findChildren<QAbstractButton*>(QLatin1String(name)))
            button->setEnabled(!readOnly);
    }
    m_drills->setReadOnly(readOnly);
    for (auto* list : m_fleetPanel->findChildren<QAbstractItemView*>())
        list->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                                       : QAbstractItemView::DoubleClicked |
                                             QAbstractItemView::EditKeyPressed |
                                             QAbstractItemView::AnyKeyPressed);
    m_statusPanels.at(StatusLinePanel)
        ->setText(readOnly ? tr("Read only: %1 may not change the data").arg(role) : QString());
}
