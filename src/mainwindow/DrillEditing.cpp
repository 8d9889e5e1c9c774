// Editing the drill grid in place: the edit box over a clicked cell, the date picker, and the
// write of one drill field.
#include "mainwindow/frmORXmain.h"

#include "calendar/CalendarDate.h"
#include "calendar/FrmCalendar1.h"
#include "common/DateText.h"
#include "common/Messages.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "widgets/FlexGrid.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int EditBoxOffsetTwips = 40;
constexpr int WriteButtonWidthTwips = 285;
const QColor EditBoxGrey(0xE0, 0xE0, 0xE0);

enum class CellKind
{
    NotEditable,
    Date,
    Evaluation,
    Master
};

CellKind kindOfColumn(int col)
{
    switch (col) {
    case 4:
    case 5:
    case 8:
    case 9:
        return CellKind::Date;
    case 6:
    case 10:
        return CellKind::Evaluation;
    case 7:
    case 11:
        return CellKind::Master;
    default:
        return CellKind::NotEditable;
    }
}

// Grid columns 1 to 12 show the columns of the drill source in order.
DrillDataSource::Column fieldOfColumn(int col)
{
    return DrillDataSource::Column(col - 1);
}

} // namespace

void frmORXmain::buildEditor()
{
    TxtWrite = new QLineEdit(this);
    TxtWrite->setObjectName(QStringLiteral("TxtWrite"));
    TxtWrite->setAccessibleName(tr("Drill cell"));
    QPalette grey = TxtWrite->palette();
    grey.setColor(QPalette::Base, EditBoxGrey);
    TxtWrite->setPalette(grey);
    TxtWrite->setFont(DBGrid1->font());
    TxtWrite->installEventFilter(this);
    TxtWrite->hide();

    CmdWrite = new QToolButton(this);
    CmdWrite->setObjectName(QStringLiteral("CmdWrite"));
    CmdWrite->setArrowType(Qt::DownArrow);
    CmdWrite->setAccessibleName(tr("Pick a date"));
    CmdWrite->hide();
    connect(CmdWrite, &QToolButton::clicked, this, &frmORXmain::CmdWrite_Click);

    connect(DBGrid1, &FlexGrid::cellClicked, this, &frmORXmain::DBGrid1_Click);
    connect(DBGrid1, &FlexGrid::scrolled, this, [this] {
        hideEditor();
        Timer1->start();
    });
}

// Qt would hand the focus of a hidden box to the next control in the tab order, the web link,
// where a second Enter opens the browser; the grid cell that was edited is where it belongs.
void frmORXmain::hideEditor()
{
    if (TxtWrite->hasFocus() && DBGrid1->isEnabled())
        DBGrid1->setFocus(Qt::OtherFocusReason);
    TxtWrite->hide();
    CmdWrite->hide();
}

// Whatever was typed for the old grid must never reach a reloaded one.
void frmORXmain::endEdit()
{
    hideEditor();
    TxtWrite->clear();
}

void frmORXmain::DBGrid1_Click()
{
    hideEditor();
    const int row = DBGrid1->row();
    const int col = DBGrid1->col();
    if (m_lastRow != 0) {
        UpdateDrill(m_lastRow, m_lastCol);
        UpdateColors();
        DBGrid1->setRow(row);
        DBGrid1->setCol(col);
    }
    TxtWrite->setText(DBGrid1->text());
    layEditorOver(row, col);
    const CellKind kind = kindOfColumn(col);
    if (kind == CellKind::Date || kind == CellKind::Master) {
        TxtWrite->show();
        TxtWrite->raise();
        TxtWrite->setFocus();
        TxtWrite->selectAll();
    }
    if (kind == CellKind::Date || kind == CellKind::Evaluation) {
        CmdWrite->setAccessibleName(kind == CellKind::Date ? tr("Pick a date")
                                                           : tr("Open the evaluation"));
        CmdWrite->show();
        CmdWrite->raise();
    }
    m_lastRow = row;
    m_lastCol = col;
}

void frmORXmain::layEditorOver(int row, int col)
{
    // The cell as the grid shows it; the offset clears the grid's frame line above the cell.
    const QRect cell = DBGrid1->cellRect(row, col).translated(DBGrid1->pos());
    const int top = cell.top() - DBGrid1->frameWidth() + Twips::toPx(EditBoxOffsetTwips);
    TxtWrite->setGeometry(cell.left(), top, cell.width(), cell.height());
    const int buttonWidth = Twips::toPx(WriteButtonWidthTwips);
    CmdWrite->setGeometry(TxtWrite->x() + TxtWrite->width() - buttonWidth, top, buttonWidth,
                          cell.height());
}

bool frmORXmain::editBoxEvent(QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            hideEditor();
            Timer1->start();
        }
    } else if (event->type() == QEvent::FocusOut) {
        TxtWrite->hide(); // the text stays and is written by the next commit
    }
    return false;
}

void frmORXmain::CmdWrite_Click()
{
    switch (kindOfColumn(DBGrid1->col())) {
    case CellKind::Date:
        openDatePicker();
        break;
    case CellKind::Evaluation:
        OpenDrillEvaluation(DBGrid1->row(), DBGrid1->col());
        break;
    case CellKind::Master:
    case CellKind::NotEditable:
        break;
    }
    CmdWrite->hide();
}

void frmORXmain::openDatePicker()
{
    FrmCalendar1 picker(this);
    const QPoint gridTopLeft = mapToGlobal(DBGrid1->pos());
    picker.move(gridTopLeft.x() + DBGrid1->width() / 2, gridTopLeft.y() + DBGrid1->height() / 4);
    picker.exec();
    if (const auto picked = CalendarDate::shared().textForEditBox())
        TxtWrite->setText(*picked);
    Timer1->start(); // the box is written whether or not a day was picked
}

bool frmORXmain::UpdateDrill(int row, int col)
{
    const QString text = TxtWrite->text();
    const CellKind kind = kindOfColumn(col);
    if (kind == CellKind::NotEditable || text.isEmpty())
        return true;

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const QString failureSentence =
        kind == CellKind::Date
            ? QStringLiteral(". The %1 is not a valid date ! Please, try again.").arg(text)
            : QString();
    const auto fail = [&](const QString& number, const QString& description) {
        QGuiApplication::restoreOverrideCursor();
        m_messages.tell(
            Messages::Icon::Critical, QStringLiteral("Error input data ... "),
            QStringLiteral("Error No %1 - %2%3").arg(number, description, failureSentence));
        return false;
    };
    const QString typeMismatch = QStringLiteral("13");

    QString stored = text;
    if (kind == CellKind::Date) {
        const auto date = DateText::read(text);
        if (!date)
            return fail(typeMismatch, QStringLiteral("Type mismatch"));
        stored = DateText::toIso(*date);
    }
    bool isNumber = false;
    const qint64 idDrill = DBGrid1->textMatrix(row, 1).toLongLong(&isNumber);
    if (!isNumber)
        return fail(typeMismatch, QStringLiteral("Type mismatch"));
    const auto written = Data1->writeField(idDrill, fieldOfColumn(col), stored);
    if (!written.ok)
        return fail(written.errorNumber, written.errorText);

    DBGrid1->setTextMatrix(row, col, text);
    QGuiApplication::restoreOverrideCursor();
    return true;
}
