#include "mainwindow/ReportWindows.h"

#include "common/AppFolder.h"
#include "common/Clock.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/ChangeHistory.h"
#include "data/DatabaseWorker.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/DrillRecord.h"
#include "data/PrintDrillsTable.h"
#include "data/ShipTableModel.h"
#include "due/DueDrillsWindow.h"
#include "mainwindow/DatabaseSession.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillGridEditor.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/FleetPanel.h"
#include "mainwindow/PanelHost.h"
#include "mainwindow/WindowAction.h"
#include "mainwindow/WindowFrame.h"
#include "mainwindow/YearController.h"
#include "reports/DrillStatusReport.h"
#include "reports/ReportControl.h"
#include "reports/ReportRequest.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QShortcut>

#include <utility>

ReportWindows::ReportWindows(QWidget& window, QString folder, Messages& messages,
                             DatabaseSession& session, DrillGridEditor& drills, PanelHost& panels,
                             const YearController& years, const WindowFrame& frame)
    : QObject(&window), m_window(window), m_folder(std::move(folder)), m_messages(messages),
      m_session(session), m_drills(drills), m_panels(panels), m_years(years), m_frame(frame)
{
    buildHistoryAction();
    const auto stale = [this] { m_reportCurrent = false; };
    connect(&years, &YearController::yearShown, this, stale);
    connect(&session, &DatabaseSession::othersChanged, this, stale);
    connect(&session, &DatabaseSession::othersChangedDrills, this, stale);
    connect(&drills, &DrillGridEditor::cellStored, this,
            [this](bool reportRefilled) { m_reportCurrent = reportRefilled; });
}

ReportWindows::~ReportWindows() = default;

QString ReportWindows::companyName() const
{
    return m_frame.companyName();
}

// Runs on the worker's thread, in the transaction of the edit; the window waits meanwhile.
void ReportWindows::attach()
{
    if (!PrintDrillsTable::followsEdits(m_session.database()))
        return;
    m_drills.setAlongside([this] {
        return PrintDrillsTable::refillWithin(m_session.worker().database(), m_years.shownYear(),
                                              companyName(), Clock::now());
    });
}

// Ctrl+H and "History..." on a drill cell or a ship of the fleet.
void ReportWindows::buildHistoryAction()
{
    QAction* history = windowAction(m_window, "ActHistory", tr("History..."), Qt::CTRL | Qt::Key_H);
    connect(history, &QAction::triggered, this, &ReportWindows::historyRequested);
    for (QAbstractItemView* grid :
         QList<QAbstractItemView*>{m_drills.grid(), m_panels.fleet()->shipList()}) {
        grid->setContextMenuPolicy(Qt::ActionsContextMenu);
        grid->addAction(history);
        grid->installEventFilter(this);
        auto* menuKey = new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), grid, nullptr, nullptr,
                                      Qt::WidgetWithChildrenShortcut);
        connect(menuKey, &QShortcut::activated, this, [this, grid] { openMenuAtCell(grid); });
    }
}

// The Menu key and Shift+F10 open a grid's menu at its current cell, where the user works; the
// menu Qt opens for the key lies at the grid's corner, over its caption.
void ReportWindows::openMenuAtCell(QAbstractItemView* grid)
{
    const QRect cell = grid->visualRect(grid->currentIndex());
    const QPoint at = cell.isValid() ? cell.center() : QPoint();
    QMenu::exec(grid->actions(), grid->viewport()->mapToGlobal(at), nullptr, grid);
}

bool ReportWindows::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::ContextMenu &&
        static_cast<QContextMenuEvent*>(event)->reason() == QContextMenuEvent::Keyboard) {
        if (auto* grid = qobject_cast<QAbstractItemView*>(watched)) {
            openMenuAtCell(grid);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void ReportWindows::openHistory(const QString& subject, HistoryWindow::Reader reader)
{
    auto* window =
        new HistoryWindow(subject, companyName(), std::move(reader), m_messages, &m_window);
    connect(window, &HistoryWindow::unreadable, this, [this, window] {
        window->close();
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The history of changes could not be read from the database."));
    });
    window->readThrough(m_session.worker());
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowFlag(Qt::Window);
    window->show();
    window->activateWindow();
}

void ReportWindows::showDrillHistory(const DrillRecord* record)
{
    if (!record) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a cell of a ship's drills to see their history."));
        return;
    }
    openHistory(tr("%1, drills of %2").arg(record->shipName).arg(m_years.shownYear()),
                [worker = &m_session.worker(), idDrill = record->idDrill](bool* locked) {
                    return ChangeHistory::ofDrill(worker->database(), idDrill, locked);
                });
}

void ReportWindows::showShipHistory()
{
    const QModelIndex current = m_panels.fleet()->shipList()->currentIndex();
    const Ship ship = current.isValid() ? m_session.ships().ships().value(current.row()) : Ship();
    if (ship.id == 0) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("Choose a ship to see its history."));
        return;
    }
    openHistory(ship.name, [worker = &m_session.worker(), idShip = ship.id](bool* locked) {
        return ChangeHistory::ofShip(worker->database(), idShip, locked);
    });
}

void ReportWindows::showDueDrills()
{
    if (!m_dueDrills) {
        m_dueDrills = new DueDrillsWindow(m_session.worker(), m_messages, &m_window);
        connect(m_dueDrills, &DueDrillsWindow::drillChosen, this, &ReportWindows::goToDrill);
        // The list follows the grid: a new year, other users' changes, the user's own edits.
        const auto follow = [this] {
            if (m_dueDrills->isVisible())
                m_dueDrills->showYear(m_session.yearDrills().recordsYear(), companyName());
        };
        connect(&m_session.yearDrills(), &DrillDataSource::refreshed, m_dueDrills, follow);
        connect(&m_drills, &DrillGridEditor::cellStored, m_dueDrills, follow);
    }
    m_dueDrills->showYear(m_years.shownYear(), companyName());
    m_dueDrills->show();
    m_dueDrills->raise();
    m_dueDrills->activateWindow();
}

// Makes the drill of the shown year the grid's current cell, in view and with the focus.
void ReportWindows::goToDrill(qint64 idDrill, int drill)
{
    if (!m_session.yearDrills().recordOf(idDrill))
        return; // no longer in the shown year
    m_panels.hideAll();
    m_window.activateWindow();
    m_drills.goToField(idDrill, DrillColumns::firstOfDrill(drill));
}

ReportRequest& ReportWindows::statusRequest()
{
    if (m_statusRequest)
        return *m_statusRequest;
    m_statusReport = std::make_unique<ReportControl>(m_messages, &m_window);
    m_statusRequest =
        new ReportRequest(m_session.worker(), *m_statusReport, tr("the drill status report"), this);
    connect(m_statusRequest, &ReportRequest::waitShown, this, &ReportWindows::waitShown);
    connect(m_statusRequest, &ReportRequest::refused, this, [this] {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The drill status report could not be prepared: the database "
                           "refused to fill its report table. Nothing was printed."));
    });
    return *m_statusRequest;
}

void ReportWindows::showStatusReport()
{
    m_panels.hideAll();
    if (statusRequest().isWaiting())
        return; // the one on its way shows the year as it was asked for
    // The report must show exactly what the grid shows, with this moment's stamp.
    m_reportCurrent = false;
    m_drills.storeEdit();
    const int year = m_years.shownYear();
    const auto& closed = m_session.yearDrills().closedYear();
    DrillStatusReport::prepare(*m_statusReport, year, companyName(),
                               closed ? closed->closedOn() : QString());
    m_statusReport->setReportFileName(
        AppFolder::programFile(m_folder, QString::fromLatin1(DrillStatusReport::TemplateFileName)));
    m_statusReport->setDestination(ReportControl::Destination::Window);
    // A file's table may hold the year already, filled with the edit just stored.
    const bool current = m_reportCurrent && PrintDrillsTable::followsEdits(m_session.database());
    m_statusRequest->start([current, year, company = companyName(),
                            now = Clock::now()](DrillDatabase& db, DataFailure* failure) {
        return current || PrintDrillsTable::refill(db, year, company, now, failure);
    });
}
