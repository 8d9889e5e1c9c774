#pragma once

#include "data/Ship.h"

#include <QList>
#include <QSqlTableModel>

// The ship list (Data2): table Ships, written row by row as the user leaves a row.
class ShipTableModel : public QSqlTableModel
{
    Q_OBJECT
public:
    ShipTableModel(const QSqlDatabase& db, QObject* parent = nullptr);

    // Re-reads the whole table.
    bool refresh();
    // Every ship, first to last.
    QList<Ship> ships();
};
