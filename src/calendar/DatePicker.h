#pragma once

#include "calendar/CalendarDate.h"

#include <QDate>
#include <QDialog>

class MonthDaysModel;
class QFrame;
class QLabel;
class QModelIndex;
class QPushButton;
class QTableView;

// The modal month picker. It opens at the month of its anchor (today's month when that names
// no date), steps by month and year, and hands back its result, which the opener keeps as the
// anchor of its next opening:
//
//     DatePicker picker(m_anchor, this);
//     picker.move(where);
//     picker.exec();
//     m_anchor = picker.value();
//     if (const std::optional<QString> text = m_anchor.textForEditBox())
//         m_editBox->setText(*text);
//
// A click on a day closes it (Accepted) and leaves that day as short-date text. The close
// button, Escape and the window manager's close button all cancel (Rejected) and leave the
// empty text, so the opener writes nothing and the next opening starts at today's month.
class DatePicker : public QDialog
{
    Q_OBJECT
public:
    explicit DatePicker(const CalendarDate& anchor = {}, QWidget* parent = nullptr);

    // The day picked, the empty text for a cancel; while open, the anchor as navigated.
    const CalendarDate& value() const { return m_value; }

    // Every way of closing without a pick ends here.
    void reject() override;
    // The keyboard starts on the anchor day: arrows move the day, Page Up / Down the month,
    // Enter picks, Escape cancels.
    void focusDays();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTitleRow();
    void buildGrid();
    void buildStatusBar();
    void buildCloseButton();
    void setTabOrderOfControls();

    void fillWindow();
    void showHeadings();
    void moveAnchor(const QDate& anchor);
    void showAnchorMonth();
    void pickDay(const QModelIndex& cell);
    bool dayKey(int key);

    QPushButton* m_yearDownButton;
    QPushButton* m_monthDownButton;
    QLabel* m_monthTitle;
    QPushButton* m_monthUpButton;
    QPushButton* m_yearUpButton;
    QTableView* m_dayGrid;
    MonthDaysModel* m_days;
    QFrame* m_statusBar;
    QLabel* m_todayWord;
    QLabel* m_todayDate;
    QPushButton* m_closeButton;
    QDate m_anchor;
    CalendarDate m_value;
};
