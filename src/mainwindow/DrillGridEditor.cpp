#include "mainwindow/DrillGridEditor.h"

#include "calendar/DatePicker.h"
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
    m_drillGrid = new FlexGrid(window);
    m_drillGrid->setObjectName(QStringLiteral("drillGrid"));
    m_drillGrid->setAccessibleName(tr("Drill status grid"));
    m_drillGrid->setFont(QFont(QStringLiteral("Lucida Sans Unicode")));
    m_drillGrid->setGridFontSize(10);
    m_drillGrid->setCols(Count);
    m_drillGrid->setFixedRows(FirstDrillRow);
    m_drillGrid->setFrozenColumns(ShipNameColumn + 1);
    m_drillGrid->setRowHeight(0, 360);
    m_drillGrid->setRowHeight(1, 600);
    m_drillGrid->setGeometry(Twips::rect(2340, 1470, 12705, 7065));
    m_drillGrid->installEventFilter(this);
}

void DrillGridEditor::buildEditor(QWidget* window)
{
    m_editBox = new QLineEdit(window);
    m_editBox->setObjectName(QStringLiteral("editBox"));
    m_editBox->setAccessibleName(tr("Drill cell"));
    QPalette grey = m_editBox->palette();
    grey.setColor(QPalette::Base, EditBoxGrey);
    m_editBox->setPalette(grey);
    m_editBox->setFont(m_drillGrid->font());
    m_editBox->installEventFilter(this);
    m_editBox->hide();

    m_pickButton = new QToolButton(window);
    m_pickButton->setObjectName(QStringLiteral("pickButton"));
    m_pickButton->setArrowType(Qt::DownArrow);
    m_pickButton->setAccessibleName(tr("Pick a date"));
    m_pickButton->hide();
    connect(m_pickButton, &QToolButton::clicked, this, &DrillGridEditor::openPickerOrQuestionnaire);

    connect(m_drillGrid, &FlexGrid::cellClicked, this, &DrillGridEditor::onCellClicked);
    connect(m_drillGrid, &FlexGrid::scrolled, this, [this] {
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
    m_drillGrid->bindRecords(texts, columnOf(DrillRecord::IDDrill));
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
    return m_boxFor && !m_editBox->text().isEmpty();
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
    const qint64 clickedDrill = drillIdAt(m_drillGrid->row());
    const int clickedCol = m_drillGrid->col();
    const QModelIndex cursor = m_drillGrid->currentIndex();
    const qint64 cursorDrill = cursor.isValid() ? drillIdAt(cursor.row()) : 0;
    m_data->refresh();
    recolour();
    m_drillGrid->setRow(rowOfDrill(clickedDrill));
    m_drillGrid->setCol(clickedCol);
    if (const int row = rowOfDrill(cursorDrill))
        m_drillGrid->setCurrentIndex(m_drillGrid->model()->index(row, cursor.column()));
    // A box whose drill row another user deleted has nowhere left to be written.
    if (m_boxFor && boxRow() == 0)
        endEdit();
    else if (m_editBox->isVisible())
        layEditorOver(boxRow(), boxCol());
}

void DrillGridEditor::showDrill(int index)
{
    const DrillRecord& record = m_data->records().at(index);
    const int row = FirstDrillRow + index;
    for (int field = 0; field < DrillRecord::ColumnCount; ++field)
        m_drillGrid->setTextMatrix(row, columnOf(DrillRecord::Column(field)),
                                   record.shown(DrillRecord::Column(field)));
    recolourRow(row, Clock::today());
}

void DrillGridEditor::reopenEditor()
{
    if (boxRow() == 0)
        return;
    layEditorOver(boxRow(), boxCol());
    m_editBox->show();
    m_editBox->raise();
    m_editBox->setFocus();
}

void DrillGridEditor::layHeaders()
{
    for (int col = ShipNameColumn; col < columnOf(DrillRecord::YearDrill); ++col) {
        const int drill = drillOf(col);
        m_drillGrid->setTextMatrix(
            0, col, drill < 0 ? QString() : QStringLiteral("Drill No %1").arg(drill + 1));
    }
    m_drillGrid->setGridFontSize(10);
    m_drillGrid->setGridForeColor(Qt::black);
    m_drillGrid->setRow(0);
    for (int col = columnOf(DrillRecord::DrillDate); col <= columnOf(DrillRecord::Master1); ++col) {
        m_drillGrid->setCol(col);
        m_drillGrid->setCellForeColor(HeaderBlue);
        m_drillGrid->setCellFontSize(12);
        m_drillGrid->setCellFontBold(true);
    }
    m_drillGrid->setRow(1);
    for (int col = 0; col < Count; ++col) {
        const Description& column = describe(col);
        m_drillGrid->setColWidth(col, column.width);
        if (column.alignment)
            m_drillGrid->setColAlignment(col, column.alignment);
        if (!column.caption.isEmpty()) {
            m_drillGrid->setTextMatrix(1, col, column.caption);
            m_drillGrid->setCol(col);
            m_drillGrid->setCellFontSize(RowOneFontSize); // two words must fit a date column
        }
    }
    m_drillGrid->setRow(0);
    for (int col : {firstOfDrill(0), firstOfDrill(1)}) {
        m_drillGrid->setCol(col);
        m_drillGrid->setCellAlignment(Qt::AlignCenter);
    }
    m_drillGrid->setMergeRow(0, true);
    m_drillGrid->setMergeRow(1, false);
}

void DrillGridEditor::recolour()
{
    const QDate today = Clock::today(); // one day for the whole pass, even across midnight
    m_drillGrid->beginStyling();
    for (int row = FirstDrillRow; row < m_drillGrid->rows(); ++row)
        recolourRow(row, today);
    m_drillGrid->endStyling();
    m_drillGrid->setRow(m_drillGrid->rows() - 1);
    m_drillGrid->setCol(ShipNameColumn);
    m_colouredFor = today;
}

// Applies the colour rules to one row and makes its ship name bold. The grid's current cell
// is left where it was.
void DrillGridEditor::recolourRow(int row, const QDate& today)
{
    const int keptRow = m_drillGrid->row();
    const int keptCol = m_drillGrid->col();
    m_drillGrid->setRow(row);
    if (const DrillRecord* record = recordAt(row)) {
        for (int drill = 0; drill < 2; ++drill) {
            const QColor colour = colourOf(record->drills.at(drill), today);
            const int first = firstOfDrill(drill);
            for (int col = first; col < first + DrillRecord::DrillFields; ++col) {
                m_drillGrid->setCol(col);
                m_drillGrid->setCellForeColor(colour);
            }
        }
    }
    m_drillGrid->setCol(ShipNameColumn);
    m_drillGrid->setCellFontBold(true);
    m_drillGrid->setRow(keptRow);
    m_drillGrid->setCol(keptCol);
}

// The clock passing midnight while the window is open changes what is due.
void DrillGridEditor::recolourIfTheDayChanged()
{
    if (!m_colouredFor.isValid() || m_colouredFor == Clock::today())
        return;
    const int row = m_drillGrid->row();
    const int col = m_drillGrid->col();
    recolour();
    m_drillGrid->setRow(row);
    m_drillGrid->setCol(col);
}

// Qt would hand the focus of a hidden box to the next control in the tab order, the web link,
// where a second Enter opens the browser; the grid cell that was edited is where it belongs.
void DrillGridEditor::hideEditor()
{
    if (m_window->focusWidget() == m_editBox && m_drillGrid->isEnabled())
        m_drillGrid->setFocus(Qt::OtherFocusReason);
    m_editBox->hide();
    m_pickButton->hide();
}

void DrillGridEditor::focusFirstDrillCell()
{
    if (m_drillGrid->rows() > FirstDrillRow)
        m_drillGrid->setCurrentIndex(m_drillGrid->model()->index(FirstDrillRow, firstOfDrill(0)));
    m_drillGrid->setFocus(Qt::OtherFocusReason);
}

void DrillGridEditor::endEdit()
{
    hideEditor();
    m_editBox->clear();
    m_boxFor.reset();
}

void DrillGridEditor::takeValue(const DrillChange& edit, const QString& value)
{
    hideEditor();
    m_boxFor = edit;
    m_editBox->setText(value);
}

void DrillGridEditor::onCellClicked()
{
    hideEditor();
    const int row = m_drillGrid->row();
    const int col = m_drillGrid->col();
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
    m_editBox->setText(record ? record->shown(fieldOf(col)) : m_drillGrid->text());
    layEditorOver(row, col);
    if (kind == Kind::Date || kind == Kind::Master) {
        m_editBox->show();
        m_editBox->raise();
        m_editBox->setFocus();
        m_editBox->selectAll();
    }
    if (kind == Kind::Date || kind == Kind::Evaluation) {
        m_pickButton->setAccessibleName(kind == Kind::Date ? tr("Pick a date")
                                                           : tr("Open the evaluation"));
        m_pickButton->show();
        m_pickButton->raise();
    }
}

void DrillGridEditor::layEditorOver(int row, int col)
{
    // The cell as the grid shows it; the offset clears the grid's frame line above the cell.
    const QRect cell = m_drillGrid->cellRect(row, col).translated(m_drillGrid->pos());
    const int top = cell.top() - m_drillGrid->frameWidth() + Twips::toPx(EditBoxOffsetTwips);
    m_editBox->setGeometry(cell.left(), top, cell.width(), cell.height());
    const int buttonWidth = Twips::toPx(WriteButtonWidthTwips);
    m_pickButton->setGeometry(m_editBox->x() + m_editBox->width() - buttonWidth, top, buttonWidth,
                              cell.height());
}

bool DrillGridEditor::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_editBox)
        return editBoxEvent(event) || QObject::eventFilter(watched, event);
    if (watched == m_drillGrid && event->type() == QEvent::KeyPress &&
        gridKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QObject::eventFilter(watched, event);
}

bool DrillGridEditor::editBoxEvent(QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        return editBoxKey(static_cast<QKeyEvent*>(event));
    if (event->type() == QEvent::FocusOut)
        m_editBox->hide(); // the text stays and is written by the next commit
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
            m_editBox->setText(record->shown(m_boxFor->field));
        hideEditor();
        return true;
    default:
        if (!opensTheButton(key) || m_pickButton->isHidden())
            return false;
        openPickerOrQuestionnaire();
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
    const QModelIndex current = m_drillGrid->currentIndex();
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
        m_drillGrid->clickCurrent();
        if (kind == Kind::Date || kind == Kind::Evaluation)
            openPickerOrQuestionnaire();
        return true;
    }
    if (key->key() == Qt::Key_F2) {
        m_drillGrid->clickCurrent();
        return true;
    }
    openCurrentCell(key->text());
    return true;
}

// Typing on a cell starts its edit box with what was typed, as in a spreadsheet.
void DrillGridEditor::openCurrentCell(const QString& typed)
{
    m_drillGrid->clickCurrent();
    if (m_editBox->isHidden())
        return;
    m_editBox->setText(typed);
}

// The next (step 1) or previous (step -1) editable cell, row by row; the grid's end stops.
void DrillGridEditor::moveToEditableCell(int step)
{
    const QModelIndex current = m_drillGrid->currentIndex();
    int row = current.isValid() ? current.row() : FirstDrillRow;
    int col = current.isValid() ? current.column() : ShipNameColumn;
    do {
        col += step;
        if (col < 0 || col >= Count) {
            row += step;
            col = step > 0 ? 0 : Count - 1;
        }
        if (row < FirstDrillRow || row >= m_drillGrid->rows())
            return;
    } while (!isEditable(col));
    moveCursorTo(row, col);
}

// Moves the keyboard's cell; the clicked cell, which the next commit writes, stays.
void DrillGridEditor::moveCursorTo(int row, int col)
{
    if (row < FirstDrillRow || row >= m_drillGrid->rows())
        return;
    m_drillGrid->setCurrentIndex(m_drillGrid->model()->index(row, col));
}

void DrillGridEditor::openPickerOrQuestionnaire()
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
    m_pickButton->hide();
}

void DrillGridEditor::openDatePicker()
{
    DatePicker picker(m_calendarDate, m_window);
    const QPoint gridTopLeft = m_window->mapToGlobal(m_drillGrid->pos());
    picker.move(gridTopLeft.x() + m_drillGrid->width() / 2,
                gridTopLeft.y() + m_drillGrid->height() / 4);
    picker.focusDays();
    picker.exec();
    m_calendarDate = picker.value(); // the next opening starts from here
    if (const auto picked = m_calendarDate.textForEditBox())
        m_editBox->setText(*picked);
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
    const QString text = m_editBox->text();
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
        ProgramTitle, editConflictQuestion(editedFieldName(), storedNow, m_editBox->text()));
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
                  .arg(m_editBox->text())
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
    m_drillGrid->setTextMatrix(row, boxCol(), record->shown(m_boxFor->field));
    recolourRow(row, Clock::today());
}
