#pragma once

#include "common/Ticker.h"
#include "data/DatabaseLocation.h"

#include <QList>
#include <QObject>

#include <memory>

class CompanyNameStore;
class DatabaseWorker;
class DrillDatabase;
class DrillDataSource;
class Messages;
class ServerProbe;
class ShipTableModel;
class WorkerCalls;

// The window's hold on its database: opening it with its daily backup, the fleet and the year's
// drills read from it, what other users change, a server connection lost and made again, and
// whether the user's role may write.
class DatabaseSession : public QObject
{
    Q_OBJECT
public:
    // The reconnection and the server's alive question come from the tickers.
    DatabaseSession(Messages& messages, Tickers& tickers, QObject* parent);
    ~DatabaseSession() override;

    // Opens the database and the worker that does the drill work. False when it cannot be
    // used: the user has been told why, and the program should end. Once open, the busy
    // cursor stays on until the window has been filled.
    bool open(const DatabaseLocation& location, const QString& accessCodePage);

    DrillDatabase& database() const { return *m_db; }
    DatabaseWorker& worker() const { return *m_worker; }
    // The window's calls on the worker: waits on them hold the window's input back.
    WorkerCalls& calls() const { return *m_calls; }
    DrillDataSource& yearDrills() const { return *m_yearDrills; }
    CompanyNameStore& companyName() const { return *m_companyName; }
    ShipTableModel& ships() const { return *m_ships; }

    // Starts showing other users' changes and noticing a server that went away; says the
    // role's access.
    void watch();
    // While a panel is open, what others changed is only noted; it is read once it closes.
    void setPanelsOpen(bool open);
    // An edit could not be stored because the connection went; questionnaireOpen: it was the
    // questionnaire's answers.
    void editLost(bool questionnaireOpen);
    // After a write was refused: true when the connection is gone, and the user was told that
    // what `notStored` names was not stored.
    bool tellIfConnectionLost(const QString& notStored);
    // Says on the status line that what is named waits for another user's lock; empty once it
    // does not.
    void showLockWait(const QString& what);

signals:
    // Others changed the data: the fleet has been read again; the rest is the window's to read.
    void othersChanged();
    // Others changed these drills of the shown year, which have been read again.
    void othersChangedDrills();
    // A role that may only read, or one that may write again.
    void accessChanged(bool readOnly);
    // Why the window cannot write, or cannot be sure of what it shows; empty when all is well.
    void statusLineChanged(const QString& text);
    // What waits for another user's lock; empty once nothing does.
    void waitShown(const QString& text);

private:
    void makeDailyBackup();
    QString newestBackupSentence() const;
    void watchShips();
    void shipRenamedByOtherUser(qint64 id, const QString& startedFrom, const QString& storedNow,
                                const QString& typed);
    void otherUsersChanged();
    void otherUsersChangedDrills(const QList<qint64>& idDrills);
    bool mustWait() const;
    void checkServerAlive();
    // Tells once that the connection is gone and starts connecting again; `consequence` says
    // what became of the user's action.
    void tellConnectionLost(const QString& consequence);
    void tryReconnect();
    void serverAnswered(bool reachable);
    void showAccess();

    Messages& m_messages;
    std::unique_ptr<DrillDatabase> m_db;
    DatabaseWorker* m_worker = nullptr; // the drill work, off the window's thread
    WorkerCalls* m_calls = nullptr;
    std::unique_ptr<DrillDataSource> m_yearDrills;
    std::unique_ptr<CompanyNameStore> m_companyName;
    std::unique_ptr<ShipTableModel> m_ships;
    std::unique_ptr<ServerProbe> m_probe; // asks in the background whether the server is back
    Ticker* m_reconnectTimer = nullptr;   // ticks while the server connection is being made again
    Ticker* m_aliveTimer = nullptr;       // asks now and then whether the server still answers
    bool m_panelsOpen = false;
    bool m_othersChanged = false;           // other users changed the data while a panel was open
    bool m_tellingLost = false;             // the "connection lost" box is open
    bool m_reconnectedWhileTelling = false; // and the connection came back meanwhile
};
