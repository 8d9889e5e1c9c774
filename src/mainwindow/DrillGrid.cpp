// The drill status grid of the main window: its layout, loading and colours.
#include "mainwindow/frmORXmain.h"

#include "common/Clock.h"
#include "common/DrillState.h"
#include "common/Messages.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "data/ShipTableModel.h"
#include "widgets/FlexGrid.h"

#include <QLabel>
#include <QPushButton>
#include <QTimer>

namespace {

constexpr int GridColumns = 13;
constexpr int FirstYear = 2000;
constexpr int ShipNameCol = 3;
constexpr qreal RowOneFontSize = 8.25;
const QColor HeaderBlue(0x00, 0x00, 0xFF);
const QColor DoneGreen(0x00, 0xC0, 0x00);
const QColor DueBlue(0x00, 0x00, 0xFF);
const QColor LaterRed(0xFF, 0x00, 0x00);

struct ColumnLayout
{
    int width;
    Qt::Alignment alignment;
    QString caption;
};

// Columns 0 to 12: the fixed column, the twelve columns of the drill source.
const ColumnLayout& columnLayout(int col)
{
    static const Qt::Alignment date = Qt::AlignRight | Qt::AlignVCenter;
    static const Qt::Alignment centred = Qt::AlignCenter;
    static const QString scheduled = QStringLiteral("Scheduled Date");
    static const QString done = QStringLiteral("Date Done");
    static const QString evaluation = QStringLiteral("Evaluation (%)");
    static const QString master = QStringLiteral("Ship's Master Name");
    static const ColumnLayout layout[GridColumns] = {
        {0, {}, {}},
        {0, {}, {}},
        {0, {}, {}},
        {2000, {}, QStringLiteral("Ship Name")},
        {1150, date, scheduled},
        {1150, date, done},
        {1000, centred, evaluation},
        {2000, {}, master},
        {1150, date, scheduled},
        {1150, date, done},
        {1000, centred, evaluation},
        {2000, {}, master},
        {0, {}, {}},
    };
    return layout[col];
}

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
    if (data.recordCount() > 0)
        return YearLoad::Read;
    const QList<Ship> ships = fleet.ships();
    if (ships.isEmpty())
        return YearLoad::Read;
    if (!data.addRecords(ships))
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

QColor colourOf(DrillState state)
{
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
    DBGrid1->setCols(GridColumns);
    DBGrid1->setFixedRows(FirstDrillRow);
    DBGrid1->setFrozenColumns(ShipNameCol + 1);
    DBGrid1->setRowHeight(0, 360);
    DBGrid1->setRowHeight(1, 600);
    DBGrid1->setGeometry(Twips::rect(2340, 1470, 12705, 7065));
}

bool frmORXmain::LoadFlexGrid()
{
    endEdit();
    const int year = shownYear();
    const YearLoad load = readYear(*Data1, *Data2, year);
    // A year that could not be read is never shown as an empty one: the grid keeps the year
    // it showed, and so does the label.
    const int kept = Data1->recordsYear();
    if (load == YearLoad::NotRead && kept != 0)
        LblYear->setText(yearCaption(kept));
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
    for (int col = ShipNameCol; col < GridColumns - 1; ++col) {
        const bool firstDrill = col <= 7;
        DBGrid1->setTextMatrix(0, col,
                               col == ShipNameCol ? QString()
                               : firstDrill       ? QStringLiteral("Drill No 1")
                                                  : QStringLiteral("Drill No 2"));
    }
    DBGrid1->setGridFontSize(10);
    DBGrid1->setGridForeColor(Qt::black);
    DBGrid1->setRow(0);
    for (int col = 4; col <= 11; ++col) {
        DBGrid1->setCol(col);
        DBGrid1->setCellForeColor(HeaderBlue);
        DBGrid1->setCellFontSize(12);
        DBGrid1->setCellFontBold(true);
    }
    DBGrid1->setRow(1);
    for (int col = 0; col < GridColumns; ++col) {
        const ColumnLayout& layout = columnLayout(col);
        DBGrid1->setColWidth(col, layout.width);
        if (layout.alignment)
            DBGrid1->setColAlignment(col, layout.alignment);
        if (!layout.caption.isEmpty()) {
            DBGrid1->setTextMatrix(1, col, layout.caption);
            DBGrid1->setCol(col);
            DBGrid1->setCellFontSize(RowOneFontSize); // two words must fit a date column
        }
    }
    DBGrid1->setRow(0);
    for (int col : {4, 8}) {
        DBGrid1->setCol(col);
        DBGrid1->setCellAlignment(Qt::AlignCenter);
    }
    DBGrid1->setMergeRow(0, true);
    DBGrid1->setMergeRow(1, false);
}

void frmORXmain::UpdateColors()
{
    for (int row = FirstDrillRow; row < DBGrid1->rows(); ++row) {
        colourDrill(row, 4, 5);
        colourDrill(row, 8, 9);
        DBGrid1->setRow(row);
        DBGrid1->setCol(ShipNameCol);
        DBGrid1->setCellFontBold(true);
    }
}

void frmORXmain::colourDrill(int row, int scheduledCol, int doneCol)
{
    const QColor colour =
        colourOf(drillState(DBGrid1->textMatrix(row, scheduledCol),
                            DBGrid1->textMatrix(row, doneCol), Clock::today()));
    if (!colour.isValid())
        return;
    DBGrid1->setRow(row);
    for (int col = scheduledCol; col < scheduledCol + 4; ++col) {
        DBGrid1->setCol(col);
        DBGrid1->setCellForeColor(colour);
    }
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
    LblYear->setText(yearCaption(year));
    LoadFlexGrid();
    Timer1->start();
}
