#include "mainwindow/DatabaseSession.h"

#include "app/AccessOffer.h"
#include "common/Clock.h"
#include "common/EditConflict.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/Backups.h"
#include "data/CompanyNameStore.h"
#include "data/DatabaseWorker.h"
#include "data/Dialect.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/ServerProbe.h"
#include "data/ShipTableModel.h"
#include "data/WorkerCalls.h"

#include <QCursor>
#include <QGuiApplication>
#include <QTimer>

#include <utility>

namespace {

const QString ProgramEnds = QStringLiteral("\n\nThe program will now end.");

} // namespace

DatabaseSession::DatabaseSession(Messages& messages, Tickers& tickers, QObject* parent)
    : QObject(parent), m_messages(messages)
{
    using namespace std::chrono_literals;
    using T = Ticker;
    m_reconnectTimer = tickers.make(T::Step::Reconnect, 2s, T::Repeat::Always, this);
    m_aliveTimer = tickers.make(T::Step::ServerAlive, 5s, T::Repeat::Always, this);
    connect(m_reconnectTimer, &Ticker::ticked, this, &DatabaseSession::tryReconnect);
    connect(m_aliveTimer, &Ticker::ticked, this, &DatabaseSession::checkServerAlive);
}

DatabaseSession::~DatabaseSession() = default;

bool DatabaseSession::open(const DatabaseLocation& location, const QString& accessCodePage)
{
    const auto working = [](bool on) {
        on ? QGuiApplication::setOverrideCursor(Qt::WaitCursor)
           : QGuiApplication::restoreOverrideCursor();
    };
    if (!AccessOffer::settle(location, accessCodePage, m_messages, Clock::now(), working))
        return false;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    m_db = std::make_unique<DrillDatabase>(location);
    if (const QString problem = m_db->open(); !problem.isEmpty()) {
        QGuiApplication::restoreOverrideCursor();
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        problem + newestBackupSentence() + ProgramEnds);
        return false;
    }
    if (!m_db->notice().isEmpty())
        m_messages.tell(Messages::Icon::Information, ProgramTitle, m_db->notice());
    makeDailyBackup();
    m_worker = new DatabaseWorker(location, std::chrono::seconds(5), this);
    if (const QString problem = m_worker->open(); !problem.isEmpty()) {
        QGuiApplication::restoreOverrideCursor();
        m_messages.tell(Messages::Icon::Critical, ProgramTitle, problem + ProgramEnds);
        return false;
    }
    m_calls = new WorkerCalls(*m_worker, this);
    m_yearDrills = std::make_unique<DrillDataSource>(*m_calls);
    m_companyName = std::make_unique<CompanyNameStore>(*m_calls);
    m_ships = std::make_unique<ShipTableModel>(*m_calls);
    m_ships->refresh();
    watchShips();
    return true;
}

// A server keeps its own backups; the program copies only a file.
void DatabaseSession::makeDailyBackup()
{
    if (m_db->dialect().keepsOwnBackups())
        return;
    // Only a file that passed its checks is copied, and before anything is written to it.
    const QString backupFailure = Backups::makeDailyOrSayWhy(m_db->filePath());
    if (!backupFailure.isEmpty())
        m_messages.tell(Messages::Icon::Critical, ProgramTitle, backupFailure);
}

QString DatabaseSession::newestBackupSentence() const
{
    if (m_db->dialect().keepsOwnBackups() || m_db->problem() != DrillDatabase::Problem::Damaged)
        return {};
    return QStringLiteral("\n\n") + Backups::restoreAdvice(m_db->filePath());
}

// What the fleet's list cannot take is told here.
void DatabaseSession::watchShips()
{
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
            &DatabaseSession::shipRenamedByOtherUser);
    connect(m_ships.get(), &ShipTableModel::waitingForLock, this, &DatabaseSession::showLockWait);
    connect(m_ships.get(), &ShipTableModel::writeFailed, this, [this](const QString& reason) {
        if (!tellIfConnectionLost(tr("The change to the fleet was not stored.")))
            m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                            tr("The fleet could not be changed: %1").arg(reason));
    });
}

void DatabaseSession::showLockWait(const QString& what)
{
    emit waitShown(
        what.isEmpty()
            ? what
            : tr("Waiting for another user to finish: %1 is not stored yet ...").arg(what));
}

void DatabaseSession::shipRenamedByOtherUser(qint64 id, const QString& startedFrom,
                                             const QString& storedNow, const QString& typed)
{
    const QString what = tr("the name of the ship \"%1\"").arg(startedFrom);
    if (m_messages.askToReplace(ProgramTitle, editConflictQuestion(what, storedNow, typed)))
        m_ships->overwriteName(id, storedNow, typed);
}

// Several users on one database: what the others change is shown, a connection lost to the
// server is noticed, told once and made again when the server answers, and a role that may
// only read gets a window that only reads.

void DatabaseSession::watch()
{
    // Watched on the worker's connection, which makes the drill edits: they are not told.
    connect(m_worker, &DatabaseWorker::changed, this, &DatabaseSession::otherUsersChanged);
    connect(m_worker, &DatabaseWorker::drillsChanged, this,
            &DatabaseSession::otherUsersChangedDrills);
    m_worker->watch();
    // What arrived while a write or read waited is read once it is over.
    connect(m_calls, &WorkerCalls::settled, this, [this] {
        if (m_othersChanged && !m_panelsOpen)
            otherUsersChanged();
    });
    // A server can go away while nobody edits: a light question now and then notices it.
    if (!m_db->location().isFile())
        m_aliveTimer->start();
    showAccess();
}

void DatabaseSession::setPanelsOpen(bool open)
{
    m_panelsOpen = open;
    // After the step that closed the panel (a saved total is written to its row first).
    if (!open && m_othersChanged)
        QTimer::singleShot(0, this, &DatabaseSession::otherUsersChanged);
}

// An open panel works on what it was opened with: a questionnaire's total goes to the grid row
// it came from, and the fleet list keeps what is being typed. What changed is read once the
// panels are closed, and once a write or read that waits is over.
bool DatabaseSession::mustWait() const
{
    return m_panelsOpen || m_calls->isWaiting();
}

void DatabaseSession::otherUsersChanged()
{
    m_othersChanged = mustWait();
    if (m_othersChanged)
        return;
    m_ships->refresh();
    emit othersChanged();
}

void DatabaseSession::otherUsersChangedDrills(const QList<qint64>& idDrills)
{
    if (mustWait()) {
        m_othersChanged = true;
        return;
    }
    m_yearDrills->refreshDrills(idDrills);
    emit othersChangedDrills();
}

void DatabaseSession::editLost(bool questionnaireOpen)
{
    if (m_reconnectTimer->isActive())
        return; // told already
    if (questionnaireOpen)
        tellIfConnectionLost(tr("The answers were not saved: they are still shown in the "
                                "questionnaire, to be saved again."));
    else
        tellConnectionLost(tr("The edit was not stored: it is still in its box. The program "
                              "connects again as soon as the server answers; then press Enter "
                              "to store it."));
}

void DatabaseSession::checkServerAlive()
{
    if (!m_reconnectTimer->isActive() && !m_db->isAlive())
        tellConnectionLost(tr("The program connects again as soon as the server answers; until "
                              "then the grid may not show other users' changes."));
}

bool DatabaseSession::tellIfConnectionLost(const QString& notStored)
{
    if (m_db->isAlive())
        return false;
    tellConnectionLost(notStored + QLatin1Char(' ') +
                       tr("The program connects again as soon as the server answers."));
    return true;
}

// Each refused action is told; the connection itself is made again in the background.
void DatabaseSession::tellConnectionLost(const QString& consequence)
{
    emit statusLineChanged(tr("Not connected: the grid may be out of date"));
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
void DatabaseSession::tryReconnect()
{
    if (!m_probe) {
        m_probe = std::make_unique<ServerProbe>(m_db->location(), std::chrono::seconds(5));
        connect(m_probe.get(), &ServerProbe::answered, this, &DatabaseSession::serverAnswered);
    }
    m_probe->start();
}

void DatabaseSession::serverAnswered(bool reachable)
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

// A role that may only read: the status line says so, naming the role; reports and exports
// still work.
void DatabaseSession::showAccess()
{
    const WriteRights rights = m_db->writeRights();
    emit accessChanged(!rights.mayWrite);
    emit statusLineChanged(
        rights.mayWrite ? QString() : tr("Read only: %1 may not change the data").arg(rights.role));
}
