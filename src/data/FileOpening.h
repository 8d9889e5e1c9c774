#pragma once

#include "data/DatabaseOpening.h"
#include "data/Dialect.h"

#include <memory>

class FileUseLock;

// Opening a SQLite file: marked as in use while it is open, checked for damage, made when it is
// missing, copied before an upgrade. A file that is not a sound database of the program, or
// lies where it cannot be written, is never changed.
class FileOpening final : public DatabaseOpening
{
public:
    FileOpening(const DatabaseLocation& location, const QString& connectionName,
                std::chrono::milliseconds busyTimeout, DrillDatabase::UseMark mark);
    ~FileOpening() override;

    const Dialect& dialect() const override { return *m_dialect; }

private:
    QString connect(Creation creation) override;
    QString refuseError(const QSqlError& error) override;
    QString checkContent() override;

    const QString& filePath() const { return location().filePath; }
    QString markInUse();
    QString create();
    QString checkExisting();
    QString checkContentRead(int& version);

    std::unique_ptr<Dialect> m_dialect;
    DrillDatabase::UseMark m_mark;
    std::unique_ptr<FileUseLock> m_useLock;
};
