#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QString>

#include <chrono>
#include <functional>

class QSqlQuery;

// A read or write the database refused, as the user is told of it.
struct DataFailure
{
    QString number;
    QString text;

    static DataFailure of(const QSqlError& error);
    // "Error No <number> - <text>"
    QString sentence() const;
};

// The main database handle: one connection to the drill database file.
// A missing file is created with the whole schema; an existing file is only used when it is
// a sound database of this program in a folder where it can be written, and is never changed
// otherwise.
class DrillDatabase
{
public:
    // Why open() refused the file.
    enum class Problem
    {
        None,
        NotAFile,       // a folder or the like has the file's name
        NoAccess,       // the file itself cannot be read and written
        NotOurs,        // not a database of this program
        Newer,          // written by a newer version
        Damaged,        // the file's own check found damage; nothing was written
        InUse,          // another program holds it locked; nothing was changed
        FolderReadOnly, // its folder cannot be written, so no change could be stored
        CannotOpen,     // any other refusal of the database engine
        CannotCreate,   // there was no file, and none could be made
    };

    explicit DrillDatabase(QString filePath,
                           std::chrono::milliseconds busyTimeout = std::chrono::seconds(5));
    ~DrillDatabase();
    DrillDatabase(const DrillDatabase&) = delete;
    DrillDatabase& operator=(const DrillDatabase&) = delete;

    // Empty on success; otherwise a sentence for the user saying what is wrong with the file.
    // problem() then says which kind of refusal it was.
    QString open();
    Problem problem() const { return m_problem; }

    QSqlDatabase connection() const;
    const QString& filePath() const { return m_filePath; }

    // Runs the work in one transaction: committed when it returns true, rolled back otherwise.
    // When the transaction cannot begin or commit, the database's error goes to *failure.
    bool inTransaction(const std::function<bool()>& work, QSqlError* failure = nullptr);

    // Executes a prepared query; a failure is logged with the given context.
    static bool exec(QSqlQuery& query, const char* context);

private:
    QString create();
    QString checkExisting();
    QString checkContent();
    QString refuse(Problem problem, const QString& message);
    QString refuse(const QSqlError& error);

    QString m_filePath;
    QString m_connectionName;
    std::chrono::milliseconds m_busyTimeout;
    Problem m_problem = Problem::None;
};
