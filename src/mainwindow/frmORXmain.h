#pragma once

#include "data/ChangeHistory.h"
#include "data/DatabaseLocation.h"
#include "mainwindow/DrillGridEditor.h"

#include <QUrl>
#include <QWidget>

#include <memory>
#include <optional>

class ChangeWatch;
class CompanyPanel;
class DrillDatabase;
class DueDrillsWindow;
class EvaluationPanel;
class ReportControl;
class ServerProbe;
class FleetPanel;
class DrillDataSource;
class FlexGrid;
class Messages;
class QFrame;
class QLabel;
class QPushButton;
class QTimer;
class Shell;
class ShipTableModel;

// The working window: the yearly drill grid with its frame, buttons, panels and status bar.
class frmORXmain : public QWidget
{
    Q_OBJECT
public:
    static constexpr int FirstDrillRow = DrillGridEditor::FirstDrillRow;

    frmORXmain(QString applicationFolder, Messages& messages, Shell& shell,
               QWidget* parent = nullptr);
    ~frmORXmain() override;

    // Opens the database and fills the window. False when the database cannot be used;
    // the user has been told why, and the program should end.
    bool Form_Load();

    // False when the shown year could not be read; the user has been told, and the grid and
    // LblYear show the year read before (none at the first load).
    bool LoadFlexGrid();
    void UpdateColors();
    // Gives every ship without a drill row in the shown year its row.
    void ProgramNewShip();
    // Refills the report table with the shown year; false when it could not.
    bool PrintDrills();
    void HidePics();
    void LoadPicShade(QWidget* panel, QWidget* shade);
    // The drill record of the grid's current cell; 0 when it shows none.
    qint64 currentDrillId() const;
    // True when the shown year is closed: the user has been told by whom and when, and no
    // edit may begin.
    bool refuseClosedYearEdit();
    // The year the grid shows, as LblYear names it.
    int shownYear() const { return m_year; }

    // Makes the drill of the shown year the grid's current cell, in view and with the focus.
    void goToDrill(qint64 idDrill, int drill);
    const DrillDatabase& database() const { return *m_db; }
    // A role that may only read: editing and the panels' Save are off, and the status line says
    // so, naming the role; reports and exports still work.
    void setReadOnly(bool readOnly, const QString& role);

    // Another database than the usual file in the application folder; before Form_Load.
    void setDatabase(const DatabaseLocation& location) { m_location = location; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildCommandColumn();
    void buildTitleArea();
    void buildStatusBar();
    void showLockWait(const QString& text);
    void buildLinks();
    void buildGrid();
    void buildTimers();
    void addLink(QLabel* link, const QString& target);
    void setYearCaption(int year);
    void onCellStored(bool reportRefilled);
    bool linkEvent(QObject* link, QEvent* event);
    void CmdNextYear_Click();
    void CmdPreviousYear_Click();
    void showYear(int year);
    void buildPanels();
    void CmdShips_Click();
    void cmdSave2_Click();
    void Timer3_Timer();
    void CmdCompany_Click();
    void cmdSave1_Click(const QString& startedFrom, const QString& typed);
    void shipRenamedByOtherUser(qint64 id, const QString& startedFrom, const QString& storedNow,
                                const QString& typed);
    void setCompanyName(const QString& name);
    void showPanel(QWidget* panel, int left, int top);
    void addFloatingPanel(QWidget* panel);
    void panelShownOrHidden(QWidget* panel);
    void focusFirstControl(QWidget* panel);
    void CmdSample_Click();
    void Command4_Click();
    void Command3_Click();
    bool Timer1_Timer();
    void Command2_Click();
    void buildEvaluationPanel();
    void OpenDrillEvaluation(const DrillChange& edit);
    void CmdEvalComp_Click();
    void CmdConfirm_Saved(const QString& total);
    void Timer2_Timer();
    void SubCompany();
    void makeDailyBackup();
    void watchOtherUsers();
    void OtherUsers_Changed();
    void OtherUsers_DrillChanged(qint64 idDrill);
    void connectionLost();
    void TimerReconnect_Timer();
    void TimerAlive_Timer();
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
    void buildDueDrillsButton();
    void showDueDrills();
    void buildHistoryActions();
    void showHistory();
    void showDrillHistory();
    void showShipHistory();
    void openHistory(const QString& subject, const std::optional<QList<ChangeEntry>>& entries);
    void CmdCloseYear_Click();
    void CmdReopenYear_Click();
    void showYearClosure();

    QString m_folder;
    DatabaseLocation m_location;
    Messages& m_messages;
    Shell& m_shell;
    std::unique_ptr<DrillDatabase> m_db;
    std::unique_ptr<DrillDataSource> Data1;
    std::unique_ptr<ShipTableModel> Data2;
    std::unique_ptr<ChangeWatch> m_watch;
    std::unique_ptr<ServerProbe> m_probe; // asks in the background whether the server is back

    QFrame* Picture1 = nullptr;
    QLabel* Label18 = nullptr;
    QLabel* LblCompany = nullptr;
    QLabel* LblYear = nullptr;
    int m_year = 0;
    bool m_reportCurrent = false; // the report table holds the shown year as the grid shows it
    bool m_othersChanged = false; // other users changed the data while a panel was open
    QPushButton* CmdPreviousYear = nullptr;
    QPushButton* CmdNextYear = nullptr;
    DrillGridEditor* m_drills = nullptr;
    FlexGrid* DBGrid1 = nullptr; // the grid of m_drills
    QFrame* StatusBar1 = nullptr;
    QList<QLabel*> m_statusPanels;
    QLabel* lblSite = nullptr;
    QFrame* PicShade = nullptr;
    FleetPanel* PicShips = nullptr;
    CompanyPanel* PicCompany = nullptr;
    EvaluationPanel* PicEvaluation = nullptr;
    std::optional<DrillChange> m_evaluating; // the evaluation field whose questionnaire is open
    std::unique_ptr<ReportControl> Report1;
    QList<QWidget*> m_floatingPanels;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QTimer* Timer3 = nullptr;
    QTimer* TimerReconnect = nullptr; // ticks while the server connection is being made again
    DueDrillsWindow* m_dueDrills = nullptr;
    QTimer* TimerAlive = nullptr;             // asks now and then whether the server still answers
    static constexpr int StatusLinePanel = 3; // says why the window cannot write
};
