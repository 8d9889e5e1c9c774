// Eight users editing one year at the same moment on the server, each through a connection of
// its own, as threads of one program and as programs of their own. (A SQLite file serves one user:
// eight writers on it starve each other past any sensible busy timeout, which is why an office that
// grows moves to the server.)
#include "Engines.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "data/Schema.h"
#include "data/YearRows.h"

#include <QHash>
#include <QMap>
#include <QProcess>
#include <QSqlQuery>
#include <QTest>

#include <memory>
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

// What the writing programs were told, per field: the writes stored, as from -> to, and how
// many conflicts.
struct Told
{
    QHash<QString, QHash<QString, QString>> stored; // "id column" -> from -> to
    int conflicts = 0;
    QStringList failures;
};

void readReport(const QString& output, Told& told)
{
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList word = line.split(QLatin1Char(' '));
        if (word.first() == QLatin1String("stored") && word.size() == 5) {
            auto& field = told.stored[word.at(1) + u' ' + word.at(2)];
            if (field.contains(word.at(3)))
                told.failures << QStringLiteral("two writes replaced %1").arg(word.at(3));
            field.insert(word.at(3), word.at(4));
        } else if (word.first() == QLatin1String("conflict")) {
            ++told.conflicts;
        } else {
            told.failures << line;
        }
    }
}

QVariant scalar(const DrillDatabase& db, const QString& sql, const QVariant& value)
{
    QSqlQuery query(db.connection());
    query.prepare(sql);
    query.addBindValue(value);
    return query.exec() && query.next() ? query.value(0) : QVariant();
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

    // Eight programs write the same two fields of a few drills, each starting from the value it
    // last knew. Every stored write replaced exactly the value stored before it, so the writes
    // of each field form one unbroken chain ending in what the database holds; every write that
    // found a newer value was told so.
    void programsWritingTheSameFieldsLoseNoWriteInSilence()
    {
        Engines::FreshLocation fresh(QStringLiteral("postgresql"));
        QVERIFY2(fresh.failure().isEmpty(), qPrintable(fresh.failure()));
        DrillDatabase db(fresh.location());
        QCOMPARE(db.open(), QString());
        QSqlQuery query(db.connection());
        QVERIFY(query.exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES ('MV Alpha'), "
                                          "('MV Bravo'), ('MV Charlie')")));
        QCOMPARE(YearRows::addMissing(db, Year), 3);
        QStringList ids;
        QVERIFY(query.exec(QStringLiteral("SELECT IDDrill FROM Drills")));
        while (query.next())
            ids << query.value(0).toString();

        std::vector<std::unique_ptr<QProcess>> writers;
        for (int client = 0; client < Clients; ++client) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(QStringLiteral(DATA_CHILD),
                                  QStringList{QStringLiteral("swap"), fresh.location().display(),
                                              QString::number(client),
                                              QString::number(EditsPerClient)} +
                                      ids);
        }
        Told told;
        for (auto& writer : writers) {
            QVERIFY(writer->waitForFinished(120000));
            readReport(QString::fromUtf8(writer->readAllStandardOutput()), told);
        }
        QVERIFY2(told.failures.isEmpty(), qPrintable(told.failures.join(QLatin1Char('\n'))));
        QVERIFY(told.conflicts > 0); // the writers did meet

        int stored = 0;
        for (auto field = told.stored.cbegin(); field != told.stored.cend(); ++field) {
            const QStringList place = field.key().split(QLatin1Char(' '));
            const QString column = Schema::drillColumns().at(place.at(1).toInt());
            QString value = QStringLiteral("-");
            qsizetype length = 0;
            while (field->contains(value)) {
                value = field->value(value);
                ++length;
            }
            QCOMPARE(length, field->size());
            QCOMPARE(scalar(db,
                            QStringLiteral("SELECT %1 FROM Drills WHERE IDDrill = ?").arg(column),
                            place.at(0)),
                     QVariant(value));
            stored += int(length);
        }
        QCOMPARE(stored + told.conflicts, Clients * EditsPerClient);
    }
};

QTEST_GUILESS_MAIN(TestConcurrency)
#include "tst_concurrency.moc"
