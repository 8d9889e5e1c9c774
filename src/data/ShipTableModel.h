#pragma once

#include "data/Ship.h"
#include "data/ShipTable.h"

#include <QAbstractTableModel>
#include <QList>
#include <QMap>

#include <functional>
#include <memory>

class DrillDatabase;
class WorkerCalls;

// The ship list: table Ships, read and written through the window's calls, so that another
// user's lock holds up the connection that waits for it, never the window. A changed row is
// written when the user leaves it; a new ship is typed into the empty row after the last ship
// and stored at once. The key is the database's, and every ship needs a name. A rename
// replaces only the name it started from, so another user's newer name is never overwritten
// unasked. What could not be stored for another user's lock, or a lost connection, stays
// shown, to be stored again.
class ShipTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit ShipTableModel(WorkerCalls& calls, QObject* parent = nullptr);
    // On a connection of this thread.
    explicit ShipTableModel(DrillDatabase& db, QObject* parent = nullptr);
    ~ShipTableModel() override;

    // Re-reads the whole table.
    bool refresh();
    // Every ship, first to last.
    QList<Ship> ships() const;
    // Whether any ship is stored.
    bool hasShips() const { return storedRows() > 0; }
    // Writes the changed rows that are still pending.
    bool submitPending();
    // Drops a change not yet written and shows the names as stored.
    void discardPending();
    // Writes a name over the one another user stored meanwhile, if that one is still stored.
    bool overwriteName(qint64 id, const QString& storedNow, const QString& typed);
    // Deletes the ships of the given rows at once.
    bool removeShips(QList<int> rows);

    // The empty row for a new ship follows the stored ones.
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // The views hand a row's edit over, or drop it.
    bool submit() override { return submitPending(); }
    void revert() override;

    // The longest name the reports print whole in their narrowest ship column.
    static constexpr int MaxNameLength = 60;

    // Asked before a ship is added under a name the fleet already has; true adds it.
    using DuplicateCheck = std::function<bool(const QString& name)>;
    void setDuplicateCheck(DuplicateCheck check) { m_confirmDuplicate = std::move(check); }

    // The row marked * where a new ship is typed.
    bool isNewShipRow(int row) const { return row == storedRows(); }

signals:
    // A ship name was left empty; nothing was changed.
    void nameRequired();
    // A ship name was longer than MaxNameLength; nothing was changed.
    void nameTooLong();
    // The database refused a change; nothing was changed.
    void writeFailed(const QString& reason);
    // Another user renamed the ship while it was being renamed here; nothing was written, and
    // the list shows the stored name.
    void nameChangedByOtherUser(qint64 id, const QString& startedFrom, const QString& storedNow,
                                const QString& typed);
    // A write meets another user's lock and waits for it, naming what waits; empty once over.
    void waitingForLock(const QString& what);

private:
    struct Rename
    {
        QString startedFrom, typed;
    };
    using Statement = std::function<ShipTable::Write(ShipTable&)>;

    int storedRows() const { return int(m_ships.size()); }
    QString shownName(int row) const;
    bool refusedAsDuplicate(const QString& name);
    bool addShip(const QString& name);
    bool submitRename(qint64 id, const Rename& rename);
    void showStored(qint64 id, const QString& name);
    // Runs the statement, telling of a lock it waits for as `what`.
    ShipTable::Write write(const QString& what, Statement statement);
    bool keeps(const ShipTable::Write& write) const;

    std::unique_ptr<WorkerCalls> m_ownCalls; // on a connection of this thread
    WorkerCalls& m_calls;
    QList<Ship> m_ships;
    QMap<qint64, Rename> m_renames; // typed, not yet stored, by ship
    QString m_unstoredNewShip;      // a new ship's name that could not be stored yet
    DuplicateCheck m_confirmDuplicate;
};
