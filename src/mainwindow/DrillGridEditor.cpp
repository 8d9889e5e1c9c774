#include "mainwindow/DrillGridEditor.h"

#include "calendar/DatePicker.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/EditConflict.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "common/Twips.h"
#include "data/Dialect.h"
#include "data/DrillDataSource.h"
#include "mainwindow/DrillCellDelegate.h"
#include "mainwindow/DrillCellEditor.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/DrillYearModel.h"

#include <QGuiApplication>
#include <QShortcut>

namespace {

using namespace DrillColumns;

bool takesTyping(Kind kind)
{
    return kind == Kind::Date || kind == Kind::Master;
}

} // namespace

DrillGridEditor::DrillGridEditor(Messages& messages, QWidget* window)
    : QObject(window), m_messages(messages), m_window(window)
{
    setObjectName(QStringLiteral("DrillGridEditor"));
    buildGrid(window);
}

void DrillGridEditor::buildGrid(QWidget* window)
{
    QFont font(QStringLiteral("Lucida Sans Unicode"));
    font.setPointSizeF(10);
    m_model = new DrillYearModel(this);
    m_model->setFont(font);
    m_grid = new DrillGridView(m_model, ShipNameColumn, window);
    m_grid->setObjectName(QStringLiteral("drillGrid"));
    m_grid->setAccessibleName(tr("Drill status grid"));
    m_grid->setFont(font);
    m_grid->frozenView()->setFont(font);
    m_grid->setRowHeightTwips(345);
    for (int col = 0; col < Count; ++col)
        m_grid->setColumnWidthTwips(col, describe(col).width);
    m_grid->setGeometry(Twips::rect(2340, 1470, 12705, 7065));
    connect(m_grid, &DrillGridView::cellClicked, this,
            [this](const QModelIndex& index) { openCell(index, std::nullopt); });
    connect(m_grid, &DrillGridView::openRequested, this, &DrillGridEditor::openTyped);
    addGridKeys();
    connect(m_grid, &DrillGridView::scrolled, this, &DrillGridEditor::onScrolled);
    connect(m_grid->cellDelegate(), &DrillCellDelegate::editorCreated, this,
            &DrillGridEditor::setUpEditor);
}

void DrillGridEditor::bind(DrillDataSource& data)
{
    m_data = &data;
    m_model->bind(data);
}

void DrillGridEditor::recolour()
{
    m_model->setDay(Clock::today());
}

const DrillRecord* DrillGridEditor::currentRecord() const
{
    return m_model->recordAt(m_grid->currentIndex().row());
}

void DrillGridEditor::goToField(qint64 idDrill, int col)
{
    const int row = m_model->rowOf(idDrill);
    if (row < 0)
        return;
    const QModelIndex cell = m_model->index(row, col);
    m_grid->setCurrentIndex(cell);
    m_grid->scrollTo(cell);
    m_grid->setFocus(Qt::OtherFocusReason);
}

QModelIndex DrillGridEditor::editIndex() const
{
    const int row = m_edit ? m_model->rowOf(m_edit->idDrill) : -1;
    return row < 0 ? QModelIndex() : m_model->index(row, columnOf(m_edit->field));
}

// An untouched box has nothing to store: writing its own text back could only find another
// user's newer value and ask about it.
bool DrillGridEditor::hasTextToStore() const
{
    return m_edit && !m_edit->value.isEmpty() && m_edit->value != m_editOpenedWith;
}

void DrillGridEditor::openEditor(const QString& text, bool selected)
{
    const QModelIndex cell = editIndex();
    if (!cell.isValid())
        return;
    closeEditor();
    // In view before the box opens: the view's own later scroll to a clicked cell cut off at
    // an edge would otherwise end the edit under the user's typing.
    m_grid->scrollTo(cell);
    m_edit->value = text;
    m_grid->openPersistentEditor(cell);
    DrillCellEditor* editor = openEditorWidget();
    if (!editor)
        return;
    editor->setText(text, selected);
    if (editor->hasBox())
        editor->setFocus(Qt::OtherFocusReason);
}

DrillCellEditor* DrillGridEditor::openEditorWidget() const
{
    return qobject_cast<DrillCellEditor*>(m_grid->indexWidget(editIndex()));
}

// Qt would hand the focus of a closed box to the next control in the tab order, the web link,
// where a second Enter opens the browser; the grid is where it belongs.
void DrillGridEditor::closeEditor()
{
    DrillCellEditor* editor = openEditorWidget();
    if (!editor)
        return;
    editor->disconnect(this); // the focus it loses below is no news of the user's
    // The window's focus, which it keeps while another window is active.
    if (editor->isAncestorOf(m_grid->window()->focusWidget()) && m_grid->isEnabled())
        m_grid->setFocus(Qt::OtherFocusReason);
    m_grid->closePersistentEditor(editIndex());
}

bool DrillGridEditor::boxOpen() const
{
    return openEditorWidget() != nullptr;
}

void DrillGridEditor::setUpEditor(DrillCellEditor* editor, const QModelIndex&)
{
    editor->setReadOnly(m_readOnly);
    connect(editor, &DrillCellEditor::textEdited, this, [this](const QString& text) {
        if (m_edit)
            m_edit->value = text;
    });
    connect(editor, &DrillCellEditor::enterPressed, this, &DrillGridEditor::onEnter);
    connect(editor, &DrillCellEditor::tabPressed, this, &DrillGridEditor::onTab);
    connect(editor, &DrillCellEditor::escapePressed, this, &DrillGridEditor::onEscape);
    connect(editor, &DrillCellEditor::buttonRequested, this,
            &DrillGridEditor::openPickerOrQuestionnaire);
    // The text stays with the edit and is stored by the next click, Enter or scroll.
    connect(editor, &DrillCellEditor::left, this, &DrillGridEditor::closeEditor);
}

// The previous edit is stored to its own drill first; while it cannot be, it stays open with
// its text, and the clicked cell waits.
void DrillGridEditor::openCell(const QModelIndex& index, const std::optional<QString>& typed)
{
    closeEditor();
    if (storeEdit() == Stored::Refused) {
        // The frame goes back to the box the keys are in.
        m_grid->selectionModel()->setCurrentIndex(editIndex(), QItemSelectionModel::NoUpdate);
        return;
    }
    m_edit.reset();
    const DrillRecord* record = m_model->recordAt(index.row());
    const Kind kind = kindOf(index.column());
    if (!record || kind == Kind::NotEditable)
        return;
    if (takesTyping(kind) && m_editRefused && m_editRefused())
        return;
    const DrillRecord::Column field = fieldOf(index.column());
    beginEdit(DrillChange::of(*record, field, {}));
    m_editOpenedWith = record->shown(field);
    openEditor(typed.value_or(m_editOpenedWith), !typed);
}

// Typing on a cell starts its box with what was typed, as in a spreadsheet; a cell that takes
// no typing, or a window that may only read, leaves the key alone.
void DrillGridEditor::openTyped(const QModelIndex& index, const QString& typed)
{
    if (typed.isEmpty())
        openCell(index, std::nullopt);
    else if (!m_readOnly && takesTyping(kindOf(index.column())))
        openCell(index, typed);
}

void DrillGridEditor::reread()
{
    const QModelIndex cursor = m_grid->currentIndex();
    const DrillRecord* cursorRecord = m_model->recordAt(cursor.row());
    const qint64 cursorDrill = cursorRecord ? cursorRecord->idDrill : 0;
    const bool wasOpen = boxOpen();
    const QPersistentModelIndex firstCell = m_model->index(0, 0); // gone with a reset
    m_data->refresh();
    if (m_edit && !editIndex().isValid()) {
        // Another user deleted the edit's drill: the frame stays where its row was, and the
        // user learns why the box went, before a key can start an edit there.
        const int rows = m_model->rowCount();
        if (rows > 0 && cursor.isValid())
            m_grid->selectionModel()->setCurrentIndex(
                m_model->index(qMin(cursor.row(), rows - 1), cursor.column()),
                QItemSelectionModel::NoUpdate);
        if (m_grid->isEnabled())
            m_grid->setFocus(Qt::OtherFocusReason);
        tellGone();
        return;
    }
    if (firstCell.isValid())
        return; // the rows stayed, and with them the current cell and the box
    if (const int row = m_model->rowOf(cursorDrill); row >= 0)
        m_grid->selectionModel()->setCurrentIndex(m_model->index(row, cursor.column()),
                                                  QItemSelectionModel::NoUpdate);
    if (!wasOpen)
        return;
    // The rebuilt rows took the box, and Qt gave its focus to the next control in the tab
    // order: the box comes back on its drill, or the grid takes the keys.
    if (m_edit)
        reopenEditor();
    else if (m_grid->isEnabled())
        m_grid->setFocus(Qt::OtherFocusReason);
}

void DrillGridEditor::reopenEditor()
{
    if (m_edit)
        openEditor(m_edit->value, false);
}

void DrillGridEditor::focusFirstDrillCell()
{
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, firstOfDrill(0)));
    m_grid->setFocus(Qt::OtherFocusReason);
}

void DrillGridEditor::endEdit()
{
    closeEditor();
    m_edit.reset();
}

void DrillGridEditor::onEnter()
{
    const QModelIndex cell = editIndex();
    closeEditor();
    if (storeEdit() == Stored::Refused)
        return;
    m_edit.reset();
    moveCursorTo(cell.row() + 1, cell.column());
}

void DrillGridEditor::onTab(int step)
{
    closeEditor();
    if (storeEdit() == Stored::Refused)
        return;
    m_edit.reset();
    moveToEditable(step);
}

// The grid's ends stop.
void DrillGridEditor::moveToEditable(int step)
{
    if (const QModelIndex next = m_grid->nextEditable(step); next.isValid())
        m_grid->setCurrentIndex(next);
}

void DrillGridEditor::onEscape()
{
    endEdit();
}

// A box scrolled out of view is stored, as by Enter, after the scroll has run its course,
// whatever scrolled it (the wheel, the scroll bar's arrows or handle, keys); a box still in view
// stays open.
void DrillGridEditor::onScrolled()
{
    if (!m_edit)
        return;
    QMetaObject::invokeMethod(
        this,
        [this] {
            const QModelIndex cell = editIndex();
            const bool inView =
                cell.isValid() && m_grid->viewport()->rect().intersects(m_grid->visualRect(cell));
            if (!m_edit || (boxOpen() && inView))
                return;
            closeEditor();
            storeEdit();
        },
        Qt::QueuedConnection);
}

// What the view's triggers do not know: keys that open the cell's button, step the year, move
// to the next editable cell (Tab), or take an evaluation cell's button (it has no box to take
// Escape, which reaches the grid).
void DrillGridEditor::addGridKeys()
{
    const auto onKeys = [this](std::initializer_list<QKeySequence> keys, auto slot) {
        for (const QKeySequence& key : keys)
            connect(new QShortcut(key, m_grid, nullptr, nullptr, Qt::WidgetShortcut),
                    &QShortcut::activated, this, slot);
    };
    onKeys({Qt::CTRL | Qt::Key_Left, Qt::ALT | Qt::Key_PageUp},
           [this] { emit yearStepRequested(-1); });
    onKeys({Qt::CTRL | Qt::Key_Right, Qt::ALT | Qt::Key_PageDown},
           [this] { emit yearStepRequested(1); });
    onKeys({Qt::Key_F4, Qt::ALT | Qt::Key_Down}, [this] { openButtonOfCell(); });
    connect(m_grid, &DrillGridView::tabPressed, this, &DrillGridEditor::moveToEditable);
    connect(m_grid, &DrillGridView::escapePressed, this, [this] {
        if (boxOpen())
            endEdit();
    });
}

void DrillGridEditor::openButtonOfCell()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    openCell(current, std::nullopt);
    const Kind kind = kindOf(current.column());
    if (m_edit && (kind == Kind::Date || kind == Kind::Evaluation))
        openPickerOrQuestionnaire();
}

void DrillGridEditor::moveCursorTo(int row, int col)
{
    if (row >= 0 && row < m_model->rowCount())
        m_grid->setCurrentIndex(m_model->index(row, col));
}

void DrillGridEditor::openPickerOrQuestionnaire()
{
    if (!m_edit)
        return;
    switch (kindOf(columnOf(m_edit->field))) {
    case Kind::Date:
        openDatePicker();
        break;
    case Kind::Evaluation:
        closeEditor();
        emit evaluationRequested(*m_edit);
        break;
    case Kind::Master:
    case Kind::NotEditable:
        break;
    }
}

void DrillGridEditor::openDatePicker()
{
    closeEditor();
    DatePicker picker(m_calendarDate, m_window);
    const QPoint gridTopLeft = m_window->mapToGlobal(m_grid->pos());
    picker.move(gridTopLeft.x() + m_grid->width() / 2, gridTopLeft.y() + m_grid->height() / 4);
    picker.focusDays();
    picker.exec();
    m_calendarDate = picker.value(); // the next opening starts from here
    if (!m_edit)
        return; // another user removed the drill meanwhile
    if (const auto picked = m_calendarDate.textForEditBox())
        m_edit->value = *picked;
    // Stored whether or not a day was picked, as by Enter.
    if (storeEdit() != Stored::Refused)
        m_edit.reset();
}

QString DrillGridEditor::fieldNameOf(const DrillChange& edit) const
{
    const DrillRecord* record = m_data->recordOf(edit.idDrill);
    if (!record)
        return {};
    return tr("%1 of %2, Drill No %3")
        .arg(describe(columnOf(edit.field)).caption, record->shipName)
        .arg(DrillRecord::drillOf(edit.field) + 1);
}

void DrillGridEditor::beginEdit(const DrillChange& edit)
{
    m_edit = edit;
    m_editName = fieldNameOf(edit); // the drill may be gone by the time it is stored
}

DrillGridEditor::Stored DrillGridEditor::storeValue(const DrillChange& edit)
{
    endEdit();
    beginEdit(edit);
    m_editOpenedWith.clear();
    return storeEdit();
}

DrillGridEditor::Stored DrillGridEditor::storeEdit()
{
    if (!hasTextToStore()) // an empty box clears nothing
        return Stored::Unchanged;
    DrillChange change = *m_edit;
    if (DrillRecord::isDate(change.field)) {
        const auto date = DateText::read(change.value);
        if (!date)
            return refuse({QStringLiteral("13"), QStringLiteral("Type mismatch")});
        change.value = DateText::toIso(*date);
    }
    const DrillWriteResult result = write(change);
    using Outcome = DrillWriteResult::Outcome;
    switch (result.outcome) {
    case Outcome::Written:
    case Outcome::Unchanged:
        endEdit();
        if (result.outcome == Outcome::Unchanged)
            return Stored::Unchanged;
        emit cellStored(m_alongside && result.alongsideDone);
        return Stored::Written;
    case Outcome::Conflict:
        return settleConflict(result);
    case Outcome::Busy:
        return tellBusy();
    case Outcome::Gone:
        tellGone();
        return Stored::Unchanged;
    case Outcome::ConnectionLost:
        emit connectionLost();
        reopenEditor();
        return Stored::Refused;
    case Outcome::Failed:
        break;
    }
    // A year closed since the edit began takes it no more; the check says by whom and when.
    if (m_closedMeanwhile && m_closedMeanwhile()) {
        endEdit();
        return Stored::Unchanged;
    }
    return refuse(result.failure);
}

DrillWriteResult DrillGridEditor::write(const DrillChange& change)
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool waited = false;
    const DrillWriteResult result = m_data->write(change, m_alongside, [&] {
        waited = true;
        emit waitingForLock(
            tr("Waiting for another user to finish: %1 is not stored yet ...").arg(m_editName));
    });
    if (waited)
        emit waitingForLock({});
    QGuiApplication::restoreOverrideCursor();
    return result;
}

// Another user stored the field since the edit began: the user sees both values and chooses;
// the typed text stays in its box until then.
DrillGridEditor::Stored DrillGridEditor::settleConflict(const DrillWriteResult& refused)
{
    reopenEditor();
    const DrillRecord* record = m_data->recordOf(m_edit->idDrill);
    const QString storedNow = record ? record->shown(m_edit->field) : refused.storedNow;
    const bool overwrite = m_messages.askToReplace(
        ProgramTitle, editConflictQuestion(m_editName, withAnswers(storedNow, refused.answersNow),
                                           withAnswers(m_edit->value, wantedAnswers())));
    if (!overwrite) {
        endEdit();
        return Stored::Unchanged;
    }
    closeEditor();
    m_edit->startedFrom = refused.storedNow;
    if (m_edit->answers)
        m_edit->answers->startedFrom = refused.answersNow;
    return storeEdit();
}

// A questionnaire's value is its total with its answers; a field's is its text.
QString DrillGridEditor::withAnswers(const QString& value,
                                     const EvaluationTable::Answers& answers) const
{
    if (!m_edit->answers)
        return value;
    QStringList chosen;
    for (const int answer : answers)
        chosen << (answer > 0 ? QString::number(answer) : QStringLiteral("-"));
    return tr("%1, answers %2").arg(value, chosen.join(QStringLiteral(" ")));
}

EvaluationTable::Answers DrillGridEditor::wantedAnswers() const
{
    return m_edit->answers ? m_edit->answers->wanted : EvaluationTable::Answers{};
}

// The drill is no longer in the database: what was typed for it has nowhere to go.
void DrillGridEditor::tellGone()
{
    const QString typed = withAnswers(m_edit->value, wantedAnswers());
    endEdit();
    m_messages.tell(Messages::Icon::Information, ProgramTitle,
                    tr("Another user deleted the drill record while you were editing %1. What "
                       "you entered, \"%2\", was not stored.")
                        .arg(m_editName, typed));
}

DrillGridEditor::Stored DrillGridEditor::tellBusy()
{
    m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                    tr("Another user is using the database, so %1 could not be stored. What you "
                       "typed, \"%2\", is still in its box: press Enter to try again.")
                        .arg(m_editName, m_edit->value));
    reopenEditor(); // after the message, which took the focus and so closed the box
    return Stored::Refused;
}

DrillGridEditor::Stored DrillGridEditor::refuse(const DataFailure& failure)
{
    // The program's own "Type mismatch" shares its number with SQLite's full disk.
    const bool explained =
        !failure.text.isEmpty() && failure.text == Dialect::plainReason(failure.number);
    const QString sentence =
        DrillRecord::isDate(m_edit->field) && !explained
            ? QStringLiteral(". The %1 is not a valid date ! Please, try again.").arg(m_edit->value)
            : QString();
    // A full disk is no error in what was typed.
    m_messages.tell(Messages::Icon::Critical,
                    explained ? ProgramTitle : QStringLiteral("Error input data ... "),
                    failure.sentence() + sentence);
    reopenEditor();
    return Stored::Refused;
}
