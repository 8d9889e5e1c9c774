#pragma once

#include "data/Ship.h"

#include <QHash>
#include <QList>
#include <QSqlTableModel>

#include <functional>

#include <optional>

// The ship list: table Ships. A changed row is written when the user leaves it; a new
// ship is typed into the empty row after the last ship and stored at once. The key is the
// database's, and every ship needs a name. A rename replaces only the name it started from, so
// another user's newer name is never overwritten unasked.
class ShipTableModel : public QSqlTableModel
{
    Q_OBJECT
public:
    ShipTableModel(const QSqlDatabase& db, QObject* parent = nullptr);

    // Re-reads the whole table.
    bool refresh();
    // Every ship, first to last.
    QList<Ship> ships();
    // Whether any ship is stored, without reading them all.
    bool hasShips() const { return storedRows() > 0; }
    // Writes a changed row that is still pending.
    bool submitPending();
    // Drops a change not yet written and shows the names as stored.
    void discardPending();
    // Writes a name over the one another user stored meanwhile, if that one is still stored.
    bool overwriteName(qint64 id, const QString& storedNow, const QString& typed);
    // Deletes the ships of the given rows at once.
    bool removeShips(QList<int> rows);

    // The empty row for a new ship follows the stored ones.
    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The longest name the reports print whole in their narrowest ship column.
    static constexpr int MaxNameLength = 60;

    // Asked before a ship is added under a name the fleet already has; true adds it.
    using DuplicateCheck = std::function<bool(const QString& name)>;
    void setDuplicateCheck(DuplicateCheck check) { m_confirmDuplicate = std::move(check); }

    // The row marked * where a new ship is typed.
    bool isNewShipRow(int row) const { return row == storedRows(); }

protected:
    bool updateRowInTable(int row, const QSqlRecord& values) override;
    // By name, then by key: the same list on every engine, whatever order the rows were
    // written in.
    QString orderByClause() const override;

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

private:
    struct Conflict
    {
        qint64 id;
        QString startedFrom, storedNow, typed;
    };
    enum class Rename
    {
        Stored,
        ChangedByOther,
        Deleted,
        Failed
    };

    Rename rename(qint64 id, const QString& startedFrom, const QString& typed, QString& storedNow);
    int storedRows() const;
    bool refusedAsDuplicate(const QString& name);
    bool addShip(const QString& name);
    // A name as its database must be given it to store it as typed.
    QString asBound(const QString& name) const;

    QHash<qint64, QString> m_startedFrom; // the name shown when its change began, by ship
    DuplicateCheck m_confirmDuplicate;
    std::optional<Conflict> m_conflict; // found by the last write
};
