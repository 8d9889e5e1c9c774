#pragma once

#include "data/DueDrills.h"

#include <QDialog>
#include <QTimer>

#include <optional>

class DatabaseWorker;
class Messages;
class QLabel;
class QPushButton;
class QTableWidget;

// "Due Drills": the drills of the shown year that are overdue, due today or in the next 30 days,
// or not scheduled, with their counts at the top. Choosing one (Enter or a double click) closes
// the window and tells which drill it was; whoever opened it shows that drill. It stays open
// beside the main window otherwise, and is read again on refresh(). A read that met another
// user's lock says so, keeps what was shown, and is made again until the lock has ended.
class DueDrillsWindow : public QDialog
{
    Q_OBJECT
public:
    DueDrillsWindow(DatabaseWorker& worker, Messages& messages, QWidget* parent = nullptr);

    // Lists the year as it stands today; the company heads the printed list.
    void showYear(int year, const QString& company);
    // Reads the list again (other users' changes, a new day), keeping the chosen row; the list
    // is filled when the read arrives.
    void refresh();
    int year() const { return m_year; }

signals:
    // A drill of the list was chosen: its drill row and which drill of the row (0 or 1).
    void drillChosen(qint64 idDrill, int drill);

private:
    void buildControls();
    void take(int year, std::optional<DueDrills> list, const DataFailure& failure, bool locked);
    void fill();
    void showCounts(const QString& counts);
    void choose();
    void printPreview();

    DatabaseWorker& m_worker;
    Messages& m_messages;
    int m_year = 0;
    QString m_company;
    std::optional<DueDrills> m_list;
    int m_listYear = 0; // the year m_list is of
    QLabel* m_countsLabel = nullptr;
    QTableWidget* m_dueGrid = nullptr;
    QPushButton* m_goToButton = nullptr;
    QPushButton* m_printFormButton = nullptr;
    QPushButton* m_closeButton = nullptr;
    QTimer m_lockedRetry;
};
