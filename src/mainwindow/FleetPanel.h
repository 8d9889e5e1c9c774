#pragma once

#include <QFrame>

class QTableView;
class ShipTableModel;

// The yellow "Update Fleet" panel: the ship list, edited in place.
class FleetPanel : public QFrame
{
    Q_OBJECT
public:
    explicit FleetPanel(QWidget* parent = nullptr);

    void setShips(ShipTableModel* ships);
    // Ends an edit in progress so that what was typed reaches the ship list.
    void commitEdit();

signals:
    void saveClicked();
    void cancelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTableView* DBGrid2;
    ShipTableModel* m_ships = nullptr;
};
