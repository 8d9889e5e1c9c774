#include "mainwindow/MainWindow.h"

#include "about/AboutBox.h"
#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/EditConflict.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "common/Shell.h"
#include "common/Twips.h"
#include "data/CompanyNameStore.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"
#include "data/ShipTableModel.h"
#include "evaluation/EvaluationPanel.h"
#include "mainwindow/DatabaseSession.h"
#include "mainwindow/DrillGridEditor.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/FleetPanel.h"
#include "mainwindow/PanelHost.h"
#include "mainwindow/ReportWindows.h"
#include "mainwindow/WindowFrame.h"
#include "mainwindow/YearController.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <utility>

MainWindow::MainWindow(QString applicationFolder, Messages& messages, Shell& shell,
                       Tickers& tickers, QWidget* parent)
    : QWidget(parent), m_folder(std::move(applicationFolder)),
      m_location(DatabaseLocation::file(
          AppFolder::file(m_folder, QString::fromLatin1(AppFolder::DatabaseFileName)))),
      m_messages(messages), m_shell(shell)
{
    using namespace std::chrono_literals;
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(ProgramTitle + u' ');
    resize(Twips::toPx(15105), Twips::toPx(8895));
    m_clockTimer = tickers.make(Ticker::Step::Clock, 60s, Ticker::Repeat::Always, this);
    connect(m_clockTimer, &Ticker::ticked, this, &MainWindow::tickClock);
    m_frame = new WindowFrame(*this, m_shell);
    buildGrid();
    m_frame->holdGrid(m_drillGrid);
    m_panels = new PanelHost(*this);
    m_session = new DatabaseSession(m_messages, tickers, this);
    m_years = new YearController(*m_drills, m_messages, tickers, *this);
    m_reports = new ReportWindows(*this, m_folder, m_messages, *m_session, *m_drills, *m_panels,
                                  *m_years, *m_frame);
    connectFrame();
    connectPanels();
    connectSession();
    connectYears();
}

MainWindow::~MainWindow()
{
    // The grid, its editor and the panels read the year's drills and the ships until they are
    // gone; they go first, while the data they read is still there, and the session last.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    delete m_reports;
    delete m_years;
    delete m_session;
}

const DrillDatabase& MainWindow::database() const
{
    return m_session->database();
}

void MainWindow::buildGrid()
{
    m_drills = new DrillGridEditor(m_messages, this);
    m_drillGrid = m_drills->grid();
    connect(m_drills, &DrillGridEditor::evaluationRequested, this, &MainWindow::openQuestionnaire);
    connect(m_drills, &DrillGridEditor::waitingForLock, m_frame, &WindowFrame::showLockWait);
}

void MainWindow::connectFrame()
{
    const auto onClick = [this](void (WindowFrame::*clicked)(), auto* receiver, auto handler) {
        connect(m_frame, clicked, receiver, handler);
    };
    onClick(&WindowFrame::printPreviewClicked, m_reports, &ReportWindows::showStatusReport);
    onClick(&WindowFrame::presentationClicked, this, &MainWindow::openPresentation);
    onClick(&WindowFrame::aboutClicked, this, &MainWindow::showAboutBox);
    onClick(&WindowFrame::endProgramClicked, this, &MainWindow::askToEndProgram);
    onClick(&WindowFrame::previousYearClicked, m_years, [this] { m_years->step(-1); });
    onClick(&WindowFrame::nextYearClicked, m_years, [this] { m_years->step(+1); });
    onClick(&WindowFrame::dueDrillsClicked, m_reports, &ReportWindows::showDueDrills);
    onClick(&WindowFrame::fleetClicked, m_panels, &PanelHost::openFleet);
    onClick(&WindowFrame::companyClicked, m_panels,
            [this] { m_panels->openCompany(m_frame->companyName()); });
    // A blank form belongs to no drill.
    onClick(&WindowFrame::evaluationFormClicked, this, [this] {
        m_evaluating.reset();
        m_panels->openBlankForm();
    });
}

// The panels over the grid: the fleet's Save gives new ships their rows, the company's name is
// stored here.
void MainWindow::connectPanels()
{
    connect(m_panels, &PanelHost::panelsChanged, this, &MainWindow::panelsChanged);
    connect(m_panels, &PanelHost::fleetSaved, m_years, &YearController::fleetSaved);
    connect(m_panels, &PanelHost::companySaveRequested, this, &MainWindow::saveCompanyName);
}

void MainWindow::connectSession()
{
    connect(m_session, &DatabaseSession::othersChanged, this, [this] {
        readCompanyName();
        m_drills->reread();
    });
    connect(m_session, &DatabaseSession::accessChanged, this, &MainWindow::setReadOnly);
    connect(m_session, &DatabaseSession::statusLineChanged, m_frame, &WindowFrame::showStatusLine);
    connect(m_session, &DatabaseSession::waitShown, m_frame, &WindowFrame::showLockWait);
    connect(m_drills, &DrillGridEditor::connectionLost, m_session,
            [this] { m_session->editLost(m_panels->questionnaireOpen()); });
    connect(m_reports, &ReportWindows::historyRequested, this, &MainWindow::showHistory);
    connect(m_reports, &ReportWindows::waitShown, m_frame, &WindowFrame::showLockWait);
}

void MainWindow::connectYears()
{
    connect(m_years, &YearController::captionChanged, m_frame, &WindowFrame::showYear);
    connect(m_years, &YearController::stepsEnabled, m_frame, &WindowFrame::enableYearSteps);
    connect(m_years, &YearController::waitShown, m_frame, &WindowFrame::showLockWait);
    m_frame->addYearActions(m_years->actions());
}

bool MainWindow::fillWindow()
{
    if (!m_session->open(m_location, m_accessCodePage))
        return false;
    m_frame->showDatabaseInUse(m_session->database().location().display());
    m_panels->fleet()->setShips(&m_session->ships());
    m_drills->bind(m_session->yearDrills());
    m_years->attach(m_session->yearDrills(), m_session->ships());
    m_reports->attach();
    if (!m_years->loadCurrentYear()) {
        QGuiApplication::restoreOverrideCursor();
        return false;
    }
    tickClock();
    buildEvaluationPanel();
    readCompanyName();
    emit opened();
    m_session->watch();
    m_drills->focusFirstDrillCell();
    m_clockTimer->start();
    QGuiApplication::restoreOverrideCursor();
    return true;
}

void MainWindow::readCompanyName()
{
    if (const auto name = m_session->companyName().name())
        setCompanyName(*name);
}

void MainWindow::setCompanyName(const QString& name)
{
    m_frame->showCompanyName(name);
    m_evaluationPanel->setCompanyName(name);
}

void MainWindow::tickClock()
{
    m_frame->showClock(Clock::now());
    m_drills->recolour(); // past midnight, other drills are due
}

void MainWindow::openPresentation()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_panels->hideAll();
    // A missing file or viewer shows nothing: the guidance is optional.
    const QString presentation =
        AppFolder::programFile(m_folder, QStringLiteral("HBQORXDRILLGUIDANCE.pps"));
    if (QFileInfo::exists(presentation))
        m_shell.open(QUrl::fromLocalFile(presentation));
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::showAboutBox()
{
    m_panels->hideAll();
    AboutBox about(m_messages, m_shell, this);
    about.showDataFile(m_session->database().location().display());
    about.exec();
}

void MainWindow::askToEndProgram()
{
    m_drills->storeEdit(); // one that cannot be stored stays in its box, and the user was told
    if (m_messages.askYesNo(QStringLiteral("EXIT"),
                            QStringLiteral("Do you really want to exit P R O G R A M ?"))) {
        // Everything is stored by now: the windows go at the answer, not after the clean-up.
        for (QWidget* window : QApplication::topLevelWidgets())
            window->hide();
        QCoreApplication::exit(0);
    }
}

void MainWindow::fitToScreen()
{
    m_frame->fitToScreen();
}

void MainWindow::resizeEvent(QResizeEvent* event)
{
    m_frame->fit(size());
    QWidget::resizeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // The window is only ever left through the exit question.
    event->ignore();
    askToEndProgram();
}

// The one key serves the fleet while its panel is open, the drill of an open questionnaire,
// and the drill grid otherwise; over any other panel it says why it shows nothing.
void MainWindow::showHistory()
{
    if (m_panels->fleetOpen())
        m_reports->showShipHistory();
    else if (m_panels->questionnaireOpen())
        m_reports->showDrillHistory(
            m_evaluating ? m_session->yearDrills().recordOf(m_evaluating->idDrill) : nullptr);
    else if (m_drillGrid->isEnabled())
        m_reports->showDrillHistory(m_drills->currentRecord());
    else
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Close the open panel to see the history of changes."));
}

// The questionnaire panel over the main window: opened from an evaluation cell or as the
// blank "Evaluation Form"; its saved total goes into the drill like a typed value.

void MainWindow::buildEvaluationPanel()
{
    m_evaluationPanel = new EvaluationPanel(m_session->database(), m_messages, m_folder, this);
    m_evaluationPanel->printThrough(m_session->worker());
    connect(m_evaluationPanel, &EvaluationPanel::waitShown, m_frame, &WindowFrame::showLockWait);
    m_panels->addQuestionnaire(m_evaluationPanel);
    connect(m_evaluationPanel, &EvaluationPanel::saveRequested, this,
            &MainWindow::saveQuestionnaire);
}

QString MainWindow::openingQuestionnaire()
{
    return tr("Opening the questionnaire ...");
}

// The answers are opened on the worker: under another user's lock the window paints meanwhile,
// and keys and clicks follow the opening, as they follow a store.
void MainWindow::openQuestionnaire(const DrillChange& edit)
{
    DrillDataSource& yearDrills = m_session->yearDrills();
    if (!yearDrills.recordOf(edit.idDrill) || DrillRecord::drillOf(edit.field) < 0)
        return;
    m_frame->showLockWait(openingQuestionnaire());
    // The panel picks the drill by the field's column in the drill query, counted from 1.
    yearDrills.openAnswers(edit.idDrill, EvaluationTable::drillOfColumn(edit.field + 1),
                           yearDrills.closedYear().has_value(), [this, edit](const auto& answers) {
                               questionnaireOpened(edit, answers);
                           });
}

void MainWindow::questionnaireOpened(const DrillChange& edit,
                                     const std::optional<EvaluationTable::Answers>& answers)
{
    m_frame->endLockWait(openingQuestionnaire());
    const DrillDataSource& yearDrills = m_session->yearDrills();
    const DrillRecord* record = yearDrills.recordOf(edit.idDrill);
    if (!record)
        return; // gone meanwhile, with its year or deleted by another user
    const Drill& evaluated = record->drills.at(DrillRecord::drillOf(edit.field));
    m_panels->placeQuestionnaire();
    const bool opened = m_evaluationPanel->openForDrill(
        record->idDrill, record->shipName, evaluated.done.shown(), evaluated.master, edit.field + 1,
        answers, yearDrills.closedYear().has_value());
    if (!opened)
        return; // the panel has told the user why
    m_evaluating = edit;
    m_panels->showPlaced(m_evaluationPanel);
}

// The answers and their total are one change of the evaluated drill alone; the panel stays
// open with them while they could not be stored.
void MainWindow::saveQuestionnaire(const AnswersChange& answers, const QString& total)
{
    if (!m_evaluating)
        return;
    DrillChange change = *m_evaluating;
    change.value = total;
    change.answers = answers;
    if (m_drills->storeValue(change) != DrillGridEditor::Stored::Refused)
        m_evaluationPanel->finish();
}

// An open panel lies in front of the grid: the grid takes no clicks, keys or wheel until the
// panel is closed, so nothing typed or clicked there can reach a cell the panel did not mean.
void MainWindow::panelsChanged(bool anyOpen)
{
    const bool wasBlocked = !m_drillGrid->isEnabled();
    m_drillGrid->setEnabled(!anyOpen);
    if (wasBlocked && !anyOpen)
        m_drillGrid->setFocus(Qt::OtherFocusReason);
    m_session->setPanelsOpen(anyOpen);
}

// The name replaces the one the panel was opened with; another user's newer name is replaced
// only when the user says so.
void MainWindow::saveCompanyName(const QString& startedFrom, const QString& typed)
{
    QString replaced = startedFrom;
    while (true) {
        const CompanyTable::Write write = storeCompanyName(replaced, typed);
        using enum CompanyTable::Outcome;
        if (write.outcome == Failed || write.outcome == MetLock) {
            // The panel stays open with the text, so nothing typed is lost.
            if (m_session->tellIfConnectionLost(
                    tr("The company name was not stored: it is still in its box.")))
                return;
            if (write.outcome == MetLock) {
                m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                                tr("Another user is using the database, so the company name "
                                   "could not be stored. What you typed, \"%1\", is still in "
                                   "its box: press Save to try again.")
                                    .arg(typed));
                return;
            }
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The company name could not be stored. The database refused the "
                               "change; the name shown is unchanged."));
            return;
        }
        if (write.outcome == Stored)
            break;
        if (!m_messages.askToReplace(ProgramTitle, editConflictQuestion(tr("the company name"),
                                                                        write.storedNow, typed))) {
            setCompanyName(write.storedNow);
            m_panels->hideAll();
            return;
        }
        replaced = write.storedNow;
    }
    setCompanyName(typed);
    m_panels->hideAll();
}

// The status line tells of another user's lock while the name waits for it.
CompanyTable::Write MainWindow::storeCompanyName(const QString& replaced, const QString& typed)
{
    bool waited = false;
    const CompanyTable::Write write = m_session->companyName().replaceName(replaced, typed, [&] {
        waited = true;
        m_session->showLockWait(tr("the company name"));
    });
    if (waited)
        m_session->showLockWait({});
    return write;
}

void MainWindow::setReadOnly(bool readOnly)
{
    m_panels->setReadOnly(readOnly);
    m_drills->setReadOnly(readOnly);
}
