// Eight users editing one year at the same moment on the server, each through a connection of
// its own. (A SQLite file serves one user: eight writers on it starve each other past any
// sensible busy timeout, which is why an office that grows moves to the server.)
#include "Engines.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/YearRows.h"

#include <QHash>
#include <QMap>
#include <QSqlQuery>
#include <QTest>

#include <random>
#include <thread>

namespace {

constexpr int Clients = 8;
constexpr int EditsPerClient = 250;
constexpr int Ships = 40;
constexpr int Year = 2026;

// What one user's program did: the last value the database acknowledged per drill row, and
// every refusal it was told of.
struct ClientLog
{
    QMap<qint64, QString> lastWritten;
    QStringList failures;
};

// Each user edits one field of the drill rows (user 0 the first scheduled date, user 7 the
// second master), so every row is edited by all of them at once and each field's last value
// is known. Reads of the whole year run between the edits, as the window's refreshes do.
ClientLog runClient(const DatabaseLocation& location, const QList<qint64>& rows, int client)
{
    ClientLog log;
    DrillDatabase db(location);
    if (const QString failure = db.open(); !failure.isEmpty()) {
        log.failures << failure;
        return log;
    }
    DrillDataSource year(db);
    year.setYear(Year);
    if (!year.refresh()) {
        log.failures << QStringLiteral("reading the year: %1").arg(year.failure().text);
        return log;
    }
    QHash<qint64, int> indexOf; // where each drill row stands in the year as read
    for (int index = 0; index < year.recordCount(); ++index)
        indexOf.insert(year.records().at(index).idDrill, index);
    const auto column = DrillDataSource::Column(DrillDataSource::DrillDate + client);
    const bool isDate =
        column == DrillDataSource::DrillDate || column == DrillDataSource::DoneDate ||
        column == DrillDataSource::DrillDate1 || column == DrillDataSource::DoneDate1;
    std::mt19937 random(client + 1);
    std::uniform_int_distribution<qsizetype> pick(0, rows.size() - 1);
    for (int edit = 0; edit < EditsPerClient; ++edit) {
        const qint64 row = rows.at(pick(random));
        const QString value = isDate ? QDate(Year, 1, 1).addDays(edit).toString(Qt::ISODate)
                                     : QStringLiteral("O'Client %1 edit %2").arg(client).arg(edit);
        const auto result =
            year.write(DrillChange::of(year.records().at(indexOf.value(row)), column, value));
        if (result.stored())
            log.lastWritten[row] = value;
        else
            log.failures << result.failure.text;
        if (edit % 25 == 0 && (!year.refresh() || year.recordCount() != Ships))
            log.failures << QStringLiteral("reading the year: %1").arg(year.failure().text);
    }
    return log;
}

} // namespace

class TestConcurrency : public QObject
{
    Q_OBJECT

private slots:
    void everyAcknowledgedEditOfEightUsersIsKept()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase db(fresh.location());
        QCOMPARE(db.open(), QString());
        QVERIFY(db.inTransaction([&] {
            QSqlQuery query(db.connection());
            query.prepare(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"));
            for (int ship = 1; ship <= Ships; ++ship) {
                query.addBindValue(QStringLiteral("MV Ship %1").arg(ship));
                if (!query.exec())
                    return false;
            }
            return true;
        }));
        QCOMPARE(YearRows::addMissing(db, Year), Ships);
        QList<qint64> rows;
        QSqlQuery ids(QStringLiteral("SELECT IDDrill FROM Drills"), db.connection());
        while (ids.next())
            rows << ids.value(0).toLongLong();

        QList<ClientLog> logs(Clients);
        std::vector<std::thread> clients;
        for (int client = 0; client < Clients; ++client)
            clients.emplace_back(
                [&, client] { logs[client] = runClient(fresh.location(), rows, client); });
        for (std::thread& client : clients)
            client.join();

        for (int client = 0; client < Clients; ++client) {
            const ClientLog& log = logs.at(client);
            QVERIFY2(log.failures.isEmpty(), qPrintable(log.failures.join(QLatin1Char('\n'))));
            const int column = DrillDataSource::DrillDate + client;
            QSqlQuery stored(db.connection());
            for (const qint64 row : rows) {
                stored.prepare(QStringLiteral("SELECT * FROM QuDrills WHERE IDDrill = ?"));
                stored.addBindValue(row);
                QVERIFY(stored.exec() && stored.next());
                // A row this user never touched still has the field empty.
                QCOMPARE(stored.value(column).toString(), log.lastWritten.value(row));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
