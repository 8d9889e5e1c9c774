#include "data/ShipTableModel.h"

#include "data/DrillStore.h"
#include "data/WorkerCalls.h"

#include <QtDebug>

#include <algorithm>
#include <utility>

namespace {
constexpr int IdColumn = 0;
constexpr int NameColumn = 1;
} // namespace

ShipTableModel::ShipTableModel(WorkerCalls& calls, QObject* parent)
    : QAbstractTableModel(parent), m_calls(calls)
{
    setObjectName(QStringLiteral("ships"));
}

ShipTableModel::ShipTableModel(DrillDatabase& db, QObject* parent)
    : ShipTableModel(*new WorkerCalls(db), parent)
{
    m_ownCalls.reset(&m_calls);
}

ShipTableModel::~ShipTableModel() = default;

bool ShipTableModel::refresh()
{
    const auto ships = m_calls.call<std::optional<QList<Ship>>>(
        [](DrillStore& store) { return ShipTable(store.database()).ships(); });
    if (!ships) {
        qWarning().noquote() << "Reading the ship list failed";
        return false;
    }
    beginResetModel();
    m_ships = *ships;
    m_renames.clear();
    endResetModel();
    return true;
}

void ShipTableModel::discardPending()
{
    if (m_renames.isEmpty() && m_unstoredNewShip.isEmpty())
        return;
    m_renames.clear();
    m_unstoredNewShip.clear();
    // The current cell stays where it is.
    emit dataChanged(index(0, NameColumn), index(storedRows(), NameColumn));
}

void ShipTableModel::revert()
{
    discardPending();
}

QList<Ship> ShipTableModel::ships() const
{
    QList<Ship> ships = m_ships;
    for (Ship& ship : ships)
        ship.name = m_renames.value(ship.id, {ship.name, ship.name}).typed;
    return ships;
}

QString ShipTableModel::shownName(int row) const
{
    const Ship& ship = m_ships.at(row);
    return m_renames.value(ship.id, {ship.name, ship.name}).typed;
}

int ShipTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : storedRows() + 1;
}

int ShipTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 2;
}

QVariant ShipTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    if (isNewShipRow(index.row()))
        return index.column() == NameColumn && !m_unstoredNewShip.isEmpty()
                   ? QVariant(m_unstoredNewShip)
                   : QVariant();
    if (index.column() == IdColumn)
        return m_ships.at(index.row()).id;
    return shownName(index.row());
}

Qt::ItemFlags ShipTableModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // The database numbers the ships.
    return index.column() == IdColumn ? flags : flags | Qt::ItemIsEditable;
}

QVariant ShipTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal)
        return role == Qt::DisplayRole ? QVariant(section == IdColumn ? QStringLiteral("IDShip")
                                                                      : QStringLiteral("Ship Name"))
                                       : QVariant();
    if (role == Qt::DisplayRole)
        return isNewShipRow(section) ? QStringLiteral("*") : QString();
    // The record selectors show no text; a screen reader names what each one picks.
    if (role == Qt::AccessibleTextRole)
        return isNewShipRow(section) ? tr("New ship") : tr("Select %1").arg(shownName(section));
    return {};
}

bool ShipTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != NameColumn)
        return false;
    const QString name = value.toString().trimmed();
    if (name.size() > MaxNameLength) {
        emit nameTooLong();
        return false;
    }
    // An untouched new row stores nothing.
    if (isNewShipRow(index.row()))
        return name.isEmpty() || (!refusedAsDuplicate(name) && addShip(name));
    if (name.isEmpty()) {
        emit nameRequired();
        return false;
    }
    const Ship& ship = m_ships.at(index.row());
    if (name == shownName(index.row()))
        return true;
    const QString startedFrom = m_renames.value(ship.id, {ship.name, {}}).startedFrom;
    m_renames.insert(ship.id, {startedFrom, name});
    emit dataChanged(index, index);
    return true;
}

// Two ships of one name cannot be told apart in the grid: the user says whether they mean it.
bool ShipTableModel::refusedAsDuplicate(const QString& name)
{
    for (int row = 0; row < storedRows(); ++row) {
        if (shownName(row).compare(name, Qt::CaseInsensitive) == 0)
            return m_confirmDuplicate && !m_confirmDuplicate(name);
    }
    return false;
}

bool ShipTableModel::addShip(const QString& name)
{
    if (!submitPending())
        return false;
    const ShipTable::Write added = write(tr("the new ship %1").arg(name),
                                         [name](ShipTable& ships) { return ships.add(name); });
    if (added.outcome == ShipTable::Outcome::Done) {
        m_unstoredNewShip.clear();
        return refresh();
    }
    qWarning().noquote() << "Adding a ship failed:" << added.reason;
    if (keeps(added)) {
        m_unstoredNewShip = name;
        const QModelIndex newRow = index(storedRows(), NameColumn);
        emit dataChanged(newRow, newRow);
    }
    emit writeFailed(added.reason);
    return false;
}

bool ShipTableModel::submitPending()
{
    for (const qint64 id : m_renames.keys()) {
        if (m_renames.contains(id) && !submitRename(id, m_renames.value(id)))
            return false;
    }
    return true;
}

bool ShipTableModel::overwriteName(qint64 id, const QString& storedNow, const QString& typed)
{
    m_renames.insert(id, {storedNow, typed});
    return submitRename(id, {storedNow, typed});
}

bool ShipTableModel::submitRename(qint64 id, const Rename& rename)
{
    const ShipTable::Write renamed =
        write(tr("the ship %1").arg(rename.typed), [id, rename](ShipTable& ships) {
            return ships.rename(id, rename.startedFrom, rename.typed);
        });
    if (renamed.outcome == ShipTable::Outcome::Done) {
        m_renames.remove(id);
        showStored(id, renamed.storedNow);
        return true;
    }
    if (renamed.outcome != ShipTable::Outcome::ChangedByOther)
        qWarning().noquote() << "Storing a ship failed:" << renamed.reason;
    // What could not be stored for the moment stays, to be stored again.
    if (!keeps(renamed)) {
        // Shows the fleet as it is now, which another user may have changed.
        refresh();
        if (renamed.outcome == ShipTable::Outcome::ChangedByOther) {
            emit nameChangedByOtherUser(id, rename.startedFrom, renamed.storedNow, rename.typed);
            return false;
        }
    }
    emit writeFailed(renamed.reason);
    return false;
}

void ShipTableModel::showStored(qint64 id, const QString& name)
{
    const auto row = std::find_if(m_ships.begin(), m_ships.end(),
                                  [id](const Ship& ship) { return ship.id == id; });
    if (row == m_ships.end())
        return;
    row->name = name;
    const QModelIndex cell = index(int(row - m_ships.begin()), NameColumn);
    emit dataChanged(cell, cell);
}

bool ShipTableModel::removeShips(QList<int> rows)
{
    submitPending();
    QList<qint64> ids;
    for (const int row : rows) {
        if (row < storedRows())
            ids.append(m_ships.at(row).id);
    }
    const ShipTable::Write removed =
        write(tr("the deletion"), [ids](ShipTable& ships) { return ships.remove(ids); });
    const bool done = removed.outcome == ShipTable::Outcome::Done;
    if (!done)
        qWarning().noquote() << "Deleting a ship failed:" << removed.reason;
    if (!keeps(removed))
        refresh();
    if (!done)
        emit writeFailed(removed.reason);
    return done;
}

ShipTable::Write ShipTableModel::write(const QString& what, Statement statement)
{
    bool waited = false;
    const std::function<void()> waiting = m_calls.toldHere([this, &waited, what] {
        waited = true;
        emit waitingForLock(what);
    });
    const auto write = m_calls.call<ShipTable::Write>(
        [statement = std::move(statement), waiting](DrillStore& store) {
            return store.waitingIfLocked(
                [&](DrillDatabase& db) {
                    ShipTable ships(db);
                    return statement(ships);
                },
                [](const ShipTable::Write& done) {
                    return done.outcome == ShipTable::Outcome::MetLock;
                },
                waiting);
        });
    if (waited)
        emit waitingForLock({});
    return write;
}

// Another user's lock, or a connection gone, keeps what was typed, to be stored again.
bool ShipTableModel::keeps(const ShipTable::Write& write) const
{
    return write.outcome == ShipTable::Outcome::MetLock ||
           write.outcome == ShipTable::Outcome::Lost;
}
