#pragma once

#include "mainwindow/DrillColumns.h"

#include <QWidget>

class QLineEdit;
class QToolButton;

// The editor laid over one drill cell: a grey box for typing and, for the cells that have one,
// the small button of the date picker or the questionnaire at its right end. It only says what
// the user does; what becomes of the text is decided by whoever opened it.
class DrillCellEditor : public QWidget
{
    Q_OBJECT
public:
    DrillCellEditor(DrillColumns::Kind kind, const QFont& font, QWidget* parent);

    void setText(const QString& text, bool selected);
    QString text() const;
    void setReadOnly(bool readOnly);
    // Whether the box takes typing; an evaluation cell has only its button.
    bool hasBox() const;
    // The width the editor needs to show any date whole beside its button; 0 for other cells.
    int neededWidth() const;

signals:
    void textEdited(const QString& text);
    void enterPressed();
    // +1 for Tab, -1 for Shift+Tab.
    void tabPressed(int step);
    void escapePressed();
    void buttonRequested();
    // The box lost the keyboard to something outside it.
    void left();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool boxKey(const QKeyEvent* key);

    QLineEdit* m_box;
    QToolButton* m_button;
};
