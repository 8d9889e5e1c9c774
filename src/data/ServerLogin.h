#pragma once

#include "data/DatabaseOpening.h"
#include "data/Dialect.h"

#include <memory>

// Logging in to a PostgreSQL server: the login, the check that the database is the program's
// (or empty, when the schema may be made), and the connection's own session.
class ServerLogin final : public DatabaseOpening
{
public:
    ServerLogin(const DatabaseLocation& location, const QString& connectionName,
                std::chrono::milliseconds busyTimeout);

    const Dialect& dialect() const override { return *m_dialect; }

    // Whether the server at the location takes a connection now, made under that name.
    static bool answers(const DatabaseLocation& location, const QString& connectionName,
                        std::chrono::milliseconds timeout);

private:
    QString connect(Creation creation) override;
    QString refuseError(const QSqlError& error) override;
    QString checkContent() override;

    QString checkServerContent(const QString& server, bool mayCreate);
    QString createOnServer(const QString& server);

    std::unique_ptr<Dialect> m_dialect;
};
