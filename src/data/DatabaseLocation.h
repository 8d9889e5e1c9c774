#pragma once

#include <QString>

#include <optional>

// Where the drill data lives: a SQLite file, or a database on a PostgreSQL server.
// A password is never part of a location: libpq finds it in ~/.pgpass or PGPASSWORD, so the
// program never holds or stores one.
struct DatabaseLocation
{
    enum class Engine
    {
        Sqlite,
        Postgres
    };

    Engine engine = Engine::Sqlite;
    QString filePath; // SQLite
    // PostgreSQL; empty parts (and port 0) leave libpq's defaults. A host starting with "/" is
    // the folder of the server's socket.
    QString host;
    int port = 0;
    QString user;
    QString database;

    static DatabaseLocation file(const QString& path);

    // A file, opened where it lies; otherwise a database a server is asked for.
    bool isFile() const { return engine == Engine::Sqlite; }

    // Reads what a user writes for a location: libpq's URL form
    // postgresql://[user@][host][:port][/database][?host=/socket/folder&port=N&user=U&dbname=D],
    // its key=value form ("host=... dbname=..."), or else a file path.
    // Nothing, with *problem saying why, when the text names a server but cannot be used.
    static std::optional<DatabaseLocation> parse(const QString& text, QString* problem);

    // How the program names the place to the user: the file path, or the server's URL
    // without any secret.
    QString display() const;
};
