#include "mainwindow/YearController.h"

#include "common/Clock.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/ShipTableModel.h"
#include "mainwindow/DrillGridEditor.h"
#include "mainwindow/DrillGridView.h"
#include "mainwindow/DrillYearModel.h"
#include "mainwindow/WindowAction.h"

#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QShortcut>

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
        return YearController::tr("The drill rows of %1 could not be created; nothing was stored.")
            .arg(year);
    const QString outcome = shownYear == 0
                                ? YearController::tr("The program will now end.")
                                : YearController::tr("The grid shows %1 again.").arg(shownYear);
    return YearController::tr("The drills of %1 could not be read. %2").arg(year).arg(outcome);
}

} // namespace

YearController::YearController(DrillGridEditor& drills, Messages& messages, Tickers& tickers,
                               QWidget& window)
    : QObject(&window), m_drills(drills), m_messages(messages), m_window(window)
{
    using namespace std::chrono_literals;
    m_newShipsTimer = tickers.make(Ticker::Step::NewShips, 100ms, Ticker::Repeat::Once, this);
    connect(m_newShipsTimer, &Ticker::ticked, this, &YearController::addNewShipsAndReload);
    m_cancelYearChange = new QShortcut(QKeySequence(Qt::Key_Escape), &window);
    m_cancelYearChange->setEnabled(false);
    connect(m_cancelYearChange, &QShortcut::activated, this, &YearController::cancelYearChange);
    QAction* close =
        windowAction(window, "ActCloseYear", tr("Close Year..."), Qt::CTRL | Qt::SHIFT | Qt::Key_L);
    QAction* reopen = windowAction(window, "ActReopenYear", tr("Reopen Year..."),
                                   Qt::CTRL | Qt::SHIFT | Qt::Key_U);
    connect(close, &QAction::triggered, this, &YearController::closeShownYear);
    connect(reopen, &QAction::triggered, this, &YearController::reopenShownYear);
    m_actions = {close, reopen};
    connect(&drills, &DrillGridEditor::yearStepRequested, this, &YearController::step);
}

YearController::~YearController()
{
    if (m_data && m_data->isLoading())
        QGuiApplication::restoreOverrideCursor(); // the busy cursor of a year still on its way
}

void YearController::attach(DrillDataSource& data, ShipTableModel& ships)
{
    m_data = &data;
    m_ships = &ships;
    connect(m_data, &DrillDataSource::loaded, this, &YearController::loaded);
    connect(m_data, &DrillDataSource::refreshed, this, &YearController::showYearClosure);
    m_drills.setEditGuard([this] { return refuseClosedYearEdit(); });
    // The kept closure may be older than the refusal: another program may have closed the year.
    m_drills.setClosedMeanwhileCheck([this] {
        rereadClosure();
        return refuseClosedYearEdit();
    });
}

bool YearController::loadCurrentYear()
{
    setYearCaption(Clock::today().year());
    return load();
}

void YearController::setYearCaption(int year)
{
    m_year = year;
    emit captionChanged(yearCaption(year), {});
}

bool YearController::load()
{
    QEventLoop loaded;
    bool read = false;
    connect(m_data, &DrillDataSource::loaded, &loaded, [&](int, DrillDataSource::Load load) {
        read = load != YearLoad::NotRead;
        loaded.quit();
    });
    startLoad(m_year);
    if (m_data->isLoading())
        loaded.exec(QEventLoop::ExcludeUserInputEvents);
    return read;
}

// The year is read in the background: the grid shows the year it has until the new one has
// arrived, and Escape keeps it when another user's lock holds the read up.
void YearController::startLoad(int year)
{
    m_drills.endEdit();
    const QModelIndex cursor = m_drills.grid()->currentIndex();
    m_loadCursor = QPoint(cursor.column(), cursor.row());
    if (!m_data->isLoading())
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool change = year != m_year;
    m_cancelYearChange->setEnabled(change);
    enableSteps(year);
    if (change)
        emit waitShown(tr("Reading the drills of %1 ... (Escape keeps %2)").arg(year).arg(m_year));
    m_data->load(year, m_ships->hasShips());
}

void YearController::cancelYearChange()
{
    if (!m_data->isLoading())
        return;
    m_data->cancelLoad();
    endLoad();
}

void YearController::enableSteps(int year)
{
    m_previousAllowed = year != FirstYear;
    m_nextAllowed = year != Clock::today().year();
    emit stepsEnabled(m_previousAllowed, m_nextAllowed);
}

void YearController::endLoad()
{
    enableSteps(m_year);
    m_cancelYearChange->setEnabled(false);
    emit waitShown({});
    QGuiApplication::restoreOverrideCursor();
}

void YearController::loaded(int year, DrillDataSource::Load load)
{
    endLoad();
    // The keyboard's cell keeps its place in the new rows, as far as they reach.
    const int rows = m_drills.model()->rowCount();
    if (m_loadCursor.y() >= 0 && rows > 0)
        m_drills.grid()->setCurrentIndex(
            m_drills.model()->index(qMin(m_loadCursor.y(), rows - 1), m_loadCursor.x()));
    // A year that could not be read is never shown as an empty one: the grid keeps the year
    // it showed, and so does the caption.
    const int kept = m_data->recordsYear();
    setYearCaption(load == YearLoad::NotRead && kept != 0 ? kept : year);
    showYearClosure();
    enableSteps(m_year);
    emit yearShown();
    if (load != YearLoad::Read) {
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        m_data->failure().sentence() + QStringLiteral(". ") +
                            loadFailureText(load, year, kept));
    }
}

// A step goes on from the year on its way, as the year bar shows.
void YearController::step(int by)
{
    if (by > 0 ? m_nextAllowed : m_previousAllowed)
        showYear(m_data->year() + by);
}

void YearController::showYear(int year)
{
    // What was typed for this year is stored in it first, or stays in its box.
    if (m_drills.storeEdit() == DrillGridEditor::Stored::Refused)
        return;
    startLoad(year);
}

void YearController::fleetSaved()
{
    addRowsForNewShips();
    m_newShipsTimer->start();
}

void YearController::addNewShipsAndReload()
{
    addRowsForNewShips();
    startLoad(m_year);
    m_newShipsTimer->stop();
}

void YearController::addRowsForNewShips()
{
    m_data->setYear(m_year);
    m_data->addMissingRecords(m_ships->ships());
    m_drills.endEdit(); // the grid is rebuilt: a pending edit has no cell left to go to
}

// The closure read with the year: an edit box opens without asking the database.
bool YearController::refuseClosedYearEdit()
{
    const auto& closed = m_data->closedYear();
    if (closed)
        m_messages.tell(Messages::Icon::Information, ProgramTitle, closed->refusal());
    return closed.has_value();
}

// The closure kept with the year is current: another user's closing or reopening is told.
void YearController::closeShownYear()
{
    const int year = m_year;
    if (year > Clock::today().year()) {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 has not come yet and cannot be closed.").arg(year));
        return;
    }
    if (refuseClosedYearEdit())
        return;
    // An edit of the year is stored before it closes, or the year stays open.
    if (m_drills.storeEdit() == DrillGridEditor::Stored::Refused)
        return;
    if (!m_messages.askYesNo(tr("Close Year"),
                             tr("Close the year %1? Its drills and evaluations can then no longer "
                                "be changed, until the year is reopened with a reason.")
                                 .arg(year)))
        return;
    const auto closing = changeClosure(tr("Closing the year %1 ...").arg(year), [&] {
        return m_data->closeYear(year, Clock::today().year());
    });
    if (closing.outcome == YearClosure::Outcome::AlreadyClosed)
        refuseClosedYearEdit(); // by another user meanwhile: says who and when
    else if (closing.outcome != YearClosure::Outcome::Done)
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The year %1 could not be closed: %2").arg(year).arg(whyNot(closing)));
}

void YearController::reopenShownYear()
{
    const int year = m_year;
    const auto tellNotClosed = [this, year] {
        m_messages.tell(Messages::Icon::Information, ProgramTitle,
                        tr("The year %1 is not closed.").arg(year));
    };
    if (!m_data->closedYear()) {
        tellNotClosed();
        return;
    }
    const std::optional<QString> reason = m_messages.askText(
        tr("Reopen Year"),
        tr("Why is the year %1 reopened? The reason is kept in the history of changes.").arg(year));
    if (!reason)
        return;
    const auto reopening = changeClosure(tr("Reopening the year %1 ...").arg(year),
                                         [&] { return m_data->reopenYear(year, *reason); });
    switch (reopening.outcome) {
    case YearClosure::Outcome::ReasonRequired:
        m_messages.tell(
            Messages::Icon::Information, ProgramTitle,
            tr("A year is reopened only with a reason. The year %1 stays closed.").arg(year));
        break;
    case YearClosure::Outcome::AlreadyClosed: // reopened by another user meanwhile
        tellNotClosed();
        break;
    case YearClosure::Outcome::Failed:
        m_messages.tell(
            Messages::Icon::Critical, ProgramTitle,
            tr("The year %1 could not be reopened: %2").arg(year).arg(whyNot(reopening)));
        break;
    default:
        break;
    }
}

// Waits as a write does, the status line saying what waits; the closure is read again once it
// has changed, or was found changed.
DrillDataSource::ClosureChange
YearController::changeClosure(const QString& waiting,
                              const std::function<DrillDataSource::ClosureChange()>& change)
{
    emit waitShown(waiting);
    const DrillDataSource::ClosureChange done = change();
    emit waitShown({});
    if (done.outcome != YearClosure::Outcome::Failed)
        rereadClosure();
    return done;
}

QString YearController::whyNot(const DrillDataSource::ClosureChange& failed)
{
    return failed.locked ? tr("another user is using the database. Please try again in a moment.")
                         : failed.error.text();
}

void YearController::rereadClosure()
{
    m_data->refreshClosure();
    showYearClosure();
}

// The caption says whether the shown year is closed, by whom and when.
void YearController::showYearClosure()
{
    const auto& closed = m_data->closedYear();
    emit captionChanged(yearCaption(m_year), closed ? closed->closedOn() : QString());
}
