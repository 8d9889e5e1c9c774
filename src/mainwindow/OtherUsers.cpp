// Several users on one database: what the others change is shown here, and a connection lost
// to the server is told once and made again when the server answers.
#include "mainwindow/frmORXmain.h"

#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/ChangeWatch.h"
#include "data/DrillDatabase.h"
#include "data/ShipTableModel.h"
#include "widgets/FlexGrid.h"

#include <QTimer>

void frmORXmain::watchOtherUsers()
{
    m_watch = std::make_unique<ChangeWatch>(*m_db);
    connect(m_watch.get(), &ChangeWatch::changed, this, &frmORXmain::OtherUsers_Changed);
    m_watch->start();
    connect(m_drills, &DrillGridEditor::connectionLost, this, &frmORXmain::connectionLost);
}

void frmORXmain::OtherUsers_Changed()
{
    // An open panel works on what it was opened with: a questionnaire's total goes to the grid
    // row it came from, and the fleet list keeps what is being typed. What changed is read once
    // the panels are closed (the grid takes input again).
    if (!DBGrid1->isEnabled()) {
        m_othersChanged = true;
        return;
    }
    m_othersChanged = false;
    // An edit waiting for its commit step is the user's newest word: it is stored first.
    if (Timer1->isActive())
        Timer1_Timer();
    Data2->refresh();
    SubCompany();
    m_drills->reread();
    m_reportCurrent = false;
}

void frmORXmain::connectionLost()
{
    m_drills->reopenEditor();
    if (TimerReconnect->isActive())
        return; // told already
    m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                    tr("The connection to the database %1 was lost, so the edit was not stored: "
                       "it is still in its box. The program connects again as soon as the "
                       "server answers; then press Enter to store it.")
                        .arg(m_db->location().display()));
    TimerReconnect->start();
}

void frmORXmain::TimerReconnect_Timer()
{
    if (!m_db->reconnect().isEmpty())
        return; // the next tick tries again
    TimerReconnect->stop();
    // A new session has no subscription, and what others did meanwhile is not yet shown.
    m_watch->start();
    OtherUsers_Changed();
}
