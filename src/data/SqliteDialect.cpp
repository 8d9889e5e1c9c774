#include "data/Dialect.h"

#include <algorithm>

namespace {

// A SQLite file: one writer at a time, no roles, no functions of the program's own.
class SqliteDialect final : public Dialect
{
public:
    QString driver() const override { return QStringLiteral("QSQLITE"); }

    bool keepsOwnBackups() const override { return false; }
    bool keepsHistoryItself() const override { return false; }
    bool hasFunctions() const override { return false; }
    bool reportTablesPerConnection() const override { return false; }
    bool announcesChanges() const override { return false; }
    bool autoKeyWritesCounter() const override { return true; }

    QString autoKey() const override { return QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT"); }

    QString appendOnlyKey() const override
    {
        // A new row's key, the highest plus one, is never one used before while no row is deleted;
        // AUTOINCREMENT would write its counter too, one more page with every insert.
        return QStringLiteral("INTEGER PRIMARY KEY");
    }

    QString rowOrderColumn() const override
    {
        // Every table has rowid already.
        return {};
    }

    QString scratchTable() const override { return QStringLiteral("TABLE"); }

    QString nameOrder(const QString& column) const override { return column; }

    QString keyCounterPast(const QString&, const QString&) const override { return {}; }

    QString sameValue() const override { return QStringLiteral("IS"); }

    QString inBoundList(const QString& column) const override
    {
        return QStringLiteral("%1 IN (SELECT value FROM json_each(?))").arg(column);
    }

    QString listObjects() const override
    {
        return QStringLiteral("SELECT name FROM sqlite_master WHERE type IN ('table', 'view') "
                              "AND name NOT LIKE 'sqlite%'");
    }

    QString catalogueName(const QString& table) const override { return table; }

    QString schemaLock() const override { return {}; }

    QString lockWait(std::chrono::milliseconds wait) const override
    {
        return QStringLiteral("PRAGMA busy_timeout = %1").arg(std::max<qint64>(0, wait.count()));
    }

    QStringList waitLimits(std::chrono::milliseconds) const override { return {}; }

    bool isWaitExceeded(const QString& nativeErrorCode) const override
    {
        // Busy, locked (extended codes keep the primary one in their low byte).
        const int sqliteCode = nativeErrorCode.toInt() & 0xff;
        return sqliteCode == 5 || sqliteCode == 6;
    }

    QString writeRights() const override { return {}; }

    QStringList changeSignals() const override { return {}; }

    QStringList versionRecord() const override { return {}; }

    QStringList versionObjects() const override { return {}; }

    QString setVersion(int version) const override
    {
        return QStringLiteral("PRAGMA user_version = %1").arg(version);
    }

    QString readVersion() const override { return QStringLiteral("PRAGMA user_version"); }

    QString triggerTable(const QString& table) const override { return table; }

    QString refusal(const char* message) const override
    {
        return QStringLiteral("SELECT RAISE(ABORT, '%1');").arg(QLatin1String(message));
    }

    QString currentUser() const override
    {
        // The login name each connection of the program keeps for itself.
        return QStringLiteral("(SELECT Who FROM orx_session)");
    }

    QString utcNow() const override
    {
        return QStringLiteral("strftime('%Y-%m-%dT%H:%M:%fZ', 'now')");
    }
};

} // namespace

std::unique_ptr<Dialect> Dialect::sqlite()
{
    return std::make_unique<SqliteDialect>();
}
