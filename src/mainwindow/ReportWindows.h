#pragma once

#include "history/HistoryWindow.h"

#include <QObject>

#include <memory>

class DatabaseSession;
class DrillGridEditor;
class DueDrillsWindow;
class Messages;
class PanelHost;
class QAbstractItemView;
class ReportControl;
class ReportRequest;
class WindowFrame;
class YearController;
struct DrillRecord;

// What the main window shows of its data beside the grid: the history of changes of a drill or
// a ship, the due drills, and the drill status report of the shown year, whose table follows
// every edit (on a server it is filled for the report).
class ReportWindows : public QObject
{
    Q_OBJECT
public:
    ReportWindows(QWidget& window, QString folder, Messages& messages, DatabaseSession& session,
                  DrillGridEditor& drills, PanelHost& panels, const YearController& years,
                  const WindowFrame& frame);
    ~ReportWindows() override;

    // The database is open: the report table follows the edits, where the engine keeps it.
    void attach();

    void showStatusReport();
    void showDueDrills();
    // Tells the user to choose a drill when there is none.
    void showDrillHistory(const DrillRecord* record);
    // The history of the fleet list's current ship.
    void showShipHistory();

signals:
    // "History..." by key or from a grid's menu: which history is the window's to say.
    void historyRequested();
    // A report waits, for the status line; empty when it no longer does.
    void waitShown(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildHistoryAction();
    void openMenuAtCell(QAbstractItemView* grid);
    void openHistory(const QString& subject, HistoryWindow::Reader reader);
    void goToDrill(qint64 idDrill, int drill);
    // Made at the first report: the database is open by then.
    ReportRequest& statusRequest();
    QString companyName() const;

    QWidget& m_window;
    QString m_folder;
    Messages& m_messages;
    DatabaseSession& m_session;
    DrillGridEditor& m_drills;
    PanelHost& m_panels;
    const YearController& m_years;
    const WindowFrame& m_frame;
    std::unique_ptr<ReportControl> m_statusReport;
    ReportRequest* m_statusRequest = nullptr; // the status report's way through the worker
    DueDrillsWindow* m_dueDrills = nullptr;
    bool m_reportCurrent = false; // the report table holds the shown year as the grid shows it
};
