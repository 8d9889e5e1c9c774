#pragma once

#include <QSqlDatabase>
#include <QString>

#include <functional>

class QSqlQuery;

// The main database handle: one connection to the drill database file.
// A missing file is created with the whole schema; an existing file is only used when it is
// a database of this program, and is never changed otherwise.
class DrillDatabase
{
public:
    explicit DrillDatabase(QString filePath);
    ~DrillDatabase();
    DrillDatabase(const DrillDatabase&) = delete;
    DrillDatabase& operator=(const DrillDatabase&) = delete;

    // Empty on success; otherwise a sentence for the user saying what is wrong with the file.
    QString open();

    QSqlDatabase connection() const;
    const QString& filePath() const { return m_filePath; }

    // Runs the work in one transaction: committed when it returns true, rolled back otherwise.
    bool inTransaction(const std::function<bool()>& work);

    // Executes a prepared query; a failure is logged with the given context.
    static bool exec(QSqlQuery& query, const char* context);

private:
    QString create();
    QString checkExisting();

    QString m_filePath;
    QString m_connectionName;
};
