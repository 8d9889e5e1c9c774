#include "data/Dialect.h"

#include <QSqlDatabase>

const Dialect& Dialect::of(Engine engine)
{
    static const std::unique_ptr<const Dialect> file = sqlite();
    static const std::unique_ptr<const Dialect> server = postgres();
    switch (engine) {
    case Engine::Postgres:
        return *server;
    case Engine::Sqlite:
        break;
    }
    return *file;
}

const Dialect& Dialect::of(const QSqlDatabase& db)
{
    const Dialect& server = of(Engine::Postgres);
    return db.driverName() == server.driver() ? server : of(Engine::Sqlite);
}

namespace {

const QString FunctionWrapper = QStringLiteral("DO $orx$ BEGIN EXECUTE replace(");

} // namespace

QString Dialect::inProgramSchema(const QString& createFunction)
{
    // The schema is the one the tables are made in, so its name is the server's to give.
    return FunctionWrapper + QStringLiteral("$fn$%1$fn$, '%2', quote_ident(current_schema())); "
                                            "END $orx$")
                                 .arg(createFunction, QLatin1String(ServerSchema));
}

bool Dialect::makesFunction(const QString& statement)
{
    return statement.startsWith(FunctionWrapper);
}

QString Dialect::programName(const QString& databaseName, const QStringList& programNames)
{
    for (const QString& name : programNames) {
        if (name.compare(databaseName, Qt::CaseInsensitive) == 0)
            return name;
    }
    return databaseName;
}

QString Dialect::plainReason(const QString& nativeErrorCode)
{
    // SQLite's SQLITE_FULL has no extended codes; the others are PostgreSQL's (SQLSTATE).
    if (nativeErrorCode == QLatin1String("13") || nativeErrorCode == QLatin1String("53100"))
        return QStringLiteral("the disk that holds the database is full: free some space on it, "
                              "then try again");
    if (nativeErrorCode == QLatin1String("57014"))
        return QStringLiteral("the server stopped the work because it took too long: try again "
                              "in a moment, and if it happens again, tell whoever looks after the "
                              "server");
    if (nativeErrorCode == QLatin1String("53200"))
        return QStringLiteral("the server ran out of memory: try again in a moment, and if it "
                              "happens again, tell whoever looks after the server");
    return {};
}
