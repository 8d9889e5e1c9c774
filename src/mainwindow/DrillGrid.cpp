// The drill status grid of the main window: loading a year into it, and the year buttons.
#include "common/ProgramTitle.h"
#include "mainwindow/frmORXmain.h"

#include "common/Clock.h"
#include "common/Messages.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "data/ShipTableModel.h"
#include "widgets/FlexGrid.h"

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
        return frmORXmain::tr("The drill rows of %1 could not be created; nothing was stored.")
            .arg(year);
    const QString outcome = shownYear == 0
                                ? frmORXmain::tr("The program will now end.")
                                : frmORXmain::tr("The grid shows %1 again.").arg(shownYear);
    return frmORXmain::tr("The drills of %1 could not be read. %2").arg(year).arg(outcome);
}

} // namespace

void frmORXmain::buildGrid()
{
    m_drills = new DrillGridEditor(m_messages, this);
    DBGrid1 = m_drills->grid();
    connect(m_drills, &DrillGridEditor::commitRequested, Timer1, qOverload<>(&QTimer::start));
    connect(m_drills, &DrillGridEditor::pendingCommitDue, this, &frmORXmain::Timer1_Timer);
    connect(m_drills, &DrillGridEditor::cellStored, this, &frmORXmain::onCellStored);
    connect(m_drills, &DrillGridEditor::evaluationRequested, this,
            &frmORXmain::OpenDrillEvaluation);
    connect(m_drills, &DrillGridEditor::waitingForLock, this, &frmORXmain::showLockWait);
    connect(m_drills, &DrillGridEditor::yearStepRequested, this, [this](int step) {
        (step > 0 ? CmdNextYear : CmdPreviousYear)->click(); // a disabled button stays put
    });
}

void frmORXmain::setYearCaption(int year)
{
    m_year = year;
    LblYear->setText(yearCaption(year));
}

bool frmORXmain::LoadFlexGrid()
{
    m_drills->endEdit();
    const int year = shownYear();
    const QModelIndex cursor = DBGrid1->currentIndex();
    const YearLoad load = readYear(*Data1, *Data2, year);
    // The keyboard's cell keeps its place in the new rows, as far as they reach.
    if (cursor.isValid() && DBGrid1->rows() > FirstDrillRow)
        DBGrid1->setCurrentIndex(DBGrid1->model()->index(
            qBound(FirstDrillRow, cursor.row(), DBGrid1->rows() - 1), cursor.column()));
    // A year that could not be read is never shown as an empty one: the grid keeps the year
    // it showed, and so does the label.
    const int kept = Data1->recordsYear();
    if (load == YearLoad::NotRead && kept != 0)
        setYearCaption(kept);
    m_reportCurrent = false;
    CmdPreviousYear->setEnabled(shownYear() != FirstYear);
    CmdNextYear->setEnabled(shownYear() != Clock::today().year());
    if (load != YearLoad::Read) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        Data1->failure().sentence() + QStringLiteral(". ") +
                            loadFailureText(load, year, kept));
    }
    return load != YearLoad::NotRead;
}

void frmORXmain::UpdateColors()
{
    m_drills->UpdateColors();
}

void frmORXmain::onCellStored(bool reportRefilled)
{
    m_reportCurrent = reportRefilled;
}

void frmORXmain::CmdNextYear_Click()
{
    showYear(shownYear() + 1);
}

void frmORXmain::CmdPreviousYear_Click()
{
    showYear(shownYear() - 1);
}

void frmORXmain::showYear(int year)
{
    setYearCaption(year);
    LoadFlexGrid();
    Timer1->start();
}
