#pragma once

#include "data/DrillRecord.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QFont>

class DrillDataSource;
class DrillWriter;

// The shown year as the grid sees it: one row per drill record, one column per grid column
// (DrillColumns). Every text, colour and font comes from the records as they are now; nothing
// is copied. The colours follow the drills' state on one day, moved on with setDay().
class DrillYearModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The "Drill No 1" above a column, for the header's upper band; empty outside the drills.
    static constexpr int DrillCaptionRole = Qt::UserRole + 1;
    // The keys and year of a cell's record.
    static constexpr int IdDrillRole = Qt::UserRole + 2;
    static constexpr int IdShipRole = Qt::UserRole + 3;
    static constexpr int YearRole = Qt::UserRole + 4;
    // A DrillCellEdit: read, the edit a box opened on the cell begins; given to setData, the
    // edit to store, typed value and all, over the value it started from.
    static constexpr int CellEditRole = Qt::UserRole + 5;

    explicit DrillYearModel(QObject* parent = nullptr);

    // The records shown from now on, followed as they are read and written; edits are stored
    // through the writer.
    void bind(const DrillDataSource& data, DrillWriter& writer);
    // The day whose state the colours show.
    void setDay(const QDate& day);
    void setFont(const QFont& font) { m_font = font; }

    const DrillRecord* recordAt(int row) const;
    // The row showing the drill; -1 when none does.
    int rowOf(qint64 idDrill) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    // False when the edit was refused and stays with the user, who was told why.
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    QVariant foreground(const DrillRecord& record, int col) const;
    void showRecords();
    void showRecord(int row);

    const DrillDataSource* m_data = nullptr;
    DrillWriter* m_writer = nullptr;
    QList<qint64> m_shownIds; // the drills of the rows, in order
    QDate m_day;
    QFont m_font;
};
