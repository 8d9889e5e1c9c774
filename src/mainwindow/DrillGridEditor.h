#pragma once

#include "calendar/CalendarDate.h"

#include <QDate>
#include <QObject>

#include <functional>

class DrillDataSource;
class FlexGrid;
class Messages;
class QKeyEvent;
class QLineEdit;
class QToolButton;
class QWidget;
struct DrillRecord;

// The drill grid of a shown year with its in-place editor: the grid DBGrid1 shows the records
// of the drill source, the edit box TxtWrite and its button CmdWrite edit one cell at a time,
// and each row is coloured by its drills' state. It writes through the drill source and tells
// the window what the window must do: start the deferred commit, open a questionnaire, step
// the year. Its controls are children of the window, laid over the grid.
class DrillGridEditor : public QObject
{
    Q_OBJECT
public:
    static constexpr int FirstDrillRow = 2;

    DrillGridEditor(Messages& messages, QWidget* window);

    FlexGrid* grid() const { return DBGrid1; }
    // The grid shows these records from now on, rebuilt whenever they are read.
    void bind(DrillDataSource& data);

    // The header rows, widths and alignments; the drill cells are left as they are.
    void layHeaders();
    // Every row coloured by the state of its drills on one day; ship names bold. The current
    // cell is left on the ship name of the last row.
    void UpdateColors();
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
    // Writes the edit box to the cell when it changes the stored value, and recolours the
    // cell's row. `alongside` is written in the same transaction (see DrillDataSource).
    Stored commitCell(int row, int col, const std::function<bool()>& alongside = {});

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
    // Whatever was typed for the old grid must never reach a reloaded one.
    void endEdit();
    // Hands a value made elsewhere (the questionnaire's total) to a cell, for the next commit.
    void takeValue(int row, int col, const QString& value);

signals:
    // The edit box is to be written by the deferred commit step.
    void commitRequested();
    // A commit step still pending must run now, before the box takes another cell's text.
    void pendingCommitDue();
    // A cell was stored; with the report table refilled in the same transaction or not.
    void cellStored(bool alongsideDone);
    // A write failed because the connection to the database is gone; nothing was told yet.
    void connectionLost();
    void evaluationRequested(int row, int col);
    // +1 for the next year, -1 for the previous one.
    void yearStepRequested(int step);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGrid(QWidget* window);
    void buildEditor(QWidget* window);
    void showRecords();
    int drillIdAt(int row) const;
    // The grid row showing the drill; 0 when none does.
    int rowOfDrill(int idDrill) const;
    void recolourRow(int row, const QDate& today);
    void DBGrid1_Click();
    void CmdWrite_Click();
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
    FlexGrid* DBGrid1 = nullptr;
    QLineEdit* TxtWrite = nullptr;
    QToolButton* CmdWrite = nullptr;
    int m_lastRow = 0; // the last clicked cell; row 0: none yet
    int m_lastCol = 0;
    QDate m_colouredFor;         // the day of the last full colouring; invalid: one is due
    CalendarDate m_calendarDate; // the date picker's anchor, from one opening to the next
};
