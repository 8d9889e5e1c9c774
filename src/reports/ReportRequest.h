#pragma once

#include "reports/ReportControl.h"

#include <QObject>
#include <QTimer>

#include <functional>

class DatabaseWorker;
struct DataFailure;

// A report of the program's database made through its worker: the report's table is filled and
// read there in one request, and the report opens when the rows arrive, the window answering
// meanwhile. A fill that meets another user's lock is made again every second until the lock
// has ended.
class ReportRequest : public QObject
{
    Q_OBJECT
public:
    // Fills the report's table on the worker's connection; false when it could not, and
    // *failure says why.
    using Fill = std::function<bool(DrillDatabase& db, DataFailure* failure)>;

    // `what` names the report in the status line.
    ReportRequest(DatabaseWorker& worker, ReportControl& control, QString what,
                  QObject* parent = nullptr);

    // Fills and reads, then runs the control as it is set up now. One on its way takes no
    // second one.
    void start(Fill fill);
    bool isWaiting() const { return bool(m_fill); }

signals:
    // What waits, for the status line; empty when nothing does any more.
    void waitShown(const QString& text);
    // The database refused to fill the table for a reason other than a lock.
    void refused();

private:
    struct Answer;
    void post();
    void take(const Answer& answer);

    DatabaseWorker& m_worker;
    ReportControl& m_control;
    QString m_what;
    Fill m_fill; // while one is on its way
    QTimer m_lockedRetry;
};
