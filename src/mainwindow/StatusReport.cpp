// The drill status report of the shown year: its table follows every commit (on a server it
// is filled for the report), and "Print Preview" shows it.
#include "common/ProgramTitle.h"
#include "mainwindow/frmORXmain.h"

#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/Messages.h"
#include "data/DrillDatabase.h"
#include "data/PrintDrillsTable.h"
#include "data/YearClosure.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"

#include <QLabel>
#include <QPushButton>

bool frmORXmain::PrintDrills()
{
    HidePics();
    m_reportCurrent =
        PrintDrillsTable::refill(*m_db, shownYear(), LblCompany->text(), Clock::now());
    return m_reportCurrent;
}

void frmORXmain::Command2_Click()
{
    // The report must show exactly what the grid shows, with this moment's stamp.
    m_reportCurrent = false;
    if (!Timer1_Timer() || !(m_reportCurrent || PrintDrills())) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The drill status report could not be prepared: the database "
                           "refused to fill its report table. Nothing was printed."));
        return;
    }
    if (!Report1)
        Report1 = std::make_unique<ReportControl>(m_messages, this);
    const auto closed = YearClosure::closedInfo(*m_db, shownYear());
    DrillStatusReport::prepare(*Report1, shownYear(), LblCompany->text(),
                               closed ? closed->closedOn() : QString());
    Report1->setDatabase(*m_db);
    Report1->setReportFileName(
        AppFolder::programFile(m_folder, QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    Report1->setDestination(ReportControl::Destination::Window);
    Report1->run();
}
