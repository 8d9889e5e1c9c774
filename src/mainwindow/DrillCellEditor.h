#pragma once

#include "mainwindow/DrillCellEdit.h"
#include "mainwindow/DrillColumns.h"

#include <QPersistentModelIndex>
#include <QWidget>

class QLineEdit;
class QToolButton;

// The editor laid over one drill cell: a grey box for typing and, for the cells that have one,
// the small button of the date picker or the questionnaire at its right end. It holds the edit
// it began with, so that what was typed goes to that drill field over the value it started
// from, wherever the row goes meanwhile.
class DrillCellEditor : public QWidget
{
    Q_OBJECT
public:
    DrillCellEditor(const QModelIndex& cell, const QFont& font, QWidget* parent);

    // The cell it lies over; it follows the drill's row.
    const QPersistentModelIndex& cell() const { return m_cell; }
    // Takes the edit, with the text its box shows.
    void begin(const DrillCellEdit& edit, const QString& text);
    bool hasBegun() const { return m_begun; }
    // The edit with what is typed now as its value.
    DrillCellEdit typed() const;
    void setText(const QString& text);
    void setReadOnly(bool readOnly);
    // Whether its last store was refused; the box then stays open with its text.
    bool isRefused() const { return m_refused; }
    void setRefused(bool refused) { m_refused = refused; }
    // The width the editor needs to show any date whole beside its button; 0 for other cells.
    int neededWidth() const;
    // Opens the date picker or the questionnaire, as a click on the button does.
    void pressButton();

signals:
    void buttonRequested(DrillCellEditor* editor);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QPersistentModelIndex m_cell;
    QLineEdit* m_box;
    QToolButton* m_button;
    DrillCellEdit m_edit;
    bool m_begun = false;
    bool m_refused = false;
};
