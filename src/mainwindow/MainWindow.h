#pragma once

#include "common/Ticker.h"
#include "data/CompanyTable.h"
#include "data/DatabaseLocation.h"
#include "data/DrillChange.h"
#include "data/EvaluationTable.h"

#include <QWidget>

#include <optional>

class DatabaseSession;
class DrillDatabase;
class DrillGridEditor;
class DrillGridView;
class EvaluationPanel;
class Messages;
class PanelHost;
class ReportWindows;
class Shell;
class WindowFrame;
class YearController;

// The working window: the yearly drill grid with its frame, buttons, panels and status bar. It
// builds its parts and wires them: the database session, the year shown, the panels and the
// windows beside the grid each do their own work.
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

    const DrillDatabase& database() const;

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

private:
    void buildGrid();
    void connectFrame();
    void connectPanels();
    void connectSession();
    void connectYears();
    void panelsChanged(bool anyOpen);
    void saveCompanyName(const QString& startedFrom, const QString& typed);
    CompanyTable::Write storeCompanyName(const QString& replaced, const QString& typed);
    void readCompanyName();
    void setCompanyName(const QString& name);
    void openPresentation();
    void showAboutBox();
    void askToEndProgram();
    void tickClock();
    void showHistory();
    void buildEvaluationPanel();
    void openQuestionnaire(const DrillChange& edit);
    static QString openingQuestionnaire();
    void questionnaireOpened(const DrillChange& edit,
                             const std::optional<EvaluationTable::Answers>& answers);
    void saveQuestionnaire(const AnswersChange& answers, const QString& total);
    // A role that may only read: editing and the panels' Save are off; reports and exports
    // still work.
    void setReadOnly(bool readOnly);

    QString m_folder;
    DatabaseLocation m_location;
    QString m_accessCodePage;
    Messages& m_messages;
    Shell& m_shell;
    WindowFrame* m_frame = nullptr;
    DrillGridEditor* m_drills = nullptr;
    DrillGridView* m_drillGrid = nullptr; // the grid of m_drills
    PanelHost* m_panels = nullptr;
    DatabaseSession* m_session = nullptr;
    YearController* m_years = nullptr;
    ReportWindows* m_reports = nullptr;
    EvaluationPanel* m_evaluationPanel = nullptr;
    std::optional<DrillChange> m_evaluating; // the evaluation field whose questionnaire is open
    Ticker* m_clockTimer = nullptr;
};
