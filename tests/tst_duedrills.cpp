// The due drills: which drills the list holds on a given day, the window that lists them and
// jumps to one in the grid, and the desktop notification on a bus of the test's own.
#include "Engines.h"
#include "LoadedWindow.h"
#include "ProgramRun.h"
#include "data/DrillDatabase.h"
#include "data/DueDrills.h"
#include "due/DueDrillsWindow.h"
#include "due/DueNotifier.h"
#include "reports/ReportPreview.h"

#include <QDBusConnection>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QSqlQuery>
#include <QTableWidget>
#include <QTemporaryDir>

namespace {

using Group = DueDrill::Group;
const QDate Today(2026, 6, 15);

// A drill row of a ship: drill 1 and drill 2, each scheduled and done ("" for none).
struct Row
{
    QString ship;
    int year;
    QString scheduled, done, scheduled1, done1;
};

bool insert(const QSqlDatabase& db, const QList<Row>& rows)
{
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", \"Done Date\", Master, "
        "\"Drill Date1\", \"Done Date1\") VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    int ship = 0;
    for (const Row& row : rows) {
        for (const QVariant& value :
             QVariantList{++ship, row.ship, row.year, row.scheduled, row.done,
                          QStringLiteral("Master of ") + row.ship, row.scheduled1, row.done1})
            query.addBindValue(value);
        if (!query.exec())
            return false;
    }
    return true;
}

// The fleet the window tests open, as the office keeps it in mid-June 2026.
const QList<Row> Fleet = {
    {QStringLiteral("MV Alpha"), 2026, "2026-06-01", "", "", ""},
    {QStringLiteral("MV Bravo"), 2026, "", "", "2026-06-20", ""},
    {QStringLiteral("MV Charlie"), 2026, "2026-09-01", "", "2026-03-01", "2026-03-01"},
};

// The desktop's notification service, as a test stands it up on its own bus.
class FakeNotifications : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    QStringList bodies;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString&, const QString& body,
                const QStringList&, const QVariantMap&, int)
    {
        bodies.append(body);
        return uint(bodies.size());
    }
};

} // namespace

class TestDueDrills : public QObject
{
    Q_OBJECT

    QProcess m_bus;
    FakeNotifications m_service;

    bool offerNotifications(bool offered)
    {
        QDBusConnection connection(QStringLiteral("fake-notifications"));
        const QString name = QStringLiteral("org.freedesktop.Notifications");
        return offered ? connection.registerService(name) : connection.unregisterService(name);
    }

private slots:
    void initTestCase()
    {
        setTheTestDay();
        // A session bus of this test alone: a desktop's own notifications never see the tests.
        m_bus.start(QStringLiteral("dbus-daemon"),
                    {"--session", "--nofork", "--nopidfile", "--print-address=1"});
        QVERIFY2(m_bus.waitForReadyRead(10000), "dbus-daemon did not start");
        const QByteArray address = m_bus.readLine().trimmed();
        qputenv("DBUS_SESSION_BUS_ADDRESS", address);
        QDBusConnection service = QDBusConnection::connectToBus(
            QString::fromUtf8(address), QStringLiteral("fake-notifications"));
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &m_service,
                                       QDBusConnection::ExportAllSlots));
        QVERIFY(offerNotifications(true));
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-notifications"));
        m_bus.kill();
        m_bus.waitForFinished();
    }

    void theListHoldsWhatIsOverdueDueOrUnscheduled_data() { Engines::addRows(); }

    void theListHoldsWhatIsOverdueDueOrUnscheduled()
    {
        QFETCH(QString, engine);
        Engines::FreshLocation location(engine);
        QVERIFY2(location.failure().isEmpty(), qPrintable(location.failure()));
        DrillDatabase db(location.location());
        QCOMPARE(db.open(), QString());
        const QString later = QStringLiteral("2026-12-01");
        QVERIFY(insert(
            db.connection(),
            {
                {"Due today", 2026, "2026-06-15", "", later, ""},
                {"Overdue since yesterday", 2026, "2026-06-14", "", later, ""},
                {"The thirtieth day ahead", 2026, "2026-07-15", "", later, ""},
                {"The thirty-first day ahead", 2026, "2026-07-16", "", later, ""},
                {"Done yesterday", 2026, "2026-06-20", "2026-06-14", later, ""},
                {"Scheduled in the past and done", 2026, "2026-03-01", "2026-03-02", later, ""},
                {"Never scheduled", 2026, "", "", later, ""},
                {"Second drill overdue", 2026, "2026-02-01", "2026-02-01", "2026-05-30", ""},
                {"Overdue last year", 2025, "2025-06-01", "", later, ""},
                {"January", 2026, "2026-01-10", "", later, ""},
            }));
        const auto list = DueDrills::read(db, 2026, Today, 30);
        QVERIFY(list);
        QStringList listed;
        for (const DueDrill& drill : list->drills())
            listed << QStringLiteral("%1 %2 %3 %4")
                          .arg(int(drill.group))
                          .arg(drill.scheduled.stored(), drill.shipName)
                          .arg(drill.drill);
        const QStringList expected = {
            "0 2026-01-10 January 0",
            "0 2026-05-30 Second drill overdue 1",
            "0 2026-06-14 Overdue since yesterday 0",
            "1 2026-06-15 Due today 0",
            "1 2026-07-15 The thirtieth day ahead 0",
            "2  Never scheduled 0",
        };
        QCOMPARE(listed, expected);
        QCOMPARE(list->drills().first().master, QStringLiteral("Master of January"));
        QCOMPARE(list->count(Group::Overdue), 3);
        QVERIFY(list->needsAction());
    }

    void aChosenDrillBecomesTheGridsCurrentCell_data()
    {
        QTest::addColumn<bool>("byDoubleClick");
        QTest::newRow("Enter") << false;
        QTest::newRow("double click") << true;
    }

    void aChosenDrillBecomesTheGridsCurrentCell()
    {
        QFETCH(bool, byDoubleClick);
        LoadedWindow w;
        QVERIFY(insert(w.fixture.db(), Fleet));
        QVERIFY(w.loadAndShow());
        w.grid()->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::ControlModifier);
        QTRY_VERIFY(w.child<DueDrillsWindow>("DueDrillsWindow") &&
                    w.child<DueDrillsWindow>("DueDrillsWindow")->isVisible());
        auto* due = w.child<DueDrillsWindow>("DueDrillsWindow");
        QTRY_VERIFY(!due->findChild<QLabel*>("countsLabel")->text().isEmpty()); // read by now
        const QString counts = due->findChild<QLabel*>("countsLabel")->text();
        for (const char* count :
             {"1 overdue", "1 due today or in the next 30 days", "2 not scheduled"})
            QVERIFY2(counts.contains(QLatin1String(count)), qPrintable(counts));

        // The second line is MV Bravo's second drill, due in five days.
        auto* list = due->findChild<QTableWidget*>("dueGrid");
        QApplication::setActiveWindow(due);
        list->setFocus();
        QTest::keyClick(list, Qt::Key_Down);
        if (byDoubleClick) {
            // A double click arrives as a click, then the second press as a double click.
            const QPoint line = list->visualItemRect(list->item(1, 0)).center();
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, line);
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, line);
        } else {
            QTest::keyClick(list, Qt::Key_Return);
        }
        QVERIFY(!due->isVisible());
        QCOMPARE(w.currentCell(), QStringLiteral("MV Bravo/Scheduled Date/Drill No 2"));
        QCOMPARE(w.window->focusWidget(), w.grid());
    }

    // Also when it was opened while another program held the file: it says so, and lists
    // the drills once the lock ends.
    void theWindowFollowsOtherUsersChanges_data()
    {
        QTest::addColumn<bool>("lockedAtOpening");
        QTest::newRow("opened freely") << false;
        QTest::newRow("opened under a lock") << true;
    }
    void theWindowFollowsOtherUsersChanges()
    {
        QFETCH(bool, lockedAtOpening);
        LoadedWindow w;
        QVERIFY(insert(w.fixture.db(), Fleet));
        QVERIFY(w.loadAndShow());
        QSqlQuery lock(w.fixture.db());
        if (lockedAtOpening)
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        w.press("dueDrillsButton");
        auto* due = w.child<DueDrillsWindow>("DueDrillsWindow");
        QVERIFY(due && due->isVisible());
        auto* counts = due->findChild<QLabel*>("countsLabel");
        if (lockedAtOpening) {
            QTRY_VERIFY2(counts->text().contains(QLatin1String("lock")),
                         qPrintable(counts->text()));
            QVERIFY(lock.exec(QStringLiteral("COMMIT")));
        }
        QTRY_VERIFY2(counts->text().startsWith(QLatin1String("1 overdue")),
                     qPrintable(counts->text()));
        QVERIFY(w.messages.shown.isEmpty());
        // Another user marks MV Alpha's drill done.
        w.fixture.exec(QStringLiteral("UPDATE Drills SET \"Done Date\" = '2026-06-14' "
                                      "WHERE ShipName = 'MV Alpha'"));
        QTRY_VERIFY2(counts->text().startsWith(QLatin1String("0 overdue")),
                     qPrintable(counts->text()));
        QCOMPARE(due->findChild<QTableWidget*>("dueGrid")->rowCount(), 3);
    }

    void theListPrintsAndExportsAsCsv()
    {
        LoadedWindow w;
        QList<Row> fleet = Fleet;
        fleet[0].ship = QStringLiteral("=HYPERLINK(\"x\")"); // a name a spreadsheet would run
        QVERIFY(insert(w.fixture.db(), fleet));
        QVERIFY(w.loadAndShow());
        w.press("dueDrillsButton");
        auto* due = w.child<DueDrillsWindow>("DueDrillsWindow");
        QTRY_VERIFY(due->findChild<QPushButton*>("printFormButton")->isEnabled());
        QTest::mouseClick(due->findChild<QPushButton*>("printFormButton"), Qt::LeftButton);
        auto* preview = w.child<ReportPreview>("ReportPreview");
        QVERIFY(preview);
        const QString pdf = w.fixture.folder() + QStringLiteral("/due.pdf");
        const QString csv = w.fixture.folder() + QStringLiteral("/due.csv");
        QVERIFY(preview->exportPdf(pdf) && preview->exportCsv(csv));
        const QString text =
            ProgramRun::of(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}).out;
        for (const char* expected : {"MV Bravo", "Drill No 2", "1 overdue"})
            QVERIFY2(text.contains(QLatin1String(expected)), qPrintable(text));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
        QVERIFY2(lines.value(1).contains(QLatin1String("'=HYPERLINK")), qPrintable(lines.value(1)));
        QCOMPARE(lines.size(), 6); // a header, four drills and the end of the last line
    }

    // Told once a day per user: again on the next day, never twice on one, never without need.
    void theNotificationComesOnceADay()
    {
        setTheTestDay();
        Fixture fixture;
        QVERIFY(insert(fixture.db(), Fleet));
        DrillDatabase db(fixture.databasePath());
        QCOMPARE(db.open(), QString());
        QTemporaryDir config;
        // The user's config folder may not hold the program's folder yet.
        const QString state = config.filePath(QStringLiteral("orx/due.conf"));
        m_service.bodies.clear();

        KeptTickers tickers;
        DueNotifier first(db, state, tickers);
        first.start();
        QTRY_COMPARE(m_service.bodies.size(), 1);
        QVERIFY2(m_service.bodies.first().startsWith(QLatin1String("1 overdue, 1 due")),
                 qPrintable(m_service.bodies.first()));
        QTRY_COMPARE(QSettings(state, QSettings::IniFormat).allKeys().size(), 1);

        // A second start the same day is silent; one for another user, whose file is new, is
        // not, and comes after whatever the second would have sent.
        DueNotifier second(db, state);
        second.start();
        DueNotifier otherUser(db, config.filePath(QStringLiteral("other.conf")));
        otherUser.start();
        QTRY_COMPARE(m_service.bodies.size(), 2);

        // The next morning, while the program runs.
        Clock::setFixed(QDateTime(Today.addDays(1), QTime(8, 0)));
        QVERIFY(tickers[Ticker::Step::DueDay]->isActive());
        tickers.fire(Ticker::Step::DueDay);
        QTRY_COMPARE(m_service.bodies.size(), 3);
        setTheTestDay();
    }

    void nothingIsToldWithoutNeedOrWithoutAService()
    {
        setTheTestDay();
        Fixture fixture;
        QVERIFY(insert(fixture.db(), {{"MV Later", 2026, "2026-09-01", "", "", ""}}));
        DrillDatabase db(fixture.databasePath());
        QCOMPARE(db.open(), QString());
        QTemporaryDir config;
        m_service.bodies.clear();
        DueNotifier nothingDue(db, config.filePath(QStringLiteral("a.conf")));
        nothingDue.start();

        fixture.exec(QStringLiteral("UPDATE Drills SET \"Drill Date\" = '2026-06-01'"));
        QVERIFY(offerNotifications(false));
        const QString state = config.filePath(QStringLiteral("b.conf"));
        DueNotifier noService(db, state);
        noService.start();
        QTRY_VERIFY(noService.findChildren<QObject*>().size() == 1); // only its day timer
        QVERIFY(offerNotifications(true));
        // Nothing was told without the service, so the day is still to be told.
        DueNotifier later(db, state);
        later.start();
        QTRY_COMPARE(m_service.bodies.size(), 1);
    }
};

QTEST_MAIN(TestDueDrills)
#include "tst_duedrills.moc"
