// The drill status grid of the main window: loading a year into it, and the year buttons.
#include "common/ProgramTitle.h"
#include "mainwindow/MainWindow.h"

#include "common/Clock.h"
#include "common/Messages.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "data/ShipTableModel.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/DrillYearModel.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int FirstYear = 2000;

QString yearCaption(int year)
{
    return QStringLiteral("Year - %1").arg(year);
}

enum class YearLoad
{
    Read,
    RowsNotMade,
    NotRead
};

// Reads the drills of a year into the data source, first giving every ship its row when the
// year has none. A year whose rows could not be made is read, and shown, as the empty year it
// still is.
YearLoad readYear(DrillDataSource& data, ShipTableModel& fleet, int year)
{
    data.setYear(year);
    if (!data.refresh())
        return YearLoad::NotRead;
    if (data.recordCount() > 0 || fleet.ships().isEmpty())
        return YearLoad::Read;
    if (!data.addFleetYear())
        return YearLoad::RowsNotMade;
    return data.refresh() ? YearLoad::Read : YearLoad::NotRead;
}

// What the user is told when a year could not be loaded; shownYear is the year on screen.
QString loadFailureText(YearLoad load, int year, int shownYear)
{
    if (load == YearLoad::RowsNotMade)
        return MainWindow::tr("The drill rows of %1 could not be created; nothing was stored.")
            .arg(year);
    const QString outcome = shownYear == 0
                                ? MainWindow::tr("The program will now end.")
                                : MainWindow::tr("The grid shows %1 again.").arg(shownYear);
    return MainWindow::tr("The drills of %1 could not be read. %2").arg(year).arg(outcome);
}

} // namespace

void MainWindow::buildGrid()
{
    m_drills = new DrillGridEditor(m_messages, this);
    m_drillGrid = m_drills->grid();
    connect(m_drills, &DrillGridEditor::cellStored, this, &MainWindow::onCellStored);
    connect(m_drills, &DrillGridEditor::evaluationRequested, this, &MainWindow::openQuestionnaire);
    connect(m_drills, &DrillGridEditor::waitingForLock, this, &MainWindow::showLockWait);
    connect(m_drills, &DrillGridEditor::yearStepRequested, this, [this](int step) {
        (step > 0 ? m_nextYearButton : m_previousYearButton)
            ->click(); // a disabled button stays put
    });
}

void MainWindow::setYearCaption(int year)
{
    m_year = year;
    m_yearLabel->setText(yearCaption(year));
}

bool MainWindow::loadYear()
{
    m_drills->endEdit();
    const int year = shownYear();
    const QModelIndex cursor = m_drillGrid->currentIndex();
    const YearLoad load = readYear(*m_yearDrills, *m_ships, year);
    // The keyboard's cell keeps its place in the new rows, as far as they reach.
    const int rows = m_drills->model()->rowCount();
    if (cursor.isValid() && rows > 0)
        m_drillGrid->setCurrentIndex(
            m_drills->model()->index(qMin(cursor.row(), rows - 1), cursor.column()));
    // A year that could not be read is never shown as an empty one: the grid keeps the year
    // it showed, and so does the label.
    const int kept = m_yearDrills->recordsYear();
    if (load == YearLoad::NotRead && kept != 0)
        setYearCaption(kept);
    m_reportCurrent = false;
    m_previousYearButton->setEnabled(shownYear() != FirstYear);
    m_nextYearButton->setEnabled(shownYear() != Clock::today().year());
    if (load != YearLoad::Read) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        m_yearDrills->failure().sentence() + QStringLiteral(". ") +
                            loadFailureText(load, year, kept));
    }
    return load != YearLoad::NotRead;
}

void MainWindow::recolour()
{
    m_drills->recolour();
}

void MainWindow::onCellStored(bool reportRefilled)
{
    m_reportCurrent = reportRefilled;
}

void MainWindow::showNextYear()
{
    showYear(shownYear() + 1);
}

void MainWindow::showPreviousYear()
{
    showYear(shownYear() - 1);
}

void MainWindow::showYear(int year)
{
    setYearCaption(year);
    loadYear();
}
