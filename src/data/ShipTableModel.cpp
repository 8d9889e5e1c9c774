#include "data/ShipTableModel.h"

#include "data/BoundText.h"
#include "data/Dialect.h"
#include "data/SqliteConnection.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtDebug>

#include <algorithm>
#include <utility>

namespace {
constexpr int IdColumn = 0;
constexpr int NameColumn = 1;
} // namespace

ShipTableModel::ShipTableModel(const QSqlDatabase& db, QObject* parent) : QSqlTableModel(parent, db)
{
    setObjectName(QStringLiteral("ships"));
    setTable(Dialect::of(db).catalogueName(QStringLiteral("Ships")));
    setEditStrategy(QSqlTableModel::OnRowChange);
    setHeaderData(IdColumn, Qt::Horizontal, QStringLiteral("IDShip"));
    setHeaderData(NameColumn, Qt::Horizontal, QStringLiteral("Ship Name"));
}

bool ShipTableModel::refresh()
{
    if (!select()) {
        qWarning().noquote() << "Reading the ship list failed:" << lastError().text();
        return false;
    }
    while (canFetchMore())
        fetchMore();
    m_startedFrom.clear();
    return true;
}

void ShipTableModel::discardPending()
{
    if (!isDirty())
        return;
    revertAll();
    refresh();
}

QList<Ship> ShipTableModel::ships()
{
    while (canFetchMore())
        fetchMore();
    QList<Ship> result;
    result.reserve(storedRows());
    for (int row = 0; row < storedRows(); ++row) {
        const QSqlRecord rec = record(row);
        result.append({rec.value(IdColumn).toLongLong(), rec.value(NameColumn).toString()});
    }
    return result;
}

int ShipTableModel::storedRows() const
{
    return QSqlTableModel::rowCount();
}

int ShipTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : storedRows() + 1;
}

QVariant ShipTableModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && isNewShipRow(index.row()))
        return {};
    return QSqlTableModel::data(index, role);
}

Qt::ItemFlags ShipTableModel::flags(const QModelIndex& index) const
{
    const Qt::ItemFlags flags =
        QSqlTableModel::flags(index) | Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    // The database numbers the ships.
    return index.column() == IdColumn ? flags & ~Qt::ItemIsEditable : flags | Qt::ItemIsEditable;
}

QVariant ShipTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return isNewShipRow(section) ? QStringLiteral("*") : QString();
    // The record selectors show no text; a screen reader names what each one picks.
    if (orientation == Qt::Vertical && role == Qt::AccessibleTextRole)
        return isNewShipRow(section)
                   ? tr("New ship")
                   : tr("Select %1").arg(record(section).value(NameColumn).toString());
    return QSqlTableModel::headerData(section, orientation, role);
}

bool ShipTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != NameColumn)
        return QSqlTableModel::setData(index, value, role);
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
    const qint64 id = record(index.row()).value(IdColumn).toLongLong();
    if (!m_startedFrom.contains(id))
        m_startedFrom.insert(id, data(index, Qt::EditRole).toString());
    return QSqlTableModel::setData(index, asBound(name), role);
}

QString ShipTableModel::asBound(const QString& name) const
{
    return database().driver()->dbmsType() == QSqlDriver::SQLite ? SqliteConnection::boundText(name)
                                                                 : name;
}

// Two ships of one name cannot be told apart in the grid: the user says whether they mean it.
bool ShipTableModel::refusedAsDuplicate(const QString& name)
{
    for (int row = 0; row < storedRows(); ++row) {
        if (record(row).value(NameColumn).toString().compare(name, Qt::CaseInsensitive) == 0)
            return m_confirmDuplicate && !m_confirmDuplicate(name);
    }
    return false;
}

bool ShipTableModel::addShip(const QString& name)
{
    QSqlRecord ship = record();
    ship.remove(ship.indexOf(QStringLiteral("IDShip")));
    ship.setValue(QStringLiteral("ShipName"), name); // passes setData() as it is inserted
    if (!insertRecord(storedRows(), ship) || !submitAll()) {
        const QString reason = lastError().text();
        qWarning().noquote() << "Adding a ship failed:" << reason;
        revertAll();
        emit writeFailed(reason);
        return false;
    }
    // Qt learns the new key only from drivers that mark the key column as assigned by the
    // database (SQLite); otherwise the new row is read back with the whole list.
    if (!record().field(IdColumn).isAutoValue())
        return refresh();
    return true;
}

bool ShipTableModel::submitPending()
{
    if (!isDirty())
        return true;
    if (submitAll())
        return true;
    const QString reason = lastError().text();
    // Without a connection the typed names stay, to be stored once it is back.
    if (!QSqlQuery(QStringLiteral("SELECT 1"), database()).isActive()) {
        qWarning().noquote() << "Storing a ship failed:" << reason;
        emit writeFailed(reason);
        return false;
    }
    const std::optional<Conflict> conflict = std::exchange(m_conflict, std::nullopt);
    revertAll();
    // Show the fleet as it is now, which another user may have changed.
    refresh();
    if (conflict) {
        emit nameChangedByOtherUser(conflict->id, conflict->startedFrom, conflict->storedNow,
                                    conflict->typed);
        return false;
    }
    qWarning().noquote() << "Storing a ship failed:" << reason;
    emit writeFailed(reason);
    return false;
}

bool ShipTableModel::overwriteName(qint64 id, const QString& storedNow, const QString& typed)
{
    QString newest;
    const Rename outcome = rename(id, storedNow, typed, newest);
    refresh();
    if (outcome == Rename::ChangedByOther)
        emit nameChangedByOtherUser(id, storedNow, newest, typed);
    else if (outcome != Rename::Stored)
        emit writeFailed(lastError().text());
    return outcome == Rename::Stored;
}

// Replaces the name only where it is still the one the change started from; otherwise
// storedNow says what another user put there.
ShipTableModel::Rename ShipTableModel::rename(qint64 id, const QString& startedFrom,
                                              const QString& typed, QString& storedNow)
{
    QSqlQuery update(database());
    update.prepare(QStringLiteral(
        "UPDATE Ships SET ShipName = ? WHERE IDShip = ? AND COALESCE(ShipName, '') = ?"));
    update.addBindValue(boundText(typed));
    update.addBindValue(id);
    update.addBindValue(boundText(asBound(startedFrom)));
    QSqlQuery stored(database());
    stored.prepare(QStringLiteral("SELECT ShipName FROM Ships WHERE IDShip = ?"));
    stored.addBindValue(id);
    if (!update.exec() || !stored.exec()) {
        const QSqlError error =
            update.lastError().isValid() ? update.lastError() : stored.lastError();
        setLastError(error);
        return Rename::Failed;
    }
    if (!stored.next()) {
        setLastError(QSqlError(QStringLiteral("Another user has deleted this ship."), {},
                               QSqlError::TransactionError));
        return Rename::Deleted;
    }
    storedNow = stored.value(0).toString();
    if (update.numRowsAffected() == 1 || storedNow == typed)
        return Rename::Stored;
    setLastError(QSqlError(QStringLiteral("Another user has renamed this ship."), {},
                           QSqlError::TransactionError));
    return Rename::ChangedByOther;
}

// The row's change as a compare-and-set of its name. An UPDATE of a row that another user has
// deleted changes nothing and fails nothing: without the check the name would look stored.
bool ShipTableModel::updateRowInTable(int row, const QSqlRecord& values)
{
    const int name = values.indexOf(QStringLiteral("ShipName"));
    if (name < 0 || !values.isGenerated(name))
        return QSqlTableModel::updateRowInTable(row, values);
    const qint64 id = primaryValues(row).value(0).toLongLong();
    const QString startedFrom = m_startedFrom.value(id);
    const QString typed = values.value(name).toString();
    QString storedNow;
    const Rename outcome = rename(id, startedFrom, typed, storedNow);
    if (outcome == Rename::ChangedByOther)
        m_conflict = Conflict{id, startedFrom, storedNow, typed};
    if (outcome != Rename::Stored)
        return false;
    m_startedFrom.remove(id);
    return true;
}

QString ShipTableModel::orderByClause() const
{
    return QStringLiteral("ORDER BY %1, IDShip")
        .arg(Dialect::of(database()).nameOrder(QStringLiteral("ShipName")));
}

bool ShipTableModel::removeShips(QList<int> rows)
{
    submitPending();
    std::sort(rows.begin(), rows.end(), std::greater<>());
    bool ok = true;
    for (int row : rows) {
        if (row < storedRows() && !removeRow(row)) {
            ok = false;
            emit writeFailed(lastError().text());
        }
    }
    refresh();
    return ok;
}
