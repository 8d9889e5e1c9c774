// The drill status report of the shown year: its table follows every commit (on a server it
// is filled for the report), and "Print Preview" shows it.
#include "common/ProgramTitle.h"
#include "mainwindow/MainWindow.h"

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

bool MainWindow::refillReportTable()
{
    hidePanels();
    m_reportCurrent =
        PrintDrillsTable::refill(*m_db, shownYear(), m_companyLabel->text(), Clock::now());
    return m_reportCurrent;
}

void MainWindow::showStatusReport()
{
    // The report must show exactly what the grid shows, with this moment's stamp.
    m_reportCurrent = false;
    if (!storePendingEdit() || !(m_reportCurrent || refillReportTable())) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The drill status report could not be prepared: the database "
                           "refused to fill its report table. Nothing was printed."));
        return;
    }
    if (!m_statusReport)
        m_statusReport = std::make_unique<ReportControl>(m_messages, this);
    const auto closed = YearClosure::closedInfo(*m_db, shownYear());
    DrillStatusReport::prepare(*m_statusReport, shownYear(), m_companyLabel->text(),
                               closed ? closed->closedOn() : QString());
    m_statusReport->setDatabase(*m_db);
    m_statusReport->setReportFileName(
        AppFolder::programFile(m_folder, QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    m_statusReport->setDestination(ReportControl::Destination::Window);
    m_statusReport->run();
}
