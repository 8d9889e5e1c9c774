#pragma once

#include "common/Ticker.h"
#include "data/ChangeHistory.h"
#include "data/DatabaseLocation.h"
#include "data/DrillDataSource.h"
#include "history/HistoryWindow.h"
#include "mainwindow/DrillGridEditor.h"

#include <QPoint>
#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class DatabaseWorker;
class DrillDatabase;
class DueDrillsWindow;
class EvaluationPanel;
class ReportControl;
class ServerProbe;
class FleetPanel;
class DrillGridView;
class Messages;
class QAbstractItemView;
class QLabel;
class QPushButton;
class QShortcut;
class Shell;
class ShipTableModel;
class PanelHost;
class WindowFrame;

// The working window: the yearly drill grid with its frame, buttons, panels and status bar.
class MainWindow : public QWidget
{
    Q_OBJECT
public:
    // The window's timed steps come from the tickers: a test hands it ones it fires itself.
    MainWindow(QString applicationFolder, Messages& messages, Shell& shell,
               Tickers& tickers = Tickers::timed(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // Opens the database and fills the window. False when the database cannot be used;
    // the user has been told why, and the program should end.
    bool fillWindow();

    // False when the shown year could not be read; the user has been told, and the grid and
    // m_yearLabel show the year read before (none at the first load).
    bool loadYear();

    const DrillDatabase& database() const { return *m_db; }

    // Opens no larger than the room the screen offers, in its middle; at the designed size
    // where it fits.
    void fitToScreen();

    // Another database than the usual file in the application folder; before fillWindow.
    void setDatabase(const DatabaseLocation& location) { m_location = location; }
    // The code page of an Access 97 file offered for take-over, when its own is wrong.
    void setAccessCodePage(const QString& codePage) { m_accessCodePage = codePage; }

signals:
    // The database is open and the year read: the splash screen may go.
    void opened();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Gives every ship without a drill row in the shown year its row.
    void addDrillRowsForNewShips();
    // Refills the report table with the shown year; false when it could not.
    bool refillReportTable();
    void hidePanels();
    // True when the shown year is closed: the user has been told by whom and when, and no
    // edit may begin.
    bool refuseClosedYearEdit();
    // The year the grid shows, as m_yearLabel names it.
    int shownYear() const { return m_year; }
    // Makes the drill of the shown year the grid's current cell, in view and with the focus.
    void goToDrill(qint64 idDrill, int drill);
    // A role that may only read: editing and the panels' Save are off, and the status line says
    // so, naming the role; reports and exports still work.
    void setReadOnly(bool readOnly, const QString& role);

    void buildFrame();
    void buildGrid();
    void buildTimers(Tickers& tickers);
    void setYearCaption(int year);
    void onCellStored(bool reportRefilled);
    void showNextYear();
    void showPreviousYear();
    void showYear(int year);
    void startYearLoad(int year);
    void yearLoaded(int year, DrillDataSource::Load load);
    void cancelYearChange();
    void endYearLoad();
    void enableYearSteps(int year);
    void buildPanels();
    void panelsChanged(bool anyOpen);
    void addNewShipsAndReload();
    void saveCompanyName(const QString& startedFrom, const QString& typed);
    void shipRenamedByOtherUser(qint64 id, const QString& startedFrom, const QString& storedNow,
                                const QString& typed);
    void setCompanyName(const QString& name);
    void openPresentation();
    void showAboutBox();
    void askToEndProgram();
    bool storePendingEdit();
    void showStatusReport();
    void buildEvaluationPanel();
    void openQuestionnaire(const DrillChange& edit);
    void saveQuestionnaire(const AnswersChange& answers, const QString& total);
    void tickClock();
    void readCompanyName();
    void makeDailyBackup();
    void watchOtherUsers();
    void otherUsersChanged();
    void otherUsersChangedDrills(const QList<qint64>& idDrills);
    void connectionLost();
    void tryReconnect();
    void checkServerAlive();
    void serverAnswered(bool reachable);
    // Tells once that the connection is gone and starts connecting again; `consequence` says
    // what became of the user's action.
    void tellConnectionLost(const QString& consequence);
    // After a write was refused: true when the connection is gone, and the user was told that
    // what `notStored` names was not stored.
    bool tellIfConnectionLost(const QString& notStored);
    void showAccess();
    void showDatabaseInUse();
    QString newestBackupSentence() const;
    void showDueDrills();
    void buildHistoryActions();
    void showHistory();
    void showDrillHistory(const DrillRecord* record);
    void openMenuAtCell(QAbstractItemView* grid);
    void showShipHistory();
    void openHistory(const QString& subject, HistoryWindow::Reader reader);
    void closeShownYear();
    void reopenShownYear();
    void showYearClosure();

    QString m_folder;
    DatabaseLocation m_location;
    QString m_accessCodePage;
    Messages& m_messages;
    Shell& m_shell;
    std::unique_ptr<DrillDatabase> m_db;
    DatabaseWorker* m_worker = nullptr; // the drill work, off the window's thread
    std::unique_ptr<DrillDataSource> m_yearDrills;
    std::unique_ptr<ShipTableModel> m_ships;
    std::unique_ptr<ServerProbe> m_probe; // asks in the background whether the server is back

    WindowFrame* m_frame = nullptr;
    PanelHost* m_panels = nullptr;
    // Parts of the frame and the panels that the year and the session work on.
    QLabel* m_companyLabel = nullptr;
    QLabel* m_yearLabel = nullptr;
    QPushButton* m_previousYearButton = nullptr;
    QPushButton* m_nextYearButton = nullptr;
    QList<QLabel*> m_statusPanels;
    FleetPanel* m_fleetPanel = nullptr;
    EvaluationPanel* m_evaluationPanel = nullptr;
    int m_year = 0;
    QPoint m_loadCursor;          // the keyboard's cell (column, row) when a year load began
    bool m_reportCurrent = false; // the report table holds the shown year as the grid shows it
    bool m_othersChanged = false; // other users changed the data while a panel was open
    DrillGridEditor* m_drills = nullptr;
    DrillGridView* m_drillGrid = nullptr;    // the grid of m_drills
    std::optional<DrillChange> m_evaluating; // the evaluation field whose questionnaire is open
    std::unique_ptr<ReportControl> m_statusReport;
    Ticker* m_clockTimer = nullptr;
    Ticker* m_newShipsTimer = nullptr;
    Ticker* m_reconnectTimer = nullptr;     // ticks while the server connection is being made again
    bool m_tellingLost = false;             // the "connection lost" box is open
    bool m_reconnectedWhileTelling = false; // and the connection came back meanwhile
    DueDrillsWindow* m_dueDrills = nullptr;
    QShortcut* m_cancelYearChange = nullptr;  // Escape, while another year is read
    Ticker* m_aliveTimer = nullptr;           // asks now and then whether the server still answers
    static constexpr int StatusLinePanel = 3; // says why the window cannot write
};
