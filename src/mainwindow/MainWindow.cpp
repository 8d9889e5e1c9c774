#include "mainwindow/MainWindow.h"

#include "about/AboutBox.h"
#include "app/AccessOffer.h"
#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/EditConflict.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "common/Shell.h"
#include "common/Twips.h"
#include "data/Backups.h"
#include "data/ChangeHistory.h"
#include "data/CompanyTable.h"
#include "data/DatabaseWorker.h"
#include "data/Dialect.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"
#include "data/PrintDrillsTable.h"
#include "data/ServerProbe.h"
#include "data/ShipTableModel.h"
#include "data/YearClosure.h"
#include "due/DueDrillsWindow.h"
#include "evaluation/EvaluationPanel.h"
#include "history/HistoryWindow.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/DrillYearModel.h"
#include "mainwindow/FleetPanel.h"
#include "mainwindow/PanelHost.h"
#include "mainwindow/WindowFrame.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"

#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <algorithm>
#include <utility>

namespace {

constexpr int FirstYear = 2000;

QString yearCaption(int year)
{
    return QStringLiteral("Year - %1").arg(year);
}

using YearLoad = DrillDataSource::Load;

// What the user is told when a year could not be loaded; shownYear is the year on screen.
QString loadFailureText(YearLoad load, int year, int shownYear)
{
    if (load == YearLoad::RowsNotMade)
        return MainWindow::tr("The drill rows of %1 could not be created; nothing was stored.")
            .arg(year);
    const QString outcome = shownYear == 0
                                ? MainWindow::tr("The program will now end.")
                                : MainWindow::tr("The grid shows %1 again.").arg(shownYear);
    return MainWindow::tr("The drills of %1 could not be read. %2").arg(year).arg(outcome);
}

QAction* windowAction(QWidget* owner, const char* name, const QString& text,
                      const QKeySequence& key)
{
    auto* action = new QAction(text, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(key);
    action->setShortcutContext(Qt::WindowShortcut);
    owner->addAction(action);
    return action;
}

} // namespace

MainWindow::MainWindow(QString applicationFolder, Messages& messages, Shell& shell,
                       Tickers& tickers, QWidget* parent)
    : QWidget(parent), m_folder(std::move(applicationFolder)),
      m_location(DatabaseLocation::file(
          AppFolder::file(m_folder, QString::fromLatin1(AppFolder::DatabaseFileName)))),
      m_messages(messages), m_shell(shell)
{
    setObjectName(QStringLiteral("MainWindow"));
    setWindowTitle(ProgramTitle + u' ');
    resize(Twips::toPx(15105), Twips::toPx(8895));
    buildTimers(tickers);
    buildFrame();
    buildPanels();
    buildHistoryActions();
}

MainWindow::~MainWindow()
{
    // The grid, its editor and the panels read the year's drills and the ships until they are
    // gone; they go first, while the data they read is still there.
    qDeleteAll(findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly));
    if (m_yearDrills && m_yearDrills->isLoading())
        QGuiApplication::restoreOverrideCursor(); // the busy cursor of a year still on its way
}

void MainWindow::buildTimers(Tickers& tickers)
{
    using namespace std::chrono_literals;
    using T = Ticker;
    const auto make = [&](T::Step step, std::chrono::milliseconds interval, T::Repeat repeat,
                          void (MainWindow::*tick)()) {
        Ticker* ticker = tickers.make(step, interval, repeat, this);
        connect(ticker, &Ticker::ticked, this, tick);
        return ticker;
    };
    m_clockTimer = make(T::Step::Clock, 60s, T::Repeat::Always, &MainWindow::tickClock);
    m_newShipsTimer =
        make(T::Step::NewShips, 100ms, T::Repeat::Once, &MainWindow::addNewShipsAndReload);
    m_reconnectTimer = make(T::Step::Reconnect, 2s, T::Repeat::Always, &MainWindow::tryReconnect);
    m_aliveTimer = make(T::Step::ServerAlive, 5s, T::Repeat::Always, &MainWindow::checkServerAlive);
}

// The frame's parts that the year and the session work on are kept at hand.
void MainWindow::buildFrame()
{
    m_frame = new WindowFrame(*this, m_shell);
    m_companyLabel = m_frame->companyLabel();
    m_yearLabel = m_frame->yearLabel();
    m_previousYearButton = m_frame->previousYearButton();
    m_nextYearButton = m_frame->nextYearButton();
    buildGrid();
    m_frame->holdGrid(m_drillGrid);
    m_statusPanels = m_frame->statusPanels();
    const auto onClick = [this](void (WindowFrame::*clicked)(), void (MainWindow::*handler)()) {
        connect(m_frame, clicked, this, handler);
    };
    onClick(&WindowFrame::printPreviewClicked, &MainWindow::showStatusReport);
    onClick(&WindowFrame::presentationClicked, &MainWindow::openPresentation);
    onClick(&WindowFrame::aboutClicked, &MainWindow::showAboutBox);
    onClick(&WindowFrame::endProgramClicked, &MainWindow::askToEndProgram);
    onClick(&WindowFrame::previousYearClicked, &MainWindow::showPreviousYear);
    onClick(&WindowFrame::nextYearClicked, &MainWindow::showNextYear);
    onClick(&WindowFrame::dueDrillsClicked, &MainWindow::showDueDrills);
}

bool MainWindow::fillWindow()
{
    const auto working = [](bool on) {
        on ? QGuiApplication::setOverrideCursor(Qt::WaitCursor)
           : QGuiApplication::restoreOverrideCursor();
    };
    if (!AccessOffer::settle(m_location, m_accessCodePage, m_messages, Clock::now(), working))
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_db = std::make_unique<DrillDatabase>(m_location);
    const QString problem = m_db->open();
    if (!problem.isEmpty()) {
        QGuiApplication::restoreOverrideCursor();
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        problem + newestBackupSentence() +
                            QStringLiteral("\n\nThe program will now end."));
        return false;
    }
    if (!m_db->notice().isEmpty())
        m_messages.tell(Messages::Icon::Information, ProgramTitle, m_db->notice());
    makeDailyBackup();
    showDatabaseInUse();
    m_ships = std::make_unique<ShipTableModel>(m_db->connection());
    m_ships->refresh();
    m_fleetPanel->setShips(m_ships.get());
    m_ships->setDuplicateCheck([this](const QString& name) {
        return m_messages.askYesNo(ProgramTitle,
                                   tr("There is already a ship named %1. Add another?").arg(name));
    });
    connect(m_ships.get(), &ShipTableModel::nameTooLong, this, [this] {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("A ship's name has at most %1 characters, so that every report prints "
                           "it whole. The name was not changed.")
                            .arg(ShipTableModel::MaxNameLength));
    });
    connect(m_ships.get(), &ShipTableModel::nameRequired, this, [this] {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Every ship needs a name. The name was not changed."));
    });
    connect(m_ships.get(), &ShipTableModel::nameChangedByOtherUser, this,
            &MainWindow::shipRenamedByOtherUser);
    connect(m_ships.get(), &ShipTableModel::writeFailed, this, [this](const QString& reason) {
        if (!tellIfConnectionLost(tr("The change to the fleet was not stored.")))
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The fleet could not be changed: %1").arg(reason));
    });
    m_worker = new DatabaseWorker(m_location, std::chrono::seconds(5), this);
    if (const QString problem = m_worker->open(); !problem.isEmpty()) {
        QGuiApplication::restoreOverrideCursor();
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        problem + QStringLiteral("\n\nThe program will now end."));
        return false;
    }
    m_yearDrills = std::make_unique<DrillDataSource>(*m_worker);
    connect(m_yearDrills.get(), &DrillDataSource::loaded, this, &MainWindow::yearLoaded);
    m_drills->bind(*m_yearDrills);
    m_drills->setEditGuard([this] { return refuseClosedYearEdit(); });
    // The kept closure may be older than the refusal: another program may have closed the year.
    m_drills->setClosedMeanwhileCheck([this] {
        m_yearDrills->refreshClosure();
        showYearClosure();
        return refuseClosedYearEdit();
    });
    // Runs on the worker's thread, in the transaction of the edit; the window waits meanwhile.
    if (PrintDrillsTable::followsEdits(*m_db))
        m_drills->setAlongside([this] {
            return PrintDrillsTable::refillWithin(m_worker->database(), shownYear(),
                                                  m_companyLabel->text(), Clock::now());
        });
    connect(m_yearDrills.get(), &DrillDataSource::refreshed, this, &MainWindow::showYearClosure);
    setYearCaption(Clock::today().year());
    if (!loadYear()) {
        QGuiApplication::restoreOverrideCursor();
        return false;
    }
    tickClock();
    buildEvaluationPanel();
    readCompanyName();
    emit opened();
    watchOtherUsers();
    showAccess();
    m_drills->focusFirstDrillCell();
    m_clockTimer->start();
    QGuiApplication::restoreOverrideCursor();
    return true;
}

void MainWindow::showDatabaseInUse()
{
    m_frame->showDatabaseInUse(m_db->location().display());
}

// A server keeps its own backups; the program copies only a file.
void MainWindow::makeDailyBackup()
{
    if (m_db->dialect().keepsOwnBackups())
        return;
    // Only a file that passed its checks is copied, and before anything is written to it.
    const QString backupFailure = Backups::makeDailyOrSayWhy(m_db->filePath());
    if (!backupFailure.isEmpty())
        m_messages.tell(Messages::Icon::Critical, ProgramTitle, backupFailure);
}

QString MainWindow::newestBackupSentence() const
{
    if (m_db->dialect().keepsOwnBackups() || m_db->problem() != DrillDatabase::Problem::Damaged)
        return {};
    return QStringLiteral("\n\n") + Backups::restoreAdvice(m_db->filePath());
}

void MainWindow::readCompanyName()
{
    if (const auto name = CompanyTable(*m_db).name())
        setCompanyName(*name);
}

void MainWindow::setCompanyName(const QString& name)
{
    m_companyLabel->setText(name);
    m_evaluationPanel->setCompanyName(name);
}

// Before a report: the open edit is stored, and the report table holds the year as shown.
bool MainWindow::storePendingEdit()
{
    hidePanels();
    m_drills->storeEdit();
    return m_reportCurrent || !PrintDrillsTable::followsEdits(*m_db) || refillReportTable();
}

void MainWindow::hidePanels()
{
    m_panels->hideAll();
}

void MainWindow::tickClock()
{
    m_frame->showClock(Clock::now());
    m_drills->recolour(); // past midnight, other drills are due
}

void MainWindow::openPresentation()
{
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    hidePanels();
    // A missing file or viewer shows nothing: the guidance is optional.
    const QString presentation =
        AppFolder::programFile(m_folder, QStringLiteral("HBQORXDRILLGUIDANCE.pps"));
    if (QFileInfo::exists(presentation))
        m_shell.open(QUrl::fromLocalFile(presentation));
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::showAboutBox()
{
    hidePanels();
    AboutBox about(m_messages, m_shell, this);
    about.showDataFile(m_db->location().display());
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

// The Menu key and Shift+F10 open a grid's menu at its current cell, where the user works; the
// menu Qt opens for the key lies at the grid's corner, over its caption.
void MainWindow::openMenuAtCell(QAbstractItemView* grid)
{
    const QRect cell = grid->visualRect(grid->currentIndex());
    const QPoint at = cell.isValid() ? cell.center() : QPoint();
    QMenu::exec(grid->actions(), grid->viewport()->mapToGlobal(at), nullptr, grid);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        if (auto* grid = qobject_cast<QAbstractItemView*>(watched)) {
            openMenuAtCell(grid);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// The drill status grid of the main window: loading a year into it, and the year buttons.

void MainWindow::buildGrid()
{
    m_drills = new DrillGridEditor(m_messages, this);
    m_drillGrid = m_drills->grid();
    connect(m_drills, &DrillGridEditor::cellStored, this, &MainWindow::onCellStored);
    connect(m_drills, &DrillGridEditor::evaluationRequested, this, &MainWindow::openQuestionnaire);
    connect(m_drills, &DrillGridEditor::waitingForLock, m_frame, &WindowFrame::showLockWait);
    connect(m_drills, &DrillGridEditor::yearStepRequested, this, [this](int step) {
        (step > 0 ? m_nextYearButton : m_previousYearButton)
            ->click(); // a disabled button stays put
    });
}

void MainWindow::setYearCaption(int year)
{
    m_year = year;
    m_yearLabel->setText(yearCaption(year));
}

// Reads the shown year again, waiting for it with the window painting meanwhile.
bool MainWindow::loadYear()
{
    QEventLoop loaded;
    bool read = false;
    connect(m_yearDrills.get(), &DrillDataSource::loaded, &loaded,
            [&](int, DrillDataSource::Load load) {
                read = load != YearLoad::NotRead;
                loaded.quit();
            });
    startYearLoad(shownYear());
    if (m_yearDrills->isLoading())
        loaded.exec(QEventLoop::ExcludeUserInputEvents);
    return read;
}

// The year is read in the background: the grid shows the year it has until the new one has
// arrived, and Escape keeps it when another user's lock holds the read up.
void MainWindow::startYearLoad(int year)
{
    m_drills->endEdit();
    const QModelIndex cursor = m_drillGrid->currentIndex();
    m_loadCursor = QPoint(cursor.column(), cursor.row());
    if (!m_cancelYearChange) {
        m_cancelYearChange = new QShortcut(QKeySequence(Qt::Key_Escape), this);
        connect(m_cancelYearChange, &QShortcut::activated, this, &MainWindow::cancelYearChange);
    }
    if (!m_yearDrills->isLoading())
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool change = year != shownYear();
    m_cancelYearChange->setEnabled(change);
    enableYearSteps(year);
    if (change)
        m_frame->showLockWait(
            tr("Reading the drills of %1 ... (Escape keeps %2)").arg(year).arg(shownYear()));
    m_yearDrills->load(year, m_ships->hasShips());
}

void MainWindow::cancelYearChange()
{
    if (!m_yearDrills->isLoading())
        return;
    m_yearDrills->cancelLoad();
    endYearLoad();
}

void MainWindow::enableYearSteps(int year)
{
    m_previousYearButton->setEnabled(year != FirstYear);
    m_nextYearButton->setEnabled(year != Clock::today().year());
}

void MainWindow::endYearLoad()
{
    enableYearSteps(shownYear());
    m_cancelYearChange->setEnabled(false);
    m_frame->showLockWait({});
    QGuiApplication::restoreOverrideCursor();
}

void MainWindow::yearLoaded(int year, DrillDataSource::Load load)
{
    endYearLoad();
    // The keyboard's cell keeps its place in the new rows, as far as they reach.
    const int rows = m_drills->model()->rowCount();
    if (m_loadCursor.y() >= 0 && rows > 0)
        m_drillGrid->setCurrentIndex(
            m_drills->model()->index(qMin(m_loadCursor.y(), rows - 1), m_loadCursor.x()));
    // A year that could not be read is never shown as an empty one: the grid keeps the year
    // it showed, and so does the label.
    const int kept = m_yearDrills->recordsYear();
    setYearCaption(load == YearLoad::NotRead && kept != 0 ? kept : year);
    showYearClosure();
    enableYearSteps(shownYear());
    m_reportCurrent = false;
    if (load != YearLoad::Read) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        m_yearDrills->failure().sentence() + QStringLiteral(". ") +
                            loadFailureText(load, year, kept));
    }
}

void MainWindow::onCellStored(bool reportRefilled)
{
    m_reportCurrent = reportRefilled;
}

// A step goes on from the year on its way, as the buttons show.
void MainWindow::showNextYear()
{
    showYear(m_yearDrills->year() + 1);
}

void MainWindow::showPreviousYear()
{
    showYear(m_yearDrills->year() - 1);
}

void MainWindow::showYear(int year)
{
    // What was typed for this year is stored in it first, or stays in its box.
    if (m_drills->storeEdit() == DrillGridEditor::Stored::Refused)
        return;
    startYearLoad(year);
}

// The questionnaire panel over the main window: opened from an evaluation cell or as the
// blank "Evaluation Form"; its saved total goes into the drill like a typed value.

void MainWindow::buildEvaluationPanel()
{
    m_evaluationPanel = new EvaluationPanel(*m_db, m_messages, m_folder, this);
    m_panels->addQuestionnaire(m_evaluationPanel);
    connect(m_evaluationPanel, &EvaluationPanel::saveRequested, this,
            &MainWindow::saveQuestionnaire);
    // A blank form belongs to no drill.
    connect(m_frame, &WindowFrame::evaluationFormClicked, this, [this] {
        m_evaluating.reset();
        m_panels->openBlankForm();
    });
}

void MainWindow::openQuestionnaire(const DrillChange& edit)
{
    m_panels->placeQuestionnaire();
    const DrillRecord* record = m_yearDrills->recordOf(edit.idDrill);
    const int drill = DrillRecord::drillOf(edit.field);
    if (!record || drill < 0)
        return;
    const Drill& evaluated = record->drills.at(drill);
    const bool yearClosed = m_yearDrills->closedYear().has_value();
    // The panel picks the drill by the field's column in the drill query, counted from 1.
    const bool opened =
        m_evaluationPanel->openForDrill(record->idDrill, record->shipName, evaluated.done.shown(),
                                        evaluated.master, edit.field + 1, yearClosed);
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

// The panels over the grid: the fleet's Save gives new ships their rows, the company's name is
// stored here.

void MainWindow::buildPanels()
{
    m_panels = new PanelHost(*this);
    m_fleetPanel = m_panels->fleet();
    connect(m_panels, &PanelHost::panelsChanged, this, &MainWindow::panelsChanged);
    connect(m_panels, &PanelHost::fleetSaved, this, [this] {
        addDrillRowsForNewShips();
        m_newShipsTimer->start();
    });
    connect(m_panels, &PanelHost::companySaveRequested, this, &MainWindow::saveCompanyName);
    connect(m_frame, &WindowFrame::fleetClicked, m_panels, &PanelHost::openFleet);
    connect(m_frame, &WindowFrame::companyClicked, this,
            [this] { m_panels->openCompany(m_companyLabel->text()); });
}

// An open panel lies in front of the grid: the grid takes no clicks, keys or wheel until the
// panel is closed, so nothing typed or clicked there can reach a cell the panel did not mean.
void MainWindow::panelsChanged(bool anyOpen)
{
    const bool wasBlocked = !m_drillGrid->isEnabled();
    m_drillGrid->setEnabled(!anyOpen);
    if (wasBlocked && !anyOpen)
        m_drillGrid->setFocus(Qt::OtherFocusReason);
    // After the step that closed the panel (a saved total is written to its row first).
    if (!anyOpen && m_othersChanged)
        QTimer::singleShot(0, this, &MainWindow::otherUsersChanged);
}

void MainWindow::addNewShipsAndReload()
{
    addDrillRowsForNewShips();
    loadYear();
    m_newShipsTimer->stop();
}

void MainWindow::addDrillRowsForNewShips()
{
    m_yearDrills->setYear(shownYear());
    m_yearDrills->addMissingRecords(m_ships->ships());
    m_drills->endEdit(); // the grid is rebuilt: a pending edit has no cell left to go to
}

void MainWindow::shipRenamedByOtherUser(qint64 id, const QString& startedFrom,
                                        const QString& storedNow, const QString& typed)
{
    const QString what = tr("the name of the ship \"%1\"").arg(startedFrom);
    if (m_messages.askToReplace(ProgramTitle, editConflictQuestion(what, storedNow, typed)))
        m_ships->overwriteName(id, storedNow, typed);
}

// The name replaces the one the panel was opened with; another user's newer name is replaced
// only when the user says so.
void MainWindow::saveCompanyName(const QString& startedFrom, const QString& typed)
{
    CompanyTable company(*m_db);
    QString replaced = startedFrom;
    while (true) {
        const CompanyTable::Write write = company.replaceName(replaced, typed);
        if (write.outcome == CompanyTable::Outcome::Failed) {
            // The panel stays open with the text, so nothing typed is lost.
            if (tellIfConnectionLost(
                    tr("The company name was not stored: it is still in its box.")))
                return;
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The company name could not be stored. The database refused the "
                               "change; the name shown is unchanged."));
            return;
        }
        if (write.outcome == CompanyTable::Outcome::Stored)
            break;
        if (!m_messages.askToReplace(ProgramTitle, editConflictQuestion(tr("the company name"),
                                                                        write.storedNow, typed))) {
            setCompanyName(write.storedNow);
            hidePanels();
            return;
        }
        replaced = write.storedNow;
    }
    setCompanyName(typed);
    hidePanels();
}

// The drill status report of the shown year: its table follows every edit (on a server it
// is filled for the report), and "Print Preview" shows it.

bool MainWindow::refillReportTable()
{
    hidePanels();
    m_reportCurrent =
        PrintDrillsTable::refill(*m_db, shownYear(), m_companyLabel->text(), Clock::now());
    return m_reportCurrent;
}

void MainWindow::showStatusReport()
{
    // The report must show exactly what the grid shows, with this moment's stamp.
    m_reportCurrent = false;
    if (!storePendingEdit() || !(m_reportCurrent || refillReportTable())) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The drill status report could not be prepared: the database "
                           "refused to fill its report table. Nothing was printed."));
        return;
    }
    if (!m_statusReport)
        m_statusReport = std::make_unique<ReportControl>(m_messages, this);
    const auto& closed = m_yearDrills->closedYear();
    DrillStatusReport::prepare(*m_statusReport, shownYear(), m_companyLabel->text(),
                               closed ? closed->closedOn() : QString());
    m_statusReport->setDatabase(*m_db);
    m_statusReport->setReportFileName(
        AppFolder::programFile(m_folder, QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    m_statusReport->setDestination(ReportControl::Destination::Window);
    m_statusReport->run();
}

void MainWindow::showDueDrills()
{
    if (!m_dueDrills) {
        m_dueDrills = new DueDrillsWindow(*m_worker, m_messages, this);
        connect(m_dueDrills, &DueDrillsWindow::drillChosen, this, &MainWindow::goToDrill);
        // The list follows the grid: a new year, other users' changes, the user's own edits.
        const auto follow = [this] {
            if (m_dueDrills->isVisible())
                m_dueDrills->showYear(m_yearDrills->recordsYear(), m_companyLabel->text());
        };
        connect(m_yearDrills.get(), &DrillDataSource::refreshed, m_dueDrills, follow);
        connect(m_drills, &DrillGridEditor::cellStored, m_dueDrills, follow);
    }
    m_dueDrills->showYear(shownYear(), m_companyLabel->text());
    m_dueDrills->show();
    m_dueDrills->raise();
    m_dueDrills->activateWindow();
}

void MainWindow::goToDrill(qint64 idDrill, int drill)
{
    if (!m_yearDrills->recordOf(idDrill))
        return; // no longer in the shown year
    hidePanels();
    activateWindow();
    m_drills->goToField(idDrill, DrillColumns::firstOfDrill(drill));
}

// The history of changes and the closing of years, in the main window: Ctrl+H and "History..."
// on a drill cell or a ship of the fleet; "Close Year..." and "Reopen Year..." on the year's
// caption and by key.

void MainWindow::buildHistoryActions()
{
    QAction* history = windowAction(this, "ActHistory", tr("History..."), Qt::CTRL | Qt::Key_H);
    connect(history, &QAction::triggered, this, &MainWindow::showHistory);
    for (QAbstractItemView* grid :
         QList<QAbstractItemView*>{m_drillGrid, m_panels->fleet()->shipList()}) {
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
        grid->addAction(history);
        grid->installEventFilter(this);
        auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), grid, nullptr, nullptr,
                                      Qt::WidgetWithChildrenShortcut);
        connect(menuKey, &QShortcut::activated, this, [this, grid] { openMenuAtCell(grid); });
    }

    QAction* close =
        windowAction(this, "ActCloseYear", tr("Close Year..."), Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    QAction* reopen =
        windowAction(this, "ActReopenYear", tr("Reopen Year..."), Qt::CTRL | Qt::SHIFT | Qt::Key_U);
    connect(close, &QAction::triggered, this, &MainWindow::closeShownYear);
    connect(reopen, &QAction::triggered, this, &MainWindow::reopenShownYear);
    m_yearLabel->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_yearLabel->addActions({close, reopen});
}

// The one key serves the fleet while its panel is open, the drill of an open questionnaire,
// and the drill grid otherwise; over any other panel it says why it shows nothing.
void MainWindow::showHistory()
{
    if (m_panels->fleetOpen())
        showShipHistory();
    else if (m_panels->questionnaireOpen())
        showDrillHistory(m_evaluating ? m_yearDrills->recordOf(m_evaluating->idDrill) : nullptr);
    else if (m_drillGrid->isEnabled())
        showDrillHistory(m_drills->currentRecord());
    else
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Close the open panel to see the history of changes."));
}

void MainWindow::openHistory(const QString& subject, HistoryWindow::Reader reader)
{
    auto* window =
        new HistoryWindow(subject, m_companyLabel->text(), std::move(reader), m_messages, this);
    connect(window, &HistoryWindow::unreadable, this, [this, window] {
        window->close();
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The history of changes could not be read from the database."));
    });
    window->readThrough(*m_worker);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlag(Qt::Window);
    window->show();
    window->activateWindow();
}

void MainWindow::showDrillHistory(const DrillRecord* record)
{
    if (!record) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a cell of a ship's drills to see their history."));
        return;
    }
    openHistory(tr("%1, drills of %2").arg(record->shipName).arg(shownYear()),
                [worker = m_worker, idDrill = record->idDrill](bool* locked) {
                    return ChangeHistory::ofDrill(worker->database(), idDrill, locked);
                });
}

void MainWindow::showShipHistory()
{
    const QModelIndex current = m_panels->fleet()->shipList()->currentIndex();
    const Ship ship = current.isValid() ? m_ships->ships().value(current.row()) : Ship();
    if (ship.id == 0) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a ship to see its history."));
        return;
    }
    openHistory(ship.name, [worker = m_worker, idShip = ship.id](bool* locked) {
        return ChangeHistory::ofShip(worker->database(), idShip, locked);
    });
}

// The closure read with the year: an edit box opens without asking the database.
bool MainWindow::refuseClosedYearEdit()
{
    const auto& closed = m_yearDrills->closedYear();
    if (closed)
        m_messages.tell(Messages::Icon::Information, ProgramTitle, closed->refusal());
    return closed.has_value();
}

void MainWindow::closeShownYear()
{
    const int year = shownYear();
    if (year > Clock::today().year()) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 has not come yet and cannot be closed.").arg(year));
        return;
    }
    if (const auto closed = YearClosure::closedInfo(*m_db, year)) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle, closed->refusal());
        return;
    }
    // An edit of the year is stored before it closes, or the year stays open.
    if (m_drills->storeEdit() == DrillGridEditor::Stored::Refused)
        return;
    if (!m_messages.askYesNo(tr("Close Year"),
                             tr("Close the year %1? Its drills and evaluations can then no longer "
                                "be changed, until the year is reopened with a reason.")
                                 .arg(year)))
        return;
    QSqlError error;
    if (YearClosure::close(*m_db, year, Clock::today().year(), &error) !=
        YearClosure::Outcome::Done)
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The year %1 could not be closed: %2").arg(year).arg(error.text()));
    m_yearDrills->refreshClosure();
    showYearClosure();
}

void MainWindow::reopenShownYear()
{
    const int year = shownYear();
    if (!YearClosure::closedInfo(*m_db, year)) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 is not closed.").arg(year));
        return;
    }
    const std::optional<QString> reason = m_messages.askText(
        tr("Reopen Year"),
        tr("Why is the year %1 reopened? The reason is kept in the history of changes.").arg(year));
    if (!reason)
        return;
    QSqlError error;
    switch (YearClosure::reopen(*m_db, year, *reason, &error)) {
    case YearClosure::Outcome::ReasonRequired:
        m_messages.tell(
            Messages::Icon::Information, ProgramTitle,
            tr("A year is reopened only with a reason. The year %1 stays closed.").arg(year));
        break;
    case YearClosure::Outcome::Failed:
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The year %1 could not be reopened: %2").arg(year).arg(error.text()));
        break;
    default:
        break;
    }
    m_yearDrills->refreshClosure();
    showYearClosure();
}

// The caption says whether the shown year is closed, by whom and when, and so does its tip.
void MainWindow::showYearClosure()
{
    const auto& closed = m_yearDrills->closedYear();
    const QString state = closed ? closed->closedOn() : QString();
    const QString caption = yearCaption(shownYear());
    m_yearLabel->setText(state.isEmpty() ? caption
                                         : QStringLiteral("%1 <span style=\"font-size: 9pt; "
                                                          "font-weight: normal;\">(%2)</span>")
                                               .arg(caption, state.toHtmlEscaped()));
    m_yearLabel->setToolTip(state);
    m_yearLabel->setAccessibleDescription(state);
}

// Several users on one database: what the others change is shown here, a connection lost to
// the server is noticed, told once and made again when the server answers, and a role that may
// only read gets a window that only reads.

void MainWindow::watchOtherUsers()
{
    // Watched on the worker's connection, which makes the drill edits: they are not told.
    connect(m_worker, &DatabaseWorker::changed, this, &MainWindow::otherUsersChanged);
    connect(m_worker, &DatabaseWorker::drillsChanged, this, &MainWindow::otherUsersChangedDrills);
    m_worker->watch();
    // What arrived while a write or read waited is read once it is over.
    connect(m_yearDrills.get(), &DrillDataSource::settled, this, [this] {
        if (m_othersChanged && m_drillGrid->isEnabled())
            otherUsersChanged();
    });
    connect(m_drills, &DrillGridEditor::connectionLost, this, &MainWindow::connectionLost);
    // A server can go away while nobody edits: a light question now and then notices it.
    if (!m_db->location().isFile())
        m_aliveTimer->start();
}

void MainWindow::otherUsersChanged()
{
    // An open panel works on what it was opened with: a questionnaire's total goes to the grid
    // row it came from, and the fleet list keeps what is being typed. What changed is read once
    // the panels are closed (the grid takes input again).
    if (!m_drillGrid->isEnabled() || m_yearDrills->isWaiting()) {
        m_othersChanged = true;
        return;
    }
    m_othersChanged = false;
    m_ships->refresh();
    readCompanyName();
    m_drills->reread();
    m_reportCurrent = false;
}

void MainWindow::otherUsersChangedDrills(const QList<qint64>& idDrills)
{
    if (!m_drillGrid->isEnabled() || m_yearDrills->isWaiting()) {
        m_othersChanged = true;
        return;
    }
    m_yearDrills->refreshDrills(idDrills);
    m_reportCurrent = false;
}

void MainWindow::connectionLost()
{
    if (m_reconnectTimer->isActive())
        return; // told already
    if (m_evaluationPanel->isVisible())
        tellIfConnectionLost(tr("The answers were not saved: they are still shown in the "
                                "questionnaire, to be saved again."));
    else
        tellConnectionLost(tr("The edit was not stored: it is still in its box. The program "
                              "connects again as soon as the server answers; then press Enter "
                              "to store it."));
}

void MainWindow::checkServerAlive()
{
    if (!m_reconnectTimer->isActive() && !m_db->isAlive())
        tellConnectionLost(tr("The program connects again as soon as the server answers; until "
                              "then the grid may not show other users' changes."));
}

bool MainWindow::tellIfConnectionLost(const QString& notStored)
{
    if (m_db->isAlive())
        return false;
    tellConnectionLost(notStored + QLatin1Char(' ') +
                       tr("The program connects again as soon as the server answers."));
    return true;
}

// Each refused action is told; the connection itself is made again in the background.
void MainWindow::tellConnectionLost(const QString& consequence)
{
    m_statusPanels.at(StatusLinePanel)->setText(tr("Not connected: the grid may be out of date"));
    // Connecting again goes on while the box is open, and closes it once connected; what
    // others changed meanwhile is read after the box, where the action that failed ends.
    m_reconnectTimer->start();
    m_tellingLost = true;
    m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                    tr("The connection to the database %1 was lost. %2")
                        .arg(m_db->location().display(), consequence));
    m_tellingLost = false;
    if (std::exchange(m_reconnectedWhileTelling, false))
        otherUsersChanged();
}

// Connecting is tried in the background; only a server that answered is connected to here.
void MainWindow::tryReconnect()
{
    if (!m_probe) {
        m_probe = std::make_unique<ServerProbe>(m_db->location(), std::chrono::seconds(5));
        connect(m_probe.get(), &ServerProbe::answered, this, &MainWindow::serverAnswered);
    }
    m_probe->start();
}

void MainWindow::serverAnswered(bool reachable)
{
    if (!reachable || !m_reconnectTimer->isActive() || !m_db->reconnect().isEmpty())
        return; // the next tick tries again
    m_reconnectTimer->stop();
    // The worker's connection went with the window's; what others did meanwhile is not yet
    // shown.
    m_worker->reconnect();
    showAccess();
    if (m_tellingLost) {
        m_reconnectedWhileTelling = true;
        m_messages.withdraw();
    } else {
        otherUsersChanged();
    }
}

void MainWindow::showAccess()
{
    const WriteRights rights = m_db->writeRights();
    setReadOnly(!rights.mayWrite, rights.role);
}

void MainWindow::setReadOnly(bool readOnly, const QString& role)
{
    m_panels->setReadOnly(readOnly);
    m_drills->setReadOnly(readOnly);
    m_frame->showStatusLine(readOnly ? tr("Read only: %1 may not change the data").arg(role)
                                     : QString());
}
