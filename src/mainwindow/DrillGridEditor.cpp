#include "mainwindow/DrillGridEditor.h"

#include "calendar/DatePicker.h"
#include "common/Clock.h"
#include "common/Twips.h"
#include "data/DrillDataSource.h"
#include "mainwindow/DrillCellDelegate.h"
#include "mainwindow/DrillCellEditor.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/DrillYearModel.h"
#include "widgets/InputGate.h"

#include <QShortcut>

#include <utility>

using namespace DrillColumns;

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
    m_grid->setEditGuard(
        [this](const QModelIndex& cell, bool typed) { return refusesOpening(cell, typed); });
    connect(m_grid->cellDelegate(), &DrillCellDelegate::editorCreated, this,
            &DrillGridEditor::setUpEditor);
    addGridKeys();
    connect(m_grid, &DrillGridView::scrolled, this, &DrillGridEditor::onScrolled);
    connect(m_model, &QAbstractItemModel::modelAboutToBeReset, this,
            &DrillGridEditor::holdAcrossReset);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DrillGridEditor::restoreAfterReset);
}

void DrillGridEditor::bind(DrillDataSource& data)
{
    m_data = &data;
    delete m_writer;
    m_writer = new DrillWriter(data, m_messages, this);
    connect(m_writer, &DrillWriter::cellStored, this, &DrillGridEditor::cellStored);
    connect(m_writer, &DrillWriter::connectionLost, this, &DrillGridEditor::connectionLost);
    connect(m_writer, &DrillWriter::waitingForLock, this, &DrillGridEditor::waitingForLock);
    m_model->bind(data, *m_writer);
    // The editing is not re-entrant: what the user does meanwhile follows the wait.
    delete m_inputGate;
    m_inputGate = new InputGate(this);
    connect(&data, &DrillDataSource::waitBegan, m_inputGate, &InputGate::close);
    connect(&data, &DrillDataSource::settled, m_inputGate, &InputGate::open);
    connect(&data, &DrillDataSource::settled, this, [this] {
        // Not before the store under way has returned: it may be this box's.
        if (std::exchange(m_scrolledWhileWaiting, false))
            QMetaObject::invokeMethod(this, &DrillGridEditor::storeIfScrolledAway,
                                      Qt::QueuedConnection);
    });
}

void DrillGridEditor::setAlongside(std::function<bool()> alongside)
{
    m_writer->setAlongside(std::move(alongside));
}

void DrillGridEditor::setClosedMeanwhileCheck(std::function<bool()> closed)
{
    m_writer->setClosedMeanwhileCheck(std::move(closed));
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

// A key typed on a cell without a box, or in a window that may only read, is left alone.
bool DrillGridEditor::refusesOpening(const QModelIndex& cell, bool typed) const
{
    const bool typing = takesTyping(cell.column());
    if (typed && (m_readOnly || !typing))
        return true;
    return typing && m_editRefused && m_editRefused();
}

void DrillGridEditor::setUpEditor(DrillCellEditor* editor)
{
    editor->setReadOnly(m_readOnly);
    connect(editor, &DrillCellEditor::buttonRequested, this,
            &DrillGridEditor::openPickerOrQuestionnaire);
}

DrillGridEditor::Stored DrillGridEditor::storeEdit()
{
    return m_grid->storeOpenEdit() ? Stored::Unchanged : Stored::Refused;
}

void DrillGridEditor::reread()
{
    m_data->refresh();
}

// Qt closes every editor when the rows are rebuilt, and forgets the current cell.
void DrillGridEditor::holdAcrossReset()
{
    const QModelIndex cursor = m_grid->currentIndex();
    m_held = {cursor.data(DrillYearModel::IdDrillRole).toLongLong(), cursor.row(), cursor.column(),
              std::nullopt};
    if (const DrillCellEditor* editor = m_grid->openCellEditor())
        m_held.edit = editor->typed();
}

// The current cell goes back to its drill, or stays where its row was; an open box comes back
// on its drill with its text, or the user learns that its drill was deleted, before a key can
// start an edit elsewhere.
void DrillGridEditor::restoreAfterReset()
{
    const Held held = std::exchange(m_held, {});
    const int rows = m_model->rowCount();
    if (held.cursorRow >= 0 && rows > 0) {
        const int row = m_model->rowOf(held.cursorDrill);
        m_grid->selectionModel()->setCurrentIndex(
            m_model->index(row >= 0 ? row : qMin(held.cursorRow, rows - 1), held.cursorColumn),
            QItemSelectionModel::NoUpdate);
    }
    if (!held.edit)
        return;
    if (m_model->rowOf(held.edit->change.idDrill) >= 0) {
        reopen(*held.edit);
        return;
    }
    if (m_grid->isEnabled())
        m_grid->setFocus(Qt::OtherFocusReason);
    m_writer->tellGone(*held.edit);
}

void DrillGridEditor::reopen(const DrillCellEdit& edit)
{
    const QModelIndex cell =
        m_model->index(m_model->rowOf(edit.change.idDrill), columnOf(edit.change.field));
    m_grid->setCurrentIndex(cell);
    m_grid->scrollTo(cell);
    m_grid->openCell(cell);
    if (DrillCellEditor* editor = m_grid->openCellEditor())
        editor->begin(edit, edit.change.value);
}

void DrillGridEditor::focusFirstDrillCell()
{
    if (m_model->rowCount() > 0)
        m_grid->setCurrentIndex(m_model->index(0, firstOfDrill(0)));
    m_grid->setFocus(Qt::OtherFocusReason);
}

void DrillGridEditor::endEdit()
{
    m_grid->dropOpenEdit();
}

// A box scrolled out of view is stored, as by Enter, after the scroll has run its course,
// whatever scrolled it (the wheel, the scroll bar's arrows or handle, keys); a box still in view
// stays open.
void DrillGridEditor::onScrolled()
{
    if (!m_grid->openCellEditor())
        return;
    QMetaObject::invokeMethod(this, &DrillGridEditor::storeIfScrolledAway, Qt::QueuedConnection);
}

void DrillGridEditor::storeIfScrolledAway()
{
    if (m_data && m_data->isWaiting()) {
        m_scrolledWhileWaiting = true; // the box may be the one being stored
        return;
    }
    const DrillCellEditor* editor = m_grid->openCellEditor();
    if (!editor)
        return;
    const QModelIndex cell = editor->cell();
    if (cell.isValid() && m_grid->viewport()->rect().intersects(m_grid->visualRect(cell)))
        return;
    m_grid->storeOpenEdit();
}

// What the view's triggers do not know: keys that step the year, or open the cell's button.
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
}

void DrillGridEditor::openButtonOfCell()
{
    const QModelIndex current = m_grid->currentIndex();
    if (!current.isValid())
        return;
    if (!m_grid->openCellEditor())
        m_grid->openCell(current);
    if (DrillCellEditor* editor = m_grid->openCellEditor(); editor && editor->cell() == current)
        editor->pressButton();
}

void DrillGridEditor::openPickerOrQuestionnaire(DrillCellEditor* editor)
{
    if (kindOf(editor->cell().column()) == Kind::Date) {
        openDatePicker();
        return;
    }
    const DrillChange change = editor->typed().change;
    m_grid->dropOpenEdit();
    emit evaluationRequested(change);
}

void DrillGridEditor::openDatePicker()
{
    DatePicker picker(m_calendarDate, m_window);
    const QPoint gridTopLeft = m_window->mapToGlobal(m_grid->pos());
    picker.move(gridTopLeft.x() + m_grid->width() / 2, gridTopLeft.y() + m_grid->height() / 4);
    picker.focusDays();
    picker.exec();
    m_calendarDate = picker.value(); // the next opening starts from here
    // The box may have been rebuilt with the rows meanwhile, or gone with its drill.
    DrillCellEditor* editor = m_grid->openCellEditor();
    if (!editor)
        return;
    if (const auto picked = m_calendarDate.textForEditBox())
        editor->setText(*picked);
    m_grid->storeOpenEdit(); // stored whether or not a day was picked, as by Enter
}

DrillGridEditor::Stored DrillGridEditor::storeValue(const DrillChange& change)
{
    endEdit();
    const DrillRecord* record = m_data->recordOf(change.idDrill);
    const DrillCellEdit edit{
        change, {}, record ? DrillWriter::editOf(*record, change.field).name : QString()};
    if (!edit.hasTextToStore()) // an empty total clears nothing
        return Stored::Unchanged;
    return m_writer->store(edit);
}
