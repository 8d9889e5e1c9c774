#pragma once

#include "data/DrillWriteResult.h"
#include "mainwindow/DrillCellEdit.h"

#include <QObject>

#include <functional>

class DrillDataSource;
class Messages;
class QWidget;
struct DrillRecord;

// Stores one edit of a drill cell to its own drill, and tells the user what came of it:
// another user's newer value (asked about, kept unless the user says otherwise), a lock that
// outlasted the wait, a drill deleted meanwhile, a value the database refused.
class DrillWriter : public QObject
{
    Q_OBJECT
public:
    enum class Stored
    {
        Unchanged,
        Written,
        Refused // nothing stored, the user was told; the edit is theirs to mend or try again
    };

    DrillWriter(DrillDataSource& data, Messages& messages, QObject* parent);

    // The edit of a record's field as a box opened on it now would begin it.
    static DrillCellEdit editOf(const DrillRecord& record, DrillRecord::Column field);

    // Written in the same transaction as every stored cell: the report table's refill.
    void setAlongside(std::function<bool()> alongside) { m_alongside = std::move(alongside); }
    // Asked when a write fails: true when the year was closed since the edit began, the check
    // having told the user by whom and when.
    void setClosedMeanwhileCheck(std::function<bool()> closed)
    {
        m_closedMeanwhile = std::move(closed);
    }

    // Stores the edit's value over the value it started from; dates as typed are read first.
    Stored store(DrillCellEdit edit);
    // The drill is no longer in the database: what was typed for it has nowhere to go.
    void tellGone(const DrillCellEdit& edit);

signals:
    // A cell was stored; with the report table refilled in the same transaction or not.
    void cellStored(bool alongsideDone);
    // A write failed because the connection to the database is gone; nothing was told yet.
    void connectionLost();
    // A write waits for another user's lock (a text for the status line), or no longer does
    // (an empty text).
    void waitingForLock(const QString& text);

private:
    DrillWriteResult write(const DrillCellEdit& edit);
    Stored settleConflict(DrillCellEdit edit, const DrillWriteResult& refused);
    Stored refuse(const DrillCellEdit& edit, const DataFailure& failure);
    Stored tellBusy(const DrillCellEdit& edit);

    DrillDataSource& m_data;
    Messages& m_messages;
    std::function<bool()> m_alongside;
    std::function<bool()> m_closedMeanwhile;
};
