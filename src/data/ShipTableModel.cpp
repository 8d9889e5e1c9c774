#include "data/ShipTableModel.h"

#include "data/Dialect.h"

#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QtDebug>

#include <algorithm>

namespace {
constexpr int IdColumn = 0;
constexpr int NameColumn = 1;
} // namespace

ShipTableModel::ShipTableModel(const QSqlDatabase& db, QObject* parent) : QSqlTableModel(parent, db)
{
    setObjectName(QStringLiteral("Data2"));
    setTable(Dialect::catalogueName(db.driverName(), QStringLiteral("Ships")));
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
    return true;
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
    return QSqlTableModel::headerData(section, orientation, role);
}

bool ShipTableModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (role != Qt::EditRole || index.column() != NameColumn)
        return QSqlTableModel::setData(index, value, role);
    const QString name = value.toString().trimmed();
    if (isNewShipRow(index.row()))
        return name.isEmpty() || addShip(name); // an untouched new row stores nothing
    if (name.isEmpty()) {
        emit nameRequired();
        return false;
    }
    return QSqlTableModel::setData(index, name, role);
}

bool ShipTableModel::addShip(const QString& name)
{
    QSqlRecord ship = record();
    ship.remove(ship.indexOf(QStringLiteral("IDShip")));
    ship.setValue(QStringLiteral("ShipName"), name);
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
    qWarning().noquote() << "Storing a ship failed:" << reason;
    // Without a connection the typed names stay, to be stored once it is back.
    if (!QSqlQuery(QStringLiteral("SELECT 1"), database()).isActive()) {
        emit writeFailed(reason);
        return false;
    }
    revertAll();
    // Show the fleet as it is now, which another user may have changed.
    refresh();
    emit writeFailed(reason);
    return false;
}

// An UPDATE of a row that another user has deleted changes nothing and fails nothing: without
// this check the name would look stored, and the row would turn blank.
bool ShipTableModel::updateRowInTable(int row, const QSqlRecord& values)
{
    if (!QSqlTableModel::updateRowInTable(row, values))
        return false;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT COUNT(*) FROM Ships WHERE IDShip = ?"));
    query.addBindValue(primaryValues(row).value(0));
    if (query.exec() && query.next() && query.value(0).toInt() == 1)
        return true;
    setLastError(QSqlError(QStringLiteral("Another user has deleted this ship."), {},
                           QSqlError::TransactionError));
    return false;
}

QString ShipTableModel::orderByClause() const
{
    const auto engine = database().driverName() == Dialect::driver(Dialect::Engine::Postgres)
                            ? Dialect::Engine::Postgres
                            : Dialect::Engine::Sqlite;
    return QStringLiteral("ORDER BY %1, IDShip").arg(Dialect::nameOrder(engine, "ShipName"));
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
