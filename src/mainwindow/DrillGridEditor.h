#pragma once

#include "calendar/CalendarDate.h"
#include "mainwindow/DrillCellEdit.h"
#include "mainwindow/DrillWriter.h"

#include <QObject>

#include <functional>
#include <optional>

class DrillCellEditor;
class DrillDataSource;
class DrillGridView;
class DrillYearModel;
class InputGate;
class Messages;
class QModelIndex;
class QWidget;
struct DrillRecord;

// The drill grid of the shown year, and what its editing needs beyond Qt's own: the keys Qt
// has no trigger for, the date picker and the questionnaire behind a cell's button, and an open
// box kept through a rebuild of the rows.
class DrillGridEditor : public QObject
{
    Q_OBJECT
public:
    using Stored = DrillWriter::Stored;

    DrillGridEditor(Messages& messages, QWidget* window);

    DrillGridView* grid() const { return m_grid; }
    DrillYearModel* model() const { return m_model; }
    // The grid shows these records from now on, following every read.
    void bind(DrillDataSource& data);
    // After bind(): written in the same transaction as every stored cell, the report table's
    // refill.
    void setAlongside(std::function<bool()> alongside);

    // The colours follow today's state of the drills; a new day recolours every row.
    void recolour();

    // The record of the grid's current cell; nullptr when there is none.
    const DrillRecord* currentRecord() const;
    // Makes a drill field the current cell, in view.
    void goToField(qint64 idDrill, int col);

    // Stores the open box to its own drill field when its text changed, as Enter does. Another
    // user's newer value is never overwritten unasked; a lock is waited for within a bound;
    // when nothing could be stored the box stays open with its text.
    Stored storeEdit();

    // Reads the shown year again, as other users changed it. The current cell and an open
    // box stay on their drills wherever those rows now are; the box keeps its text.
    void reread();
    // The keyboard starts in the grid, on the first ship's first drill cell.
    void focusFirstDrillCell();
    // Whatever was typed for the old grid must never reach a reloaded one.
    void endEdit();
    // Asked before a date or master cell opens for typing; true refuses it, the guard having
    // told the user why.
    void setEditGuard(std::function<bool()> refuses) { m_editRefused = std::move(refuses); }
    // After bind(): asked when a write fails, true when the year was closed since the edit
    // began, the check having told the user by whom and when.
    void setClosedMeanwhileCheck(std::function<bool()> closed);
    // Stores a change made elsewhere (the questionnaire's total with its answers) to the drill
    // it was made for, as one change; Refused leaves it to be stored again.
    Stored storeValue(const DrillChange& change);
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
    // What a rebuild of the rows must not lose: the drill of the current cell, and an open
    // box's edit with what was typed in it.
    struct Held
    {
        qint64 cursorDrill = 0;
        int cursorRow = -1;
        int cursorColumn = -1;
        std::optional<DrillCellEdit> edit;
    };

    void buildGrid(QWidget* window);
    bool refusesOpening(const QModelIndex& cell, bool typed) const;
    void setUpEditor(DrillCellEditor* editor);
    void holdAcrossReset();
    void restoreAfterReset();
    void reopen(const DrillCellEdit& edit);
    void onScrolled();
    void storeIfScrolledAway();
    void addGridKeys();
    void openButtonOfCell();
    void openPickerOrQuestionnaire(DrillCellEditor* editor);
    void openDatePicker();

    Messages& m_messages;
    QWidget* m_window;
    DrillDataSource* m_data = nullptr;
    DrillWriter* m_writer = nullptr;
    InputGate* m_inputGate = nullptr; // closed while a call of the data waits
    bool m_scrolledWhileWaiting = false;
    DrillYearModel* m_model = nullptr;
    DrillGridView* m_grid = nullptr;
    Held m_held;
    bool m_readOnly = false;
    std::function<bool()> m_editRefused;
    CalendarDate m_calendarDate; // the date picker's anchor, from one opening to the next
};
