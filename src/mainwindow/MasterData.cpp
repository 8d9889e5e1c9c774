// The floating panels of the main window for the fleet and the company name.
#include "common/ProgramTitle.h"
#include "mainwindow/MainWindow.h"

#include "common/EditConflict.h"
#include "common/Messages.h"
#include "data/CompanyTable.h"
#include "data/DrillDataSource.h"
#include "data/ShipTableModel.h"
#include "mainwindow/CompanyPanel.h"
#include "mainwindow/FleetPanel.h"
#include "widgets/Look.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
const QColor ShadeGrey(0x40, 0x40, 0x40);
}

void MainWindow::buildPanels()
{
    m_shade = new QFrame(this);
    m_shade->setObjectName(QStringLiteral("shade"));
    Look::fillBackground(m_shade, ShadeGrey);
    m_shade->hide();

    m_fleetPanel = new FleetPanel(this);
    connect(m_fleetPanel, &FleetPanel::saveClicked, this, &MainWindow::saveFleet);
    connect(m_fleetPanel, &FleetPanel::cancelClicked, this, [this] {
        m_fleetPanel->hide(); // drops what was typed but not stored
        m_shade->hide();
    });
    m_companyPanel = new CompanyPanel(this);
    connect(m_companyPanel, &CompanyPanel::saveClicked, this, &MainWindow::saveCompanyName);
    connect(m_companyPanel, &CompanyPanel::cancelClicked, this, [this] {
        m_companyPanel->hide();
        m_shade->hide();
    });
    addFloatingPanel(m_companyPanel);
    addFloatingPanel(m_fleetPanel);

    connect(findChild<QPushButton*>(QStringLiteral("fleetButton")), &QPushButton::clicked, this,
            &MainWindow::openFleetPanel);
    connect(findChild<QPushButton*>(QStringLiteral("companyButton")), &QPushButton::clicked, this,
            &MainWindow::openCompanyPanel);
}

void MainWindow::openFleetPanel()
{
    showPanel(m_fleetPanel, 2280, 1440);
}

void MainWindow::saveFleet()
{
    m_fleetPanel->commitEdit(); // a ship typed just before "Save" belongs to the fleet
    m_fleetPanel->hide();
    m_shade->hide();
    addDrillRowsForNewShips();
    m_newShipsTimer->start();
}

void MainWindow::addNewShipsAndReload()
{
    addDrillRowsForNewShips();
    loadYear();
    m_newShipsTimer->stop();
}

void MainWindow::addDrillRowsForNewShips()
{
    m_yearDrills->setYear(shownYear());
    m_yearDrills->addMissingRecords(m_ships->ships());
    m_drills->endEdit(); // the grid is rebuilt: a pending edit has no cell left to go to
}

void MainWindow::openCompanyPanel()
{
    m_companyPanel->startEditing(m_companyLabel->text());
    showPanel(m_companyPanel, 2280, 2280);
}

void MainWindow::shipRenamedByOtherUser(qint64 id, const QString& startedFrom,
                                        const QString& storedNow, const QString& typed)
{
    const QString what = tr("the name of the ship \"%1\"").arg(startedFrom);
    if (m_messages.askYesNo(ProgramTitle, editConflictQuestion(what, storedNow, typed)))
        m_ships->overwriteName(id, storedNow, typed);
}

// The name replaces the one the panel was opened with; another user's newer name is replaced
// only when the user says so.
void MainWindow::saveCompanyName(const QString& startedFrom, const QString& typed)
{
    CompanyTable company(*m_db);
    QString replaced = startedFrom;
    while (true) {
        const CompanyTable::Write write = company.replaceName(replaced, typed);
        if (write.outcome == CompanyTable::Outcome::Failed) {
            // The panel stays open with the text, so nothing typed is lost.
            if (tellIfConnectionLost(
                    tr("The company name was not stored: it is still in its box.")))
                return;
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The company name could not be stored. The database refused the "
                               "change; the name shown is unchanged."));
            return;
        }
        if (write.outcome == CompanyTable::Outcome::Stored)
            break;
        if (!m_messages.askYesNo(ProgramTitle, editConflictQuestion(tr("the company name"),
                                                                    write.storedNow, typed))) {
            setCompanyName(write.storedNow);
            m_companyPanel->hide();
            m_shade->hide();
            return;
        }
        replaced = write.storedNow;
    }
    setCompanyName(typed);
    m_companyPanel->hide();
    m_shade->hide();
}
