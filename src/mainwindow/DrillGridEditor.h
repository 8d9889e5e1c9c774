#pragma once

#include "calendar/CalendarDate.h"
#include "data/DrillChange.h"
#include "data/DrillWriteResult.h"

#include <QDate>
#include <QObject>

#include <functional>
#include <optional>

class DrillDataSource;
class FlexGrid;
class Messages;
class QKeyEvent;
class QLineEdit;
class QToolButton;
class QWidget;
struct DrillRecord;

// The drill grid of a shown year with its in-place editor: the grid m_drillGrid shows the records
// of the drill source, the edit box m_editBox and its button m_pickButton edit one cell at a time,
// and each row is coloured by its drills' state. It writes through the drill source and tells
// the window what the window must do: start the deferred commit, open a questionnaire, step
// the year. Its controls are children of the window, laid over the grid.
class DrillGridEditor : public QObject
{
    Q_OBJECT
public:
    static constexpr int FirstDrillRow = 2;

    DrillGridEditor(Messages& messages, QWidget* window);

    FlexGrid* grid() const { return m_drillGrid; }
    // The grid shows these records from now on, rebuilt whenever they are read.
    void bind(DrillDataSource& data);

    // The header rows, widths and alignments; the drill cells are left as they are.
    void layHeaders();
    // Every row coloured by the state of its drills on one day; ship names bold. The current
    // cell is left on the ship name of the last row.
    void recolour();
    // False once the records changed under the colours: a new year was shown.
    bool isColoured() const { return m_colouredFor.isValid(); }
    // Recolours every row when the day has changed since the last full colouring.
    void recolourIfTheDayChanged();

    // The record a grid row shows; nullptr for a row that shows none.
    const DrillRecord* recordAt(int row) const;

    enum class Stored
    {
        Unchanged,
        Written,
        Refused
    };
    // Writes the edit box to the drill field it was opened for, whatever cell is current now,
    // when it changes the value the box started from, and recolours that drill's row.
    // `alongside` is written in the same transaction (see DrillDataSource). Another user's
    // newer value is never overwritten unasked; a lock is waited for within a bound, and the
    // box keeps its text when nothing could be stored.
    Stored commitEdit(const std::function<bool()>& alongside = {});

    // Reads the shown year again, as other users changed it. An open edit box keeps its text,
    // and it, the clicked cell and the keyboard's cell stay on their drill rows wherever those
    // rows now are.
    void reread();
    // Shows one record again, as it was read anew; an open edit box keeps its text.
    void showDrill(int index);
    // Shows the edit box again over the cell it was written from, with the text that could not
    // be stored.
    void reopenEditor();

    void hideEditor();
    // The keyboard starts in the grid, on the first ship's first drill cell.
    void focusFirstDrillCell();
    // Whatever was typed for the old grid must never reach a reloaded one.
    void endEdit();
    // Asked before a date or master cell opens for typing; true refuses it, the guard having
    // told the user why.
    void setEditGuard(std::function<bool()> refuses) { m_editRefused = std::move(refuses); }
    // Hands a value made elsewhere (the questionnaire's total) to the drill field it was made
    // for, for the next commit; `edit` carries the value the field held when it was begun.
    void takeValue(const DrillChange& edit, const QString& value);

signals:
    // The edit box is to be written by the deferred commit step.
    void commitRequested();
    // The commit step must run now, once, before the box takes another cell: a step still
    // pending for the box runs in its place.
    void pendingCommitDue();
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

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGrid(QWidget* window);
    void buildEditor(QWidget* window);
    void showRecords();
    qint64 drillIdAt(int row) const;
    // The grid row showing the drill; 0 when none does.
    int rowOfDrill(qint64 idDrill) const;
    // Where the edit box belongs now; 0 when it belongs nowhere.
    int boxRow() const;
    // The box holds a text for its drill field that is not stored yet.
    bool hasTextToStore() const;
    int boxCol() const;
    // The drill field that the edit box belongs to names it for the user: "Ship's Master Name
    // of ALPHA, Drill No 1".
    QString editedFieldName() const;
    DrillWriteResult writeEdit(const DrillChange& change, const std::function<bool()>& alongside);
    Stored settleConflict(const DrillWriteResult& refused, const std::function<bool()>& alongside);
    Stored refuse(const DataFailure& failure);
    void showStored();
    void recolourRow(int row, const QDate& today);
    void onCellClicked();
    void openPickerOrQuestionnaire();
    void openDatePicker();
    void layEditorOver(int row, int col);
    bool editBoxEvent(QEvent* event);
    bool editBoxKey(QKeyEvent* key);
    bool gridKey(QKeyEvent* key);
    void openCurrentCell(const QString& typed);
    void moveToEditableCell(int step);
    void moveCursorTo(int row, int col);

    DrillDataSource* m_data = nullptr;
    Messages& m_messages;
    QWidget* m_window;
    FlexGrid* m_drillGrid = nullptr;
    QLineEdit* m_editBox = nullptr;
    QToolButton* m_pickButton = nullptr;
    std::optional<DrillChange> m_boxFor; // the drill field the edit box belongs to
    std::function<bool()> m_editRefused;
    QDate m_colouredFor;         // the day of the last full colouring; invalid: one is due
    CalendarDate m_calendarDate; // the date picker's anchor, from one opening to the next
};
