#pragma once

#include <QFrame>
#include <QPointer>

class QAbstractItemView;
class QPushButton;
class ShipListView;
class ShipTableModel;

// The yellow "Update Fleet" panel: the ship list, edited in place. Closing it any other way
// than by "Save" drops what was typed but not yet stored.
class FleetPanel : public QFrame
{
    Q_OBJECT
public:
    explicit FleetPanel(QWidget* parent = nullptr);

    void setShips(ShipTableModel* ships);
    // Ends an edit in progress so that what was typed reaches the ship list.
    void commitEdit();
    // Drops an edit in progress and what was typed but not yet stored.
    void discardEdit();
    // The list takes no edit and "Save" is off.
    void setReadOnly(bool readOnly);
    // The ship list, for the window's actions on a ship.
    QAbstractItemView* shipList() const;

signals:
    void saveClicked();
    void cancelClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void deleteKeyPressed();
    QList<int> rowsPickedBySelectors() const;
    void clearNameText();

    ShipListView* m_shipGrid;
    QPushButton* m_saveButton = nullptr;
    QPointer<ShipTableModel> m_ships; // the window may drop the list before its panels
};
