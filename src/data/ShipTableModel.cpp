#include "data/ShipTableModel.h"

#include <QSqlError>
#include <QSqlRecord>
#include <QtDebug>

ShipTableModel::ShipTableModel(const QSqlDatabase& db, QObject* parent)
    : QSqlTableModel(parent, db)
{
    setObjectName(QStringLiteral("Data2"));
    setTable(QStringLiteral("Ships"));
    setEditStrategy(QSqlTableModel::OnRowChange);
}

bool ShipTableModel::refresh()
{
    if (select())
        return true;
    qWarning().noquote() << "Reading the ship list failed:" << lastError().text();
    return false;
}

QList<Ship> ShipTableModel::ships()
{
    while (canFetchMore())
        fetchMore();
    QList<Ship> result;
    result.reserve(rowCount());
    const int idColumn = fieldIndex(QStringLiteral("IDShip"));
    const int nameColumn = fieldIndex(QStringLiteral("ShipName"));
    for (int row = 0; row < rowCount(); ++row) {
        const QSqlRecord rec = record(row);
        result.append({rec.value(idColumn).toLongLong(), rec.value(nameColumn).toString()});
    }
    return result;
}
