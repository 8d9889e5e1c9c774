// Editing the drill grid in place: the edit box over a clicked cell, the date picker, the
// keyboard, and the write of one drill field.
#include "mainwindow/frmORXmain.h"

#include "calendar/CalendarDate.h"
#include "calendar/FrmCalendar1.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/Messages.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "data/PrintDrillsTable.h"
#include "mainwindow/DrillColumns.h"
#include "widgets/FlexGrid.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

namespace {

constexpr int EditBoxOffsetTwips = 40;
constexpr int WriteButtonWidthTwips = 285;
const QColor EditBoxGrey(0xE0, 0xE0, 0xE0);

using DrillColumns::Kind;

bool opensTheButton(const QKeyEvent* key)
{
    return key->key() == Qt::Key_F4 ||
           (key->key() == Qt::Key_Down && key->modifiers().testFlag(Qt::AltModifier));
}

// The year buttons' keys: +1 for the next year, -1 for the previous one, 0 for other keys.
int yearStepOf(const QKeyEvent* key)
{
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if (modifiers.testFlag(Qt::ControlModifier)) {
        if (key->key() == Qt::Key_Left)
            return -1;
        if (key->key() == Qt::Key_Right)
            return 1;
    }
    if (modifiers.testFlag(Qt::AltModifier)) {
        if (key->key() == Qt::Key_PageUp)
            return -1;
        if (key->key() == Qt::Key_PageDown)
            return 1;
    }
    return 0;
}

bool isTyping(const QKeyEvent* key)
{
    const QString text = key->text();
    // Space, like Enter, opens the cell with its own text.
    return text.size() == 1 && text.at(0).isPrint() && !text.at(0).isSpace() &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
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
    if (focusWidget() == TxtWrite && DBGrid1->isEnabled())
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
    if (m_lastRow != 0)
        commitCell(m_lastRow, m_lastCol, false);
    TxtWrite->setText(DBGrid1->text());
    layEditorOver(row, col);
    const Kind kind = DrillColumns::kindOf(col);
    if (kind == Kind::Date || kind == Kind::Master) {
        TxtWrite->show();
        TxtWrite->raise();
        TxtWrite->setFocus();
        TxtWrite->selectAll();
    }
    if (kind == Kind::Date || kind == Kind::Evaluation) {
        CmdWrite->setAccessibleName(kind == Kind::Date ? tr("Pick a date")
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
    if (event->type() == QEvent::KeyPress)
        return editBoxKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut)
        TxtWrite->hide(); // the text stays and is written by the next commit
    return false;
}

bool frmORXmain::editBoxKey(QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hideEditor();
        Timer1->start();
        moveCursorTo(DBGrid1->row() + 1, DBGrid1->col());
        return false; // the key is passed on unchanged
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        hideEditor();
        Timer1->start();
        moveToEditableCell(key->key() == Qt::Key_Tab ? 1 : -1);
        return true;
    case Qt::Key_Escape:
        if (const DrillRecord* record = recordAt(DBGrid1->row()))
            TxtWrite->setText(record->shown(DrillColumns::fieldOf(DBGrid1->col())));
        hideEditor();
        return true;
    default:
        if (!opensTheButton(key) || CmdWrite->isHidden())
            return false;
        CmdWrite_Click();
        return true;
    }
}

// Keys on the grid itself, the edit box closed. What the grid does not take here, it handles
// as any grid: the arrows, Home, End and the page keys move the current cell.
bool frmORXmain::gridKey(QKeyEvent* key)
{
    if (const int step = yearStepOf(key)) {
        (step > 0 ? CmdNextYear : CmdPreviousYear)->click(); // a disabled button stays put
        return true;
    }
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        moveToEditableCell(key->key() == Qt::Key_Tab ? 1 : -1);
        return true;
    }
    const QModelIndex current = DBGrid1->currentIndex();
    if (!current.isValid() || current.row() < FirstDrillRow)
        return false;
    const Kind kind = DrillColumns::kindOf(current.column());
    if (opensTheButton(key)) {
        DBGrid1->clickCurrent();
        if (kind == Kind::Date || kind == Kind::Evaluation)
            CmdWrite_Click();
        return true;
    }
    if (key->key() == Qt::Key_F2) {
        DBGrid1->clickCurrent();
        return true;
    }
    if ((kind == Kind::Date || kind == Kind::Master) && isTyping(key)) {
        openCurrentCell(key->text());
        return true;
    }
    return false;
}

// Typing on a cell starts its edit box with what was typed, as in a spreadsheet.
void frmORXmain::openCurrentCell(const QString& typed)
{
    DBGrid1->clickCurrent();
    if (TxtWrite->isHidden())
        return;
    TxtWrite->setText(typed);
}

// The next (step 1) or previous (step -1) editable cell, row by row; the grid's end stops.
void frmORXmain::moveToEditableCell(int step)
{
    const QModelIndex current = DBGrid1->currentIndex();
    int row = current.isValid() ? current.row() : FirstDrillRow;
    int col = current.isValid() ? current.column() : DrillColumns::ShipName;
    do {
        col += step;
        if (col < 0 || col >= DrillColumns::Count) {
            row += step;
            col = step > 0 ? 0 : DrillColumns::Count - 1;
        }
        if (row < FirstDrillRow || row >= DBGrid1->rows())
            return;
    } while (!DrillColumns::isEditable(col));
    moveCursorTo(row, col);
}

// Moves the keyboard's cell; the clicked cell, which the next commit writes, stays.
void frmORXmain::moveCursorTo(int row, int col)
{
    if (row < FirstDrillRow || row >= DBGrid1->rows())
        return;
    DBGrid1->setCurrentIndex(DBGrid1->model()->index(row, col));
}

void frmORXmain::CmdWrite_Click()
{
    switch (DrillColumns::kindOf(DBGrid1->col())) {
    case Kind::Date:
        openDatePicker();
        break;
    case Kind::Evaluation:
        OpenDrillEvaluation(DBGrid1->row(), DBGrid1->col());
        break;
    case Kind::Master:
    case Kind::NotEditable:
        break;
    }
    CmdWrite->hide();
}

void frmORXmain::openDatePicker()
{
    FrmCalendar1 picker(m_calendarDate, this);
    const QPoint gridTopLeft = mapToGlobal(DBGrid1->pos());
    picker.move(gridTopLeft.x() + DBGrid1->width() / 2, gridTopLeft.y() + DBGrid1->height() / 4);
    picker.focusDays();
    picker.exec();
    m_calendarDate = picker.value(); // the next opening starts from here
    if (const auto picked = m_calendarDate.textForEditBox())
        TxtWrite->setText(*picked);
    hideEditor(); // the box is written whether or not a day was picked, as by Enter
    Timer1->start();
}

bool frmORXmain::UpdateDrill(int row, int col)
{
    return commitCell(row, col, false) != Stored::Refused;
}

frmORXmain::Stored frmORXmain::commitCell(int row, int col, bool withReport)
{
    const QString text = TxtWrite->text();
    const Kind kind = DrillColumns::kindOf(col);
    if (kind == Kind::NotEditable || text.isEmpty())
        return Stored::Unchanged;

    const QString failureSentence =
        kind == Kind::Date
            ? QStringLiteral(". The %1 is not a valid date ! Please, try again.").arg(text)
            : QString();
    const auto fail = [&](const QString& number, const QString& description) {
        m_messages.tell(
            Messages::Icon::Critical, QStringLiteral("Error input data ... "),
            QStringLiteral("Error No %1 - %2%3").arg(number, description, failureSentence));
        return Stored::Refused;
    };
    const QString typeMismatch = QStringLiteral("13");

    QString stored = text;
    if (kind == Kind::Date) {
        const auto date = DateText::read(text);
        if (!date)
            return fail(typeMismatch, QStringLiteral("Type mismatch"));
        stored = DateText::toIso(*date);
    }
    const DrillRecord* record = recordAt(row);
    if (!record)
        return fail(typeMismatch, QStringLiteral("Type mismatch"));
    const DrillRecord::Column field = DrillColumns::fieldOf(col);
    if (record->stored(field) == stored)
        return Stored::Unchanged; // writing it back would change nothing

    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const auto refill = [&] {
        return PrintDrillsTable::refillWithin(*m_db, shownYear(), LblCompany->text(), Clock::now());
    };
    const auto written = Data1->writeField(row - FirstDrillRow, field, stored,
                                           withReport ? std::function<bool()>(refill) : nullptr);
    QGuiApplication::restoreOverrideCursor();
    if (!written.ok)
        return fail(written.errorNumber, written.errorText);

    DBGrid1->setTextMatrix(row, col, text);
    recolourRow(row, Clock::today());
    m_reportCurrent = withReport && written.alongsideDone;
    return Stored::Written;
}
