#pragma once

#include "data/DatabaseLocation.h"

#include <QString>
#include <QTemporaryDir>

// Data-layer tests run once per engine: a SQLite file, and a database on the test server.
namespace Engines {

// Adds the column "engine" and a row for each engine.
void addRows();

// A location where nothing exists yet: a file path in a temporary folder, or a new empty
// database on the test server (started on first use).
class FreshLocation
{
public:
    explicit FreshLocation(const QString& engine);
    // Empty when the location could be made; otherwise why not.
    QString failure() const { return m_failure; }
    const DatabaseLocation& location() const { return m_location; }

private:
    QTemporaryDir m_dir;
    DatabaseLocation m_location;
    QString m_failure;
};

} // namespace Engines

// In a test with an "engine" column: a fresh database location on that engine, named `name`.
#define FRESH_LOCATION(name)                                                                       \
    QFETCH(QString, engine);                                                                       \
    Engines::FreshLocation name(engine);                                                           \
    QVERIFY2(name.failure().isEmpty(), qPrintable(name.failure()))

// Opens a DrillDatabase, failing the test with the reason when it cannot.
#define OPEN(db)                                                                                   \
    do {                                                                                           \
        const QString failure = (db).open();                                                       \
        QVERIFY2(failure.isEmpty(), qPrintable(failure));                                          \
    } while (false)
