#include "Engines.h"

#include "TestServer.h"

#include <QTest>

void Engines::addRows()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("sqlite") << QStringLiteral("sqlite");
    QTest::newRow("postgresql") << QStringLiteral("postgresql");
}

Engines::FreshLocation::FreshLocation(const QString& engine)
{
    if (engine == QLatin1String("sqlite")) {
        m_location = DatabaseLocation::file(m_dir.filePath(QStringLiteral("ORXmanager97.mdb")));
        return;
    }
    TestServer& server = TestServer::instance();
    m_failure = server.failure();
    if (m_failure.isEmpty())
        m_location = *DatabaseLocation::parse(server.createDatabase(), &m_failure);
}
