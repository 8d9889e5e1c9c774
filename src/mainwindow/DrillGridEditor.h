#pragma once

#include "calendar/CalendarDate.h"
#include "data/DrillChange.h"
#include "data/DrillWriteResult.h"

#include <QModelIndex>
#include <QObject>

#include <functional>
#include <optional>

class DrillCellEditor;
class DrillDataSource;
class DrillGridView;
class DrillYearModel;
class Messages;
class QWidget;
struct DrillRecord;

// The drill grid of the shown year and its editing. A cell's edit is a value: the drill, the
// field, the value it started from and the text typed for it. That value goes to its own drill
// whatever happens meanwhile (a lock, a reload, another user's change, scrolling, a click
// elsewhere), and only over the value it started from unless the user says otherwise.
class DrillGridEditor : public QObject
{
    Q_OBJECT
public:
    DrillGridEditor(Messages& messages, QWidget* window);

    DrillGridView* grid() const { return m_grid; }
    DrillYearModel* model() const { return m_model; }
    // The grid shows these records from now on, following every read.
    void bind(DrillDataSource& data);
    // Written in the same transaction as every stored cell: the report table's refill.
    void setAlongside(std::function<bool()> alongside) { m_alongside = std::move(alongside); }

    // The colours follow today's state of the drills; a new day recolours every row.
    void recolour();

    // The record of the grid's current cell; nullptr when there is none.
    const DrillRecord* currentRecord() const;
    // Makes a drill field the current cell, in view.
    void goToField(qint64 idDrill, int col);

    enum class Stored
    {
        Unchanged,
        Written,
        Refused
    };
    // Stores the open edit to its own drill field when its text changed. Another user's newer
    // value is never overwritten unasked; a lock is waited for within a bound; when nothing
    // could be stored the edit keeps its text, shown again in its box.
    Stored storeEdit();

    // Reads the shown year again, as other users changed it. The current cell and an open
    // edit stay on their drills wherever those rows now are; the edit keeps its text.
    void reread();
    // Shows the edit's box again over its cell, with the text that could not be stored.
    void reopenEditor();
    // The keyboard starts in the grid, on the first ship's first drill cell.
    void focusFirstDrillCell();
    // Whatever was typed for the old grid must never reach a reloaded one.
    void endEdit();
    // Asked before a date or master cell opens for typing; true refuses it, the guard having
    // told the user why.
    void setEditGuard(std::function<bool()> refuses) { m_editRefused = std::move(refuses); }
    // Asked when a write fails: true when the year was closed since the edit began, the check
    // having told the user by whom and when.
    void setClosedMeanwhileCheck(std::function<bool()> closed)
    {
        m_closedMeanwhile = std::move(closed);
    }
    // Stores a change made elsewhere (the questionnaire's total with its answers) to the drill
    // it was made for, as one change; Refused leaves it to be stored again.
    Stored storeValue(const DrillChange& edit);
    // A role that may only read: boxes take no typing and buttons are off.
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

signals:
    // A cell was stored; with the report table refilled in the same transaction or not.
    void cellStored(bool alongsideDone);
    // A write failed because the connection to the database is gone; nothing was told yet.
    void connectionLost();
    // The questionnaire of a drill is asked for; `edit` names its evaluation field and the
    // value it holds now.
    void evaluationRequested(const DrillChange& edit);
    // A write waits for another user's lock (a text for the status line), or no longer does
    // (an empty text).
    void waitingForLock(const QString& text);
    // +1 for the next year, -1 for the previous one.
    void yearStepRequested(int step);

private:
    void buildGrid(QWidget* window);
    // The cell of the open edit; invalid when there is none or its row is gone.
    QModelIndex editIndex() const;
    bool hasTextToStore() const;
    // "Ship's Master Name of ALPHA, Drill No 1".
    QString fieldNameOf(const DrillChange& edit) const;
    void beginEdit(const DrillChange& edit);
    QString withAnswers(const QString& value, const EvaluationTable::Answers& answers) const;
    EvaluationTable::Answers wantedAnswers() const;
    void tellGone();
    void openEditor(const QString& text, bool selected);
    void closeEditor();
    bool boxOpen() const;
    void setUpEditor(DrillCellEditor* editor, const QModelIndex& index);
    DrillCellEditor* openEditorWidget() const;
    // Stores the open edit, then opens the cell, with what was typed on it or its own text.
    void openCell(const QModelIndex& index, const std::optional<QString>& typed);
    void onEnter();
    void onTab(int step);
    void onEscape();
    void onScrolled();
    void openPickerOrQuestionnaire();
    void openDatePicker();
    DrillWriteResult write(const DrillChange& change);
    Stored settleConflict(const DrillWriteResult& refused);
    Stored refuse(const DataFailure& failure);
    Stored tellBusy();
    void addGridKeys();
    void openButtonOfCell();
    void moveToEditable(int step);
    void openTyped(const QModelIndex& index, const QString& typed);
    void moveCursorTo(int row, int col);

    DrillDataSource* m_data = nullptr;
    Messages& m_messages;
    QWidget* m_window;
    DrillYearModel* m_model = nullptr;
    DrillGridView* m_grid = nullptr;
    std::optional<DrillChange> m_edit; // the open edit; its value is the text typed so far
    QString m_editOpenedWith;          // the text the edit's box began with
    QString m_editName;                // what the edit is of, named as the user knows it
    bool m_readOnly = false;
    std::function<bool()> m_alongside;
    std::function<bool()> m_editRefused;
    std::function<bool()> m_closedMeanwhile;
    CalendarDate m_calendarDate; // the date picker's anchor, from one opening to the next
};
