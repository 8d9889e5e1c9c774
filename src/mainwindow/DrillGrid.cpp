// The drill status grid of the main window: its layout, loading and colours.
#include "mainwindow/frmORXmain.h"

#include "common/Clock.h"
#include "common/DrillState.h"
#include "common/Messages.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "data/ShipTableModel.h"
#include "mainwindow/DrillColumns.h"
#include "widgets/FlexGrid.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int FirstYear = 2000;
constexpr qreal RowOneFontSize = 8.25;
const QColor HeaderBlue(0x00, 0x00, 0xFF);
const QColor DoneGreen(0x00, 0xC0, 0x00);
const QColor DueBlue(0x00, 0x00, 0xFF);
const QColor LaterRed(0xFF, 0x00, 0x00);

using namespace DrillColumns;

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

QColor colourOf(const Drill& drill, const QDate& today)
{
    const DrillState state = drillState(!drill.done.isEmpty(), drill.scheduled.date(), today);
    switch (state) {
    case DrillState::Done:
        return DoneGreen;
    case DrillState::Due:
        return DueBlue;
    case DrillState::Later:
        return LaterRed;
    case DrillState::None:
        break;
    }
    return {};
}

} // namespace

void frmORXmain::buildGrid()
{
    DBGrid1 = new FlexGrid(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(tr("Drill status grid"));
    DBGrid1->setFont(QFont(QStringLiteral("Lucida Sans Unicode")));
    DBGrid1->setGridFontSize(10);
    DBGrid1->setCols(Count);
    DBGrid1->setFixedRows(FirstDrillRow);
    DBGrid1->setFrozenColumns(ShipName + 1);
    DBGrid1->setRowHeight(0, 360);
    DBGrid1->setRowHeight(1, 600);
    DBGrid1->setGeometry(Twips::rect(2340, 1470, 12705, 7065));
    DBGrid1->installEventFilter(this);
}

// The grid's texts come from the records; nothing is read back from them.
void frmORXmain::showRecords()
{
    QList<QStringList> texts;
    texts.reserve(Data1->recordCount());
    for (const DrillRecord& record : Data1->records()) {
        QStringList row;
        row.reserve(DrillRecord::ColumnCount);
        for (int field = 0; field < DrillRecord::ColumnCount; ++field)
            row.append(record.shown(DrillRecord::Column(field)));
        texts.append(std::move(row));
    }
    DBGrid1->bindRecords(texts, IDDrill);
}

const DrillRecord* frmORXmain::recordAt(int row) const
{
    const int index = row - FirstDrillRow;
    return index >= 0 && index < Data1->recordCount() ? &Data1->records().at(index) : nullptr;
}

void frmORXmain::setYearCaption(int year)
{
    m_year = year;
    LblYear->setText(yearCaption(year));
}

bool frmORXmain::LoadFlexGrid()
{
    endEdit();
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
    m_colouredFor = QDate();
    m_reportCurrent = false;
    CmdPreviousYear->setEnabled(shownYear() != FirstYear);
    CmdNextYear->setEnabled(shownYear() != Clock::today().year());
    layGridHeaders();
    if (load != YearLoad::Read) {
        m_messages.tell(Messages::Icon::Critical, QStringLiteral("HBQ ORX DRILL ORGANIZER"),
                        Data1->failure().sentence() + QStringLiteral(". ") +
                            loadFailureText(load, year, kept));
    }
    return load != YearLoad::NotRead;
}

void frmORXmain::layGridHeaders()
{
    for (int col = ShipName; col < YearDrill; ++col) {
        const int drill = drillOf(col);
        DBGrid1->setTextMatrix(
            0, col, drill < 0 ? QString() : QStringLiteral("Drill No %1").arg(drill + 1));
    }
    DBGrid1->setGridFontSize(10);
    DBGrid1->setGridForeColor(Qt::black);
    DBGrid1->setRow(0);
    for (int col = DrillDate; col <= Master1; ++col) {
        DBGrid1->setCol(col);
        DBGrid1->setCellForeColor(HeaderBlue);
        DBGrid1->setCellFontSize(12);
        DBGrid1->setCellFontBold(true);
    }
    DBGrid1->setRow(1);
    for (int col = 0; col < Count; ++col) {
        const Description& column = describe(col);
        DBGrid1->setColWidth(col, column.width);
        if (column.alignment)
            DBGrid1->setColAlignment(col, column.alignment);
        if (!column.caption.isEmpty()) {
            DBGrid1->setTextMatrix(1, col, column.caption);
            DBGrid1->setCol(col);
            DBGrid1->setCellFontSize(RowOneFontSize); // two words must fit a date column
        }
    }
    DBGrid1->setRow(0);
    for (int col : {firstOfDrill(0), firstOfDrill(1)}) {
        DBGrid1->setCol(col);
        DBGrid1->setCellAlignment(Qt::AlignCenter);
    }
    DBGrid1->setMergeRow(0, true);
    DBGrid1->setMergeRow(1, false);
}

void frmORXmain::UpdateColors()
{
    const QDate today = Clock::today(); // one day for the whole pass, even across midnight
    DBGrid1->beginStyling();
    for (int row = FirstDrillRow; row < DBGrid1->rows(); ++row)
        recolourRow(row, today);
    DBGrid1->endStyling();
    DBGrid1->setRow(DBGrid1->rows() - 1);
    DBGrid1->setCol(ShipName);
    m_colouredFor = today;
}

// Applies the colour rules to one row and makes its ship name bold. The grid's current cell
// is left where it was.
void frmORXmain::recolourRow(int row, const QDate& today)
{
    const int keptRow = DBGrid1->row();
    const int keptCol = DBGrid1->col();
    DBGrid1->setRow(row);
    if (const DrillRecord* record = recordAt(row)) {
        for (int drill = 0; drill < 2; ++drill) {
            const QColor colour = colourOf(record->drills.at(drill), today);
            const int first = firstOfDrill(drill);
            for (int col = first; col < first + DrillRecord::DrillFields; ++col) {
                DBGrid1->setCol(col);
                DBGrid1->setCellForeColor(colour);
            }
        }
    }
    DBGrid1->setCol(ShipName);
    DBGrid1->setCellFontBold(true);
    DBGrid1->setRow(keptRow);
    DBGrid1->setCol(keptCol);
}

// The clock passing midnight while the window is open changes what is due.
void frmORXmain::recolourAllIfTheDayChanged()
{
    if (!m_colouredFor.isValid() || m_colouredFor == Clock::today())
        return;
    const int row = DBGrid1->row();
    const int col = DBGrid1->col();
    UpdateColors();
    DBGrid1->setRow(row);
    DBGrid1->setCol(col);
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
