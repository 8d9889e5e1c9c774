#pragma once

#include "data/Ship.h"

#include <QList>
#include <QSqlTableModel>

// The ship list (Data2): table Ships. A changed row is written when the user leaves it; a new
// ship is typed into the empty row after the last ship and stored at once. The key is the
// database's, and every ship needs a name.
class ShipTableModel : public QSqlTableModel
{
    Q_OBJECT
public:
    ShipTableModel(const QSqlDatabase& db, QObject* parent = nullptr);

    // Re-reads the whole table.
    bool refresh();
    // Every ship, first to last.
    QList<Ship> ships();
    // Writes a changed row that is still pending.
    bool submitPending();
    // Deletes the ships of the given rows at once.
    bool removeShips(QList<int> rows);

    // The empty row for a new ship follows the stored ones.
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

protected:
    bool updateRowInTable(int row, const QSqlRecord& values) override;
    // By name, then by key: the same list on every engine, whatever order the rows were
    // written in.
    QString orderByClause() const override;

signals:
    // A ship name was left empty; nothing was changed.
    void nameRequired();
    // The database refused a change; nothing was changed.
    void writeFailed(const QString& reason);

private:
    int storedRows() const;
    bool isNewShipRow(int row) const { return row == storedRows(); }
    bool addShip(const QString& name);
};
