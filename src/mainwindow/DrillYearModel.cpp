#include "mainwindow/DrillYearModel.h"

#include "common/Clock.h"
#include "common/DrillState.h"
#include "data/DrillDataSource.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillWriter.h"

#include <QBrush>

namespace {

using namespace DrillColumns;

const QColor DoneGreen(0x00, 0xC0, 0x00);
const QColor DueBlue(0x00, 0x00, 0xFF);
const QColor LaterRed(0xFF, 0x00, 0x00);

QVariant colourOf(const Drill& drill, const QDate& day)
{
    switch (drillState(!drill.done.isEmpty(), drill.scheduled.date(), day)) {
    case DrillState::Done:
        return QBrush(DoneGreen);
    case DrillState::Due:
        return QBrush(DueBlue);
    case DrillState::Later:
        return QBrush(LaterRed);
    case DrillState::None:
        break;
    }
    return {};
}

// Names are cut by narrow columns; their tip shows them whole.
bool isName(int col)
{
    return col == ShipNameColumn || kindOf(col) == Kind::Master;
}

} // namespace

DrillYearModel::DrillYearModel(QObject* parent) : QAbstractTableModel(parent), m_day(Clock::today())
{
}

void DrillYearModel::bind(const DrillDataSource& data, DrillWriter& writer)
{
    m_data = &data;
    m_writer = &writer;
    connect(&data, &DrillDataSource::refreshed, this, &DrillYearModel::showRecords);
    connect(&data, &DrillDataSource::recordRefreshed, this, &DrillYearModel::showRecord);
}

void DrillYearModel::setDay(const QDate& day)
{
    if (day == m_day)
        return;
    m_day = day;
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, Count - 1), {Qt::ForegroundRole});
}

// The same drills read again keep their rows, so that the views keep their current cell, open
// editor and scroll position; other drills make new rows. The records are replaced before
// refreshed() comes, and no view reads them in between.
void DrillYearModel::showRecords()
{
    QList<qint64> ids;
    ids.reserve(m_data->recordCount());
    for (const DrillRecord& record : m_data->records())
        ids.append(record.idDrill);
    if (ids == m_shownIds) {
        if (!ids.isEmpty())
            emit dataChanged(index(0, 0), index(rowCount() - 1, Count - 1));
        return;
    }
    beginResetModel();
    m_shownIds = std::move(ids);
    endResetModel();
}

void DrillYearModel::showRecord(int row)
{
    emit dataChanged(index(row, 0), index(row, Count - 1));
}

const DrillRecord* DrillYearModel::recordAt(int row) const
{
    return m_data && row >= 0 && row < m_data->recordCount() ? &m_data->records().at(row) : nullptr;
}

int DrillYearModel::rowOf(qint64 idDrill) const
{
    return m_data && idDrill != 0 ? m_data->indexOf(idDrill) : -1;
}

int DrillYearModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !m_data ? 0 : m_data->recordCount();
}

int DrillYearModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : Count;
}

QVariant DrillYearModel::data(const QModelIndex& index, int role) const
{
    // The drill of a row as the views know it: the records are read again before the views
    // hear that the rows were rebuilt.
    if (role == IdDrillRole)
        return index.isValid() && index.row() < m_shownIds.size()
                   ? QVariant(m_shownIds.at(index.row()))
                   : QVariant();
    const DrillRecord* record = recordAt(index.row());
    const int col = index.column();
    if (!record || col < 0 || col >= Count)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return record->shown(fieldOf(col));
    case IdShipRole:
        return record->idShip;
    case YearRole:
        return record->year;
    case CellEditRole:
        return isEditable(col) ? QVariant::fromValue(DrillWriter::editOf(*record, fieldOf(col)))
                               : QVariant();
    case Qt::ToolTipRole:
        return isName(col) ? QVariant(record->shown(fieldOf(col))) : QVariant();
    case Qt::ForegroundRole:
        return foreground(*record, col);
    case Qt::FontRole:
        if (col != ShipNameColumn)
            return {};
        {
            QFont bold = m_font;
            bold.setBold(true);
            return bold;
        }
    case Qt::TextAlignmentRole:
        if (const Qt::Alignment alignment = describe(col).alignment)
            return int(alignment);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

// The edit carries its own drill and field, where it goes whichever row shows them now.
bool DrillYearModel::setData(const QModelIndex&, const QVariant& value, int role)
{
    if (role != CellEditRole || !m_writer || !value.canConvert<DrillCellEdit>())
        return false;
    return m_writer->store(value.value<DrillCellEdit>()) != DrillWriter::Stored::Refused;
}

QVariant DrillYearModel::foreground(const DrillRecord& record, int col) const
{
    const int drill = drillOf(col);
    return drill < 0 ? QVariant() : colourOf(record.drills.at(drill), m_day);
}

QVariant DrillYearModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return describe(section).caption;
    const int drill = drillOf(section);
    if (role == DrillCaptionRole)
        return drill < 0 ? QString() : DrillRecord::drillCaption(drill);
    // The painted band above is not read out: each column names its drill itself.
    if (role == Qt::AccessibleTextRole && drill >= 0)
        return tr("%1, %2").arg(DrillRecord::drillCaption(drill), describe(section).caption);
    return {};
}

Qt::ItemFlags DrillYearModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return {};
    const Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    return isEditable(index.column()) ? flags | Qt::ItemIsEditable : flags;
}
