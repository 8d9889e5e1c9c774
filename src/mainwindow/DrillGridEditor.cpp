#include "mainwindow/DrillGridEditor.h"

#include "calendar/FrmCalendar1.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/DrillState.h"
#include "common/EditConflict.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "mainwindow/DrillColumns.h"
#include "widgets/FlexGrid.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>

namespace {

constexpr qreal RowOneFontSize = 8.25;
constexpr int EditBoxOffsetTwips = 40;
constexpr int WriteButtonWidthTwips = 285;
const QColor HeaderBlue(0x00, 0x00, 0xFF);
const QColor DoneGreen(0x00, 0xC0, 0x00);
const QColor DueBlue(0x00, 0x00, 0xFF);
const QColor LaterRed(0xFF, 0x00, 0x00);
const QColor EditBoxGrey(0xE0, 0xE0, 0xE0);

using namespace DrillColumns;

QColor colourOf(const Drill& drill, const QDate& today)
{
    switch (drillState(!drill.done.isEmpty(), drill.scheduled.date(), today)) {
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

DrillGridEditor::DrillGridEditor(Messages& messages, QWidget* window)
    : QObject(window), m_messages(messages), m_window(window)
{
    setObjectName(QStringLiteral("DrillGridEditor"));
    buildGrid(window);
    buildEditor(window);
}

void DrillGridEditor::buildGrid(QWidget* window)
{
    DBGrid1 = new FlexGrid(window);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(tr("Drill status grid"));
    DBGrid1->setFont(QFont(QStringLiteral("Lucida Sans Unicode")));
    DBGrid1->setGridFontSize(10);
    DBGrid1->setCols(Count);
    DBGrid1->setFixedRows(FirstDrillRow);
    DBGrid1->setFrozenColumns(ShipNameColumn + 1);
    DBGrid1->setRowHeight(0, 360);
    DBGrid1->setRowHeight(1, 600);
    DBGrid1->setGeometry(Twips::rect(2340, 1470, 12705, 7065));
    DBGrid1->installEventFilter(this);
}

void DrillGridEditor::buildEditor(QWidget* window)
{
    TxtWrite = new QLineEdit(window);
    TxtWrite->setObjectName(QStringLiteral("TxtWrite"));
    TxtWrite->setAccessibleName(tr("Drill cell"));
    QPalette grey = TxtWrite->palette();
    grey.setColor(QPalette::Base, EditBoxGrey);
    TxtWrite->setPalette(grey);
    TxtWrite->setFont(DBGrid1->font());
    TxtWrite->installEventFilter(this);
    TxtWrite->hide();

    CmdWrite = new QToolButton(window);
    CmdWrite->setObjectName(QStringLiteral("CmdWrite"));
    CmdWrite->setArrowType(Qt::DownArrow);
    CmdWrite->setAccessibleName(tr("Pick a date"));
    CmdWrite->hide();
    connect(CmdWrite, &QToolButton::clicked, this, &DrillGridEditor::CmdWrite_Click);

    connect(DBGrid1, &FlexGrid::cellClicked, this, &DrillGridEditor::DBGrid1_Click);
    connect(DBGrid1, &FlexGrid::scrolled, this, [this] {
        hideEditor();
        emit commitRequested();
    });
}

void DrillGridEditor::bind(DrillDataSource& data)
{
    m_data = &data;
    connect(m_data, &DrillDataSource::refreshed, this, &DrillGridEditor::showRecords);
}

// The grid's texts come from the records; nothing is read back from them. The colours wait
// for the next full colouring.
void DrillGridEditor::showRecords()
{
    QList<QStringList> texts;
    texts.reserve(m_data->recordCount());
    for (const DrillRecord& record : m_data->records()) {
        QStringList row;
        row.reserve(DrillRecord::ColumnCount);
        for (int field = 0; field < DrillRecord::ColumnCount; ++field)
            row.append(record.shown(DrillRecord::Column(field)));
        texts.append(std::move(row));
    }
    DBGrid1->bindRecords(texts, columnOf(DrillRecord::IDDrill));
    layHeaders(); // the rebuilt grid has lost its captions with its rows
    m_colouredFor = QDate();
}

const DrillRecord* DrillGridEditor::recordAt(int row) const
{
    const int index = row - FirstDrillRow;
    return m_data && index >= 0 && index < m_data->recordCount() ? &m_data->records().at(index)
                                                                 : nullptr;
}

qint64 DrillGridEditor::drillIdAt(int row) const
{
    const DrillRecord* record = recordAt(row);
    return record ? record->idDrill : 0;
}

int DrillGridEditor::rowOfDrill(qint64 idDrill) const
{
    const int index = idDrill == 0 ? -1 : m_data->indexOf(idDrill);
    return index < 0 ? 0 : FirstDrillRow + index;
}

bool DrillGridEditor::hasTextToStore() const
{
    return m_boxFor && !TxtWrite->text().isEmpty();
}

int DrillGridEditor::boxRow() const
{
    return m_boxFor ? rowOfDrill(m_boxFor->idDrill) : 0;
}

int DrillGridEditor::boxCol() const
{
    return m_boxFor ? columnOf(m_boxFor->field) : 0;
}

void DrillGridEditor::reread()
{
    const qint64 clickedDrill = drillIdAt(DBGrid1->row());
    const int clickedCol = DBGrid1->col();
    const QModelIndex cursor = DBGrid1->currentIndex();
    const qint64 cursorDrill = cursor.isValid() ? drillIdAt(cursor.row()) : 0;
    m_data->refresh();
    UpdateColors();
    DBGrid1->setRow(rowOfDrill(clickedDrill));
    DBGrid1->setCol(clickedCol);
    if (const int row = rowOfDrill(cursorDrill))
        DBGrid1->setCurrentIndex(DBGrid1->model()->index(row, cursor.column()));
    // A box whose drill row another user deleted has nowhere left to be written.
    if (m_boxFor && boxRow() == 0)
        endEdit();
    else if (TxtWrite->isVisible())
        layEditorOver(boxRow(), boxCol());
}

void DrillGridEditor::showDrill(int index)
{
    const DrillRecord& record = m_data->records().at(index);
    const int row = FirstDrillRow + index;
    for (int field = 0; field < DrillRecord::ColumnCount; ++field)
        DBGrid1->setTextMatrix(row, columnOf(DrillRecord::Column(field)),
                               record.shown(DrillRecord::Column(field)));
    recolourRow(row, Clock::today());
}

void DrillGridEditor::reopenEditor()
{
    if (boxRow() == 0)
        return;
    layEditorOver(boxRow(), boxCol());
    TxtWrite->show();
    TxtWrite->raise();
    TxtWrite->setFocus();
}

void DrillGridEditor::layHeaders()
{
    for (int col = ShipNameColumn; col < columnOf(DrillRecord::YearDrill); ++col) {
        const int drill = drillOf(col);
        DBGrid1->setTextMatrix(
            0, col, drill < 0 ? QString() : QStringLiteral("Drill No %1").arg(drill + 1));
    }
    DBGrid1->setGridFontSize(10);
    DBGrid1->setGridForeColor(Qt::black);
    DBGrid1->setRow(0);
    for (int col = columnOf(DrillRecord::DrillDate); col <= columnOf(DrillRecord::Master1); ++col) {
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

void DrillGridEditor::UpdateColors()
{
    const QDate today = Clock::today(); // one day for the whole pass, even across midnight
    DBGrid1->beginStyling();
    for (int row = FirstDrillRow; row < DBGrid1->rows(); ++row)
        recolourRow(row, today);
    DBGrid1->endStyling();
    DBGrid1->setRow(DBGrid1->rows() - 1);
    DBGrid1->setCol(ShipNameColumn);
    m_colouredFor = today;
}

// Applies the colour rules to one row and makes its ship name bold. The grid's current cell
// is left where it was.
void DrillGridEditor::recolourRow(int row, const QDate& today)
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
    DBGrid1->setCol(ShipNameColumn);
    DBGrid1->setCellFontBold(true);
    DBGrid1->setRow(keptRow);
    DBGrid1->setCol(keptCol);
}

// The clock passing midnight while the window is open changes what is due.
void DrillGridEditor::recolourIfTheDayChanged()
{
    if (!m_colouredFor.isValid() || m_colouredFor == Clock::today())
        return;
    const int row = DBGrid1->row();
    const int col = DBGrid1->col();
    UpdateColors();
    DBGrid1->setRow(row);
    DBGrid1->setCol(col);
}

// Qt would hand the focus of a hidden box to the next control in the tab order, the web link,
// where a second Enter opens the browser; the grid cell that was edited is where it belongs.
void DrillGridEditor::hideEditor()
{
    if (m_window->focusWidget() == TxtWrite && DBGrid1->isEnabled())
        DBGrid1->setFocus(Qt::OtherFocusReason);
    TxtWrite->hide();
    CmdWrite->hide();
}

void DrillGridEditor::focusFirstDrillCell()
{
    if (DBGrid1->rows() > FirstDrillRow)
        DBGrid1->setCurrentIndex(DBGrid1->model()->index(FirstDrillRow, firstOfDrill(0)));
    DBGrid1->setFocus(Qt::OtherFocusReason);
}

void DrillGridEditor::endEdit()
{
    hideEditor();
    TxtWrite->clear();
    m_boxFor.reset();
}

void DrillGridEditor::takeValue(const DrillChange& edit, const QString& value)
{
    hideEditor();
    m_boxFor = edit;
    TxtWrite->setText(value);
}

void DrillGridEditor::DBGrid1_Click()
{
    hideEditor();
    const int row = DBGrid1->row();
    const int col = DBGrid1->col();
    // The previous box is stored to its own drill first; while it cannot be, it stays open
    // with its text, and the clicked cell waits.
    if (hasTextToStore())
        emit pendingCommitDue();
    if (hasTextToStore()) {
        reopenEditor();
        return;
    }
    const DrillRecord* record = recordAt(row);
    const Kind kind = kindOf(col);
    m_boxFor.reset();
    if ((kind == Kind::Date || kind == Kind::Master) && m_editRefused && m_editRefused())
        return;
    if (record && kind != Kind::NotEditable)
        m_boxFor = DrillChange::of(*record, fieldOf(col), {});
    TxtWrite->setText(record ? record->shown(fieldOf(col)) : DBGrid1->text());
    layEditorOver(row, col);
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
}

void DrillGridEditor::layEditorOver(int row, int col)
{
    // The cell as the grid shows it; the offset clears the grid's frame line above the cell.
    const QRect cell = DBGrid1->cellRect(row, col).translated(DBGrid1->pos());
    const int top = cell.top() - DBGrid1->frameWidth() + Twips::toPx(EditBoxOffsetTwips);
    TxtWrite->setGeometry(cell.left(), top, cell.width(), cell.height());
    const int buttonWidth = Twips::toPx(WriteButtonWidthTwips);
    CmdWrite->setGeometry(TxtWrite->x() + TxtWrite->width() - buttonWidth, top, buttonWidth,
                          cell.height());
}

bool DrillGridEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == TxtWrite)
        return editBoxEvent(event) || QObject::eventFilter(watched, event);
    if (watched == DBGrid1 && event->type() == QEvent::KeyPress &&
        gridKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

bool DrillGridEditor::editBoxEvent(QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        return editBoxKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut)
        TxtWrite->hide(); // the text stays and is written by the next commit
    return false;
}

bool DrillGridEditor::editBoxKey(QKeyEvent* key)
{
    switch (key->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        hideEditor();
        emit commitRequested();
        moveCursorTo(boxRow() + 1, boxCol());
        return false; // the key is passed on unchanged
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        hideEditor();
        emit commitRequested();
        moveToEditableCell(key->key() == Qt::Key_Tab ? 1 : -1);
        return true;
    case Qt::Key_Escape:
        if (const DrillRecord* record = m_boxFor ? m_data->recordOf(m_boxFor->idDrill) : nullptr)
            TxtWrite->setText(record->shown(m_boxFor->field));
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
bool DrillGridEditor::gridKey(QKeyEvent* key)
{
    if (const int step = yearStepOf(key)) {
        emit yearStepRequested(step);
        return true;
    }
    if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
        moveToEditableCell(key->key() == Qt::Key_Tab ? 1 : -1);
        return true;
    }
    const QModelIndex current = DBGrid1->currentIndex();
    if (!current.isValid() || current.row() < FirstDrillRow)
        return false;
    const Kind kind = kindOf(current.column());
    const bool opens = opensTheButton(key) || key->key() == Qt::Key_F2 ||
                       ((kind == Kind::Date || kind == Kind::Master) && isTyping(key));
    if (!opens)
        return false;
    // Keys typed fast after Enter or Tab arrive before the deferred commit of that edit: it
    // runs first, or it would store the new cell's first keys.
    emit pendingCommitDue();
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
    openCurrentCell(key->text());
    return true;
}

// Typing on a cell starts its edit box with what was typed, as in a spreadsheet.
void DrillGridEditor::openCurrentCell(const QString& typed)
{
    DBGrid1->clickCurrent();
    if (TxtWrite->isHidden())
        return;
    TxtWrite->setText(typed);
}

// The next (step 1) or previous (step -1) editable cell, row by row; the grid's end stops.
void DrillGridEditor::moveToEditableCell(int step)
{
    const QModelIndex current = DBGrid1->currentIndex();
    int row = current.isValid() ? current.row() : FirstDrillRow;
    int col = current.isValid() ? current.column() : ShipNameColumn;
    do {
        col += step;
        if (col < 0 || col >= Count) {
            row += step;
            col = step > 0 ? 0 : Count - 1;
        }
        if (row < FirstDrillRow || row >= DBGrid1->rows())
            return;
    } while (!isEditable(col));
    moveCursorTo(row, col);
}

// Moves the keyboard's cell; the clicked cell, which the next commit writes, stays.
void DrillGridEditor::moveCursorTo(int row, int col)
{
    if (row < FirstDrillRow || row >= DBGrid1->rows())
        return;
    DBGrid1->setCurrentIndex(DBGrid1->model()->index(row, col));
}

void DrillGridEditor::CmdWrite_Click()
{
    switch (kindOf(boxCol())) {
    case Kind::Date:
        openDatePicker();
        break;
    case Kind::Evaluation:
        emit evaluationRequested(*m_boxFor);
        break;
    case Kind::Master:
    case Kind::NotEditable:
        break;
    }
    CmdWrite->hide();
}

void DrillGridEditor::openDatePicker()
{
    FrmCalendar1 picker(m_calendarDate, m_window);
    const QPoint gridTopLeft = m_window->mapToGlobal(DBGrid1->pos());
    picker.move(gridTopLeft.x() + DBGrid1->width() / 2, gridTopLeft.y() + DBGrid1->height() / 4);
    picker.focusDays();
    picker.exec();
    m_calendarDate = picker.value(); // the next opening starts from here
    if (const auto picked = m_calendarDate.textForEditBox())
        TxtWrite->setText(*picked);
    hideEditor(); // the box is written whether or not a day was picked, as by Enter
    emit commitRequested();
}

QString DrillGridEditor::editedFieldName() const
{
    const DrillRecord* record = m_boxFor ? m_data->recordOf(m_boxFor->idDrill) : nullptr;
    if (!record)
        return {};
    return tr("%1 of %2, Drill No %3")
        .arg(describe(boxCol()).caption, record->shipName)
        .arg(DrillRecord::drillOf(m_boxFor->field) + 1);
}

DrillGridEditor::Stored DrillGridEditor::commitEdit(const std::function<bool()>& alongside)
{
    const QString text = TxtWrite->text();
    if (!m_boxFor || text.isEmpty()) // an empty box clears nothing
        return Stored::Unchanged;
    DrillChange change = *m_boxFor;
    change.value = text;
    if (DrillRecord::isDate(change.field)) {
        const auto date = DateText::read(text);
        if (!date)
            return refuse({QStringLiteral("13"), QStringLiteral("Type mismatch")});
        change.value = DateText::toIso(*date);
    }
    const DrillWriteResult result = writeEdit(change, alongside);
    using Outcome = DrillWriteResult::Outcome;
    switch (result.outcome) {
    case Outcome::Written:
    case Outcome::Unchanged:
        showStored();
        m_boxFor.reset();
        if (result.outcome == Outcome::Unchanged)
            return Stored::Unchanged;
        emit cellStored(alongside && result.alongsideDone);
        return Stored::Written;
    case Outcome::Conflict:
        return settleConflict(result, alongside);
    case Outcome::Busy:
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("Another user is using the database, so %1 could not be stored. "
                           "What you typed, \"%2\", is still in its box: press Enter to try "
                           "again.")
                            .arg(editedFieldName(), text));
        // After the message, which took the focus and so hid the box.
        reopenEditor();
        return Stored::Refused;
    case Outcome::ConnectionLost:
        emit connectionLost();
        return Stored::Refused;
    case Outcome::Failed:
        break;
    }
    return refuse(result.failure);
}

DrillWriteResult DrillGridEditor::writeEdit(const DrillChange& change,
                                            const std::function<bool()>& alongside)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool waited = false;
    const DrillWriteResult result = m_data->write(change, alongside, [&] {
        waited = true;
        emit waitingForLock(tr("Waiting for another user to finish: %1 is not stored yet ...")
                                .arg(editedFieldName()));
    });
    if (waited)
        emit waitingForLock({});
    QGuiApplication::restoreOverrideCursor();
    return result;
}

// Another user stored the field since the box was opened: the user sees both values and
// chooses; the typed text stays in its box until then.
DrillGridEditor::Stored DrillGridEditor::settleConflict(const DrillWriteResult& refused,
                                                        const std::function<bool()>& alongside)
{
    reopenEditor();
    const DrillRecord* record = m_data->recordOf(m_boxFor->idDrill);
    const QString storedNow = record ? record->shown(m_boxFor->field) : refused.storedNow;
    const bool overwrite = m_messages.askYesNo(
        ProgramTitle, editConflictQuestion(editedFieldName(), storedNow, TxtWrite->text()));
    hideEditor();
    if (!overwrite) {
        showStored();
        endEdit();
        return Stored::Unchanged;
    }
    m_boxFor->startedFrom = refused.storedNow;
    return commitEdit(alongside);
}

DrillGridEditor::Stored DrillGridEditor::refuse(const DataFailure& failure)
{
    const QString sentence =
        m_boxFor && DrillRecord::isDate(m_boxFor->field)
            ? QStringLiteral(". The %1 is not a valid date ! Please, try again.")
                  .arg(TxtWrite->text())
            : QString();
    m_messages.tell(Messages::Icon::Critical, QStringLiteral("Error input data ... "),
                    failure.sentence() + sentence);
    return Stored::Refused;
}

// The box's cell shows what its drill holds now, in the colours that follow from it.
void DrillGridEditor::showStored()
{
    const int row = boxRow();
    const DrillRecord* record = recordAt(row);
    if (!record)
        return;
    DBGrid1->setTextMatrix(row, boxCol(), record->shown(m_boxFor->field));
    recolourRow(row, Clock::today());
}
