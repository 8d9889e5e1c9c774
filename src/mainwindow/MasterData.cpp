// The floating panels of the main window for the fleet and the company name.
#include "common/ProgramTitle.h"
#include "mainwindow/frmORXmain.h"

#include "common/EditConflict.h"
#include "common/Messages.h"
#include "data/CompanyTable.h"
#include "data/DrillDataSource.h"
#include "data/ShipTableModel.h"
#include "mainwindow/CompanyPanel.h"
#include "mainwindow/FleetPanel.h"
#include "widgets/FlexGrid.h"
#include "widgets/Look.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {
const QColor ShadeGrey(0x40, 0x40, 0x40);
}

void frmORXmain::buildPanels()
{
    PicShade = new QFrame(this);
    PicShade->setObjectName(QStringLiteral("PicShade"));
    Look::fillBackground(PicShade, ShadeGrey);
    PicShade->hide();

    PicShips = new FleetPanel(this);
    connect(PicShips, &FleetPanel::saveClicked, this, &frmORXmain::cmdSave2_Click);
    connect(PicShips, &FleetPanel::cancelClicked, this, [this] {
        PicShips->hide(); // drops what was typed but not stored
        PicShade->hide();
    });
    PicCompany = new CompanyPanel(this);
    connect(PicCompany, &CompanyPanel::saveClicked, this, &frmORXmain::cmdSave1_Click);
    connect(PicCompany, &CompanyPanel::cancelClicked, this, [this] {
        PicCompany->hide();
        PicShade->hide();
    });
    addFloatingPanel(PicCompany);
    addFloatingPanel(PicShips);

    connect(findChild<QPushButton*>(QStringLiteral("CmdShips")), &QPushButton::clicked, this,
            &frmORXmain::CmdShips_Click);
    connect(findChild<QPushButton*>(QStringLiteral("CmdCompany")), &QPushButton::clicked, this,
            &frmORXmain::CmdCompany_Click);
}

void frmORXmain::CmdShips_Click()
{
    showPanel(PicShips, 2280, 1440);
}

void frmORXmain::cmdSave2_Click()
{
    PicShips->commitEdit(); // a ship typed just before "Save" belongs to the fleet
    PicShips->hide();
    PicShade->hide();
    ProgramNewShip();
    Timer3->start();
}

void frmORXmain::Timer3_Timer()
{
    ProgramNewShip();
    LoadFlexGrid();
    Timer1->start();
    Timer3->stop();
}

void frmORXmain::ProgramNewShip()
{
    Data1->setYear(shownYear());
    Data1->addMissingRecords(Data2->ships());
    m_drills->endEdit(); // the grid is rebuilt: a pending edit has no cell left to go to
    DBGrid1->clear();
    DBGrid1->setRows(3);
}

void frmORXmain::CmdCompany_Click()
{
    PicCompany->startEditing(LblCompany->text());
    showPanel(PicCompany, 2280, 2280);
}

void frmORXmain::shipRenamedByOtherUser(qint64 id, const QString& startedFrom,
                                        const QString& storedNow, const QString& typed)
{
    const QString what = tr("the name of the ship \"%1\"").arg(startedFrom);
    if (m_messages.askYesNo(ProgramTitle, editConflictQuestion(what, storedNow, typed)))
        Data2->overwriteName(id, storedNow, typed);
}

// The name replaces the one the panel was opened with; another user's newer name is replaced
// only when the user says so.
void frmORXmain::cmdSave1_Click(const QString& startedFrom, const QString& typed)
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
            PicCompany->hide();
            PicShade->hide();
            return;
        }
        replaced = write.storedNow;
    }
    setCompanyName(typed);
    PicCompany->hide();
    PicShade->hide();
}
