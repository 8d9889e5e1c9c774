// The program on a PostgreSQL server: windows and command line open it, reports read their
// tables there, several windows see each other's edits, and a lost connection costs no edit.
#include "DelayProxy.h"
#include "LoadedWindow.h"
#include "ProgramRun.h"
#include "TestServer.h"
#include "common/Clock.h"
#include "data/DrillDatabase.h"
#include "data/PrintEvalTable.h"
#include "data/YearClosure.h"
#include "data/YearRows.h"
#include "evaluation/DrillEvalReport.h"
#include "reports/ReportControl.h"
#include "reports/ReportPreview.h"
#include "widgets/Fonts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSqlError>
#include <QSqlQuery>
#include <QTableView>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>

#include <QElapsedTimer>
#include <qpa/qwindowsysteminterface.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <optional>
#include <thread>
#include <utility>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");
const QString Aaron = QStringLiteral("MV Aaron"); // sorts above the others

// A fleet of three on a new database of the test server, and a connection of "another user" to it.
struct ServerFleet
{
    ServerFleet()
        : url(TestServer::instance().createDatabase()),
          location(*DatabaseLocation::parse(url, nullptr)), other(location)
    {
        failure = other.open();
        if (failure.isEmpty() &&
            !(exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES "
                                  "('MV Alpha'), ('MV Bravo'), ('MV Charlie')")) &&
              YearRows::addMissing(other, 2026) == 3))
            failure = QStringLiteral("The fleet could not be made.");
    }

    bool exec(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery query(other.connection());
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        return query.exec();
    }

    // As a server restart does to every program but this test's own connection.
    bool dropOtherConnections()
    {
        return exec(QStringLiteral("SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                                   "datname = current_database() AND pid <> pg_backend_pid()"));
    }

    QVariant scalar(const QString& sql, const QVariantList& values = {})
    {
        QSqlQuery query(other.connection());
        query.prepare(sql);
        for (const QVariant& value : values)
            query.addBindValue(value);
        return query.exec() && query.next() ? query.value(0) : QVariant();
    }

    QVariant masterOf(const QString& ship)
    {
        return scalar(QStringLiteral("SELECT Master FROM Drills WHERE ShipName = ? AND "
                                     "YearDrill = 2026"),
                      {ship});
    }

    QString url;
    DatabaseLocation location;
    DrillDatabase other;
    QString failure;
};

// A program window on the server, with the report templates in its application folder.
// The test server reached through a proxy that delays each way by `delay`, as a far office is.
struct FarNetwork
{
    FarNetwork(const DatabaseLocation& near, std::chrono::milliseconds delay)
        : proxy(TestServer::instance().socketFolder() + QStringLiteral("/.s.PGSQL.5432"), delay),
          location(near)
    {
        location.host = QStringLiteral("127.0.0.1");
        location.port = proxy.port();
    }
    DelayProxy proxy;
    DatabaseLocation location;
};

struct ServerWindow : LoadedWindow
{
    explicit ServerWindow(const DatabaseLocation& location) : ServerWindow(QStringList())
    {
        database = location;
    }
    // The same window on a file of the given fleet.
    explicit ServerWindow(const QStringList& ships) : LoadedWindow(ships)
    {
        for (const char* name : {"Drills.rpt", "DrillEval.rpt"})
            QFile::copy(
                QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name)),
                QDir(fixture.folder()).filePath(QString::fromLatin1(name)));
    }

    // Clicks the cell and types into its edit box, leaving the box open.
    bool type(const QString& ship, DrillRecord::Column field, const QString& text) const
    {
        if (!clickCell(ship, field) || !box())
            return false;
        box()->clear();
        QTest::keyClicks(box(), text);
        return box() && box()->text() == text;
    }

    bool enter() const
    {
        if (!box())
            return false;
        QTest::keyClick(box(), Qt::Key_Return);
        return settle();
    }

    // The open edit box lies over the ship's cell, wherever that row is shown now.
    bool boxLiesOver(const QString& ship, DrillRecord::Column field) const
    {
        const QRect cell = grid()->cellRect(cellOf(ship, field));
        return box() &&
               QRect(box()->mapTo(grid(), QPoint(0, 0)), box()->size()).contains(cell.center());
    }

    // Chooses the same answer, by its button's index, for every question of the questionnaire.
    void answerEvery(int index) const
    {
        for (int question = 1; question <= 10; ++question)
            press(qPrintable(QStringLiteral("question%1_%2").arg(question).arg(index)));
    }

    // Opens the questionnaire of the ship's evaluation cell with the cell's button.
    bool openQuestionnaire(const QString& ship, DrillRecord::Column field) const
    {
        if (!clickCell(ship, field) || !pickButton())
            return false;
        QTest::mouseClick(pickButton(), Qt::LeftButton);
        return openedQuestionnaire() != nullptr;
    }
};

// The rows a preview offers as CSV.
QString previewCsv(const QString& folder)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* preview = qobject_cast<ReportPreview*>(widget);
        if (!preview || !preview->isVisible())
            continue;
        const QString csv = QDir(folder).filePath(QStringLiteral("preview.csv"));
        const bool written = preview->exportCsv(csv);
        preview->close();
        QFile file(csv);
        return written && file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll())
                                                         : QString();
    }
    return {};
}

int shownPreviews()
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    return int(std::count_if(windows.begin(), windows.end(), [](const QWidget* window) {
        return qobject_cast<const ReportPreview*>(window) && window->isVisible();
    }));
}

// The longest time the event loop was kept from a short repeating timer, from now on.
// A window that answers within a tenth of a second feels immediate; a looser bound than the
// ticker's own keeps a busy test machine's scheduling out of the verdict.
constexpr qint64 LongestStallMs = 100;

class EventGaps
{
public:
    EventGaps()
    {
        m_ticker.setInterval(5);
        QObject::connect(&m_ticker, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_sinceTick.restart()); });
        m_sinceTick.start();
        m_ticker.start();
    }
    qint64 longest() const { return m_longest; }

private:
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

// A user's input as the window system hands it over: queued, for the next turn of whichever
// event loop runs, as a window that waits gets it.
struct QueuedInput
{
    using Queued = QWindowSystemInterface::AsynchronousDelivery;

    void key(int key, const QString& text) const
    {
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease})
            QWindowSystemInterface::handleKeyEvent<Queued>(window, type, key, Qt::NoModifier, text);
    }
    void click(QPoint at) const
    {
        const QPoint global = window->mapToGlobal(at);
        QWindowSystemInterface::handleMouseEvent<Queued>(window, at, global, Qt::LeftButton,
                                                         Qt::LeftButton, QEvent::MouseButtonPress);
        QWindowSystemInterface::handleMouseEvent<Queued>(
            window, at, global, Qt::NoButton, Qt::LeftButton, QEvent::MouseButtonRelease);
    }
    void wheelDown(QPoint at) const
    {
        QWindowSystemInterface::handleWheelEvent(window, at, window->mapToGlobal(at), {},
                                                 QPoint(0, -120));
    }

    QWindow* window;
};

// The fleet of three in a window, on a file or on the server, and another user who locks its
// drills once it has loaded (on a file a write lock, on the server the table's), changes MV
// Bravo's master meanwhile, and commits on release().
struct LockedFleet
{
    // `extraShips` more after them, enough to scroll.
    explicit LockedFleet(bool onServer, int extraShips = 0)
        : onServer(onServer),
          window(onServer ? std::make_unique<ServerWindow>(fleet.location)
                          : std::make_unique<ServerWindow>(fileFleet(extraShips)))
    {
        if (onServer && extraShips > 0 &&
            !(fleet.exec(QStringLiteral("INSERT INTO Ships (ShipName) SELECT 'MV Extra ' || "
                                        "to_char(n, 'FM00') FROM generate_series(1, ?) n"),
                         {extraShips}) &&
              YearRows::addMissing(fleet.other, 2026) == extraShips))
            fleet.failure = QStringLiteral("The extra ships could not be made.");
    }
    static QStringList fileFleet(int extraShips)
    {
        QStringList ships{Alpha, Bravo, QStringLiteral("MV Charlie")};
        for (int extra = 1; extra <= extraShips; ++extra)
            ships << QStringLiteral("MV Extra %1").arg(extra, 2, 10, QLatin1Char('0'));
        return ships;
    }
    ~LockedFleet() { release(); }

    bool loadAndLock()
    {
        if (!fleet.failure.isEmpty() || !window->loadAndShow())
            return false;
        lock.emplace(other());
        held = onServer
                   ? lock->exec(QStringLiteral("BEGIN")) &&
                         lock->exec(QStringLiteral("LOCK TABLE Drills IN ACCESS EXCLUSIVE MODE"))
                   : lock->exec(QStringLiteral("BEGIN EXCLUSIVE"));
        return held && lock->exec(QStringLiteral("UPDATE Drills SET Master = 'By the holder' "
                                                 "WHERE ShipName = 'MV Bravo'"));
    }
    // On the server, the table as well; a file is locked whole.
    bool lockAlso(const QString& table)
    {
        return !onServer ||
               lock->exec(QStringLiteral("LOCK TABLE %1 IN ACCESS EXCLUSIVE MODE").arg(table));
    }
    QString scalar(const QString& sql) const
    {
        QSqlQuery query(other());
        return query.exec(sql) && query.next() ? query.value(0).toString() : QString();
    }
    void release()
    {
        if (std::exchange(held, false))
            lock->exec(QStringLiteral("COMMIT"));
    }
    // The ship's master of 2026, as the other user reads it.
    QString masterOf(const QString& ship) const
    {
        QSqlQuery query(other());
        query.prepare(
            QStringLiteral("SELECT Master FROM Drills WHERE ShipName = ? AND YearDrill = 2026"));
        query.addBindValue(ship);
        return query.exec() && query.next() ? query.value(0).toString() : QString();
    }
    QSqlDatabase other() const
    {
        return onServer ? fleet.other.connection() : window->fixture.db();
    }

    ServerFleet fleet;
    bool onServer;
    std::unique_ptr<ServerWindow> window;
    std::optional<QSqlQuery> lock;
    bool held = false;
};

} // namespace

class TestSharedServer : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        Fonts::installSubstitutes();
        QVERIFY2(TestServer::instance().failure().isEmpty(),
                 qPrintable(TestServer::instance().failure()));
    }
    void init() { Clock::setFixed(QDateTime(QDate(2026, 3, 1), QTime(8, 30, 15))); }
    void cleanup() { Clock::reset(); }

    void theWindowWorksOnTheServerAndNamesIt()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow w(fleet.location);
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.shipRows(), 3);
        QVERIFY(w.rowOf(Bravo) >= 0);
        // The first panel keeps its text; the database in use is in its tip, for all to read.
        const auto* panel = w.child<QLabel>("statusPanel1");
        QCOMPARE(panel->text(), QStringLiteral("HBQ ORX DRILL ORGANIZER"));
        QCOMPARE(panel->toolTip(), QStringLiteral("Database: ") + fleet.location.display());
        QCOMPARE(panel->accessibleDescription(), panel->toolTip());
        // A server's backups are the server's business: no copy of anything beside the program.
        QVERIFY(!QDir(w.fixture.folder()).exists(QStringLiteral("backups")));

        QVERIFY(w.type(Alpha, DrillRecord::Master, QStringLiteral("A. Master")));
        QVERIFY(w.enter());
        QCOMPARE(fleet.masterOf(Alpha), QVariant(QStringLiteral("A. Master")));
        // "Print Preview" reads the report table this window filled on its own connection.
        w.press("printPreviewButton");
        QString csv;
        QTRY_VERIFY(!(csv += previewCsv(w.fixture.folder())).isEmpty());
        QVERIFY2(csv.contains(QStringLiteral("MV Alpha")) &&
                     csv.contains(QStringLiteral("MV Bravo")) &&
                     csv.contains(QStringLiteral("A. Master")),
                 qPrintable(csv));
        QVERIFY(w.messages.shown.isEmpty());
    }

    void theEvaluationFormReadsTheConnectionsOwnTable()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        PrintEvalTable::Questionnaire questionnaire;
        questionnaire.company = QStringLiteral("Kostas' Lines");
        questionnaire.ship = QStringLiteral("MV Alpha");
        questionnaire.total = QStringLiteral("80");
        questionnaire.answers.fill(4);
        QVERIFY(PrintEvalTable::refill(fleet.other, questionnaire, Clock::now()));
        const QTemporaryDir folder;
        QFile::copy(
            QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("DrillEval.rpt")),
            QDir(folder.path()).filePath(QStringLiteral("DrillEval.rpt")));
        RecordingMessages messages;
        ReportControl control(messages);
        DrillEvalReport::prepare(control, fleet.other, folder.path());
        control.setDestination(ReportControl::Destination::File);
        const QString pdf = QDir(folder.path()).filePath(QStringLiteral("evaluation.pdf"));
        control.setPrintFileName(pdf);
        QVERIFY2(control.run(), qPrintable(messages.shown.value(0).text));
        QVERIFY(QFileInfo(pdf).size() > 0);
    }

    void theCommandLineExportsFromTheServerAndRefusesARestore()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        QVERIFY(fleet.exec(
            QStringLiteral("UPDATE Drills SET Master = 'B. Master' WHERE ShipName = 'MV Bravo'")));
        const QTemporaryDir folder;
        const QString csv = QDir(folder.path()).filePath(QStringLiteral("drills.csv"));
        const ProgramRun exported =
            ProgramRun::of(QStringLiteral(ORX_PROGRAM_FILE),
                           {QStringLiteral("--database"), fleet.url, QStringLiteral("--export-csv"),
                            QStringLiteral("2026"), csv});
        QVERIFY2(exported.exitCode == 0, qPrintable(exported.err));
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString rows = QString::fromUtf8(file.readAll());
        QVERIFY2(rows.contains(QStringLiteral("MV Alpha")) &&
                     rows.contains(QStringLiteral("B. Master")),
                 qPrintable(rows));

        const QString pdf = QDir(folder.path()).filePath(QStringLiteral("drills.pdf"));
        const ProgramRun printed =
            ProgramRun::of(QStringLiteral(ORX_PROGRAM_FILE),
                           {QStringLiteral("--database"), fleet.url, QStringLiteral("--export-pdf"),
                            QStringLiteral("2026"), pdf});
        QVERIFY2(printed.exitCode == 0, qPrintable(printed.err));
        QVERIFY(QFileInfo(pdf).size() > 0);

        const QString backup = QDir(folder.path()).filePath(QStringLiteral("backup.mdb"));
        QVERIFY(writeTestFile(backup, "not used"));
        const ProgramRun restored = ProgramRun::of(
            QStringLiteral(ORX_PROGRAM_FILE),
            {QStringLiteral("--database"), fleet.url, QStringLiteral("--restore"), backup});
        QCOMPARE(restored.exitCode, 1);
        QVERIFY2(restored.err.contains(QStringLiteral("on the server")) &&
                     restored.err.contains(QStringLiteral("Nothing was changed")),
                 qPrintable(restored.err));
        QCOMPARE(fleet.masterOf(QStringLiteral("MV Bravo")), QVariant(QStringLiteral("B. Master")));
    }

    void dueListsTheServersDrills()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        const QDate today = QDate::currentDate();
        QVERIFY(YearRows::addMissing(fleet.other, today.year()) >= 0);
        QVERIFY(fleet.exec(QStringLiteral("UPDATE Drills SET \"Drill Date\" = ? "
                                          "WHERE ShipName = 'MV Alpha' AND YearDrill = ?"),
                           {today.toString(Qt::ISODate), today.year()}));
        const ProgramRun run = ProgramRun::of(QStringLiteral(ORX_PROGRAM_FILE),
                                              {QStringLiteral("--database"), fleet.url,
                                               QStringLiteral("--due"), QStringLiteral("1")});
        QVERIFY2(run.exitCode == 3, qPrintable(run.err));
        const QStringList lines = run.out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7); // the counts, the drill due today, five without a date
        QVERIFY2(lines.at(1).contains(QLatin1String("MV Alpha")), qPrintable(lines.at(1)));
    }

    // A cron job pointed at an empty database leaves it empty, and says so.
    void anExportLeavesAnEmptyServerDatabaseEmpty()
    {
        const QString url = TestServer::instance().createDatabase();
        const QTemporaryDir folder;
        const QString csv = QDir(folder.path()).filePath(QStringLiteral("drills.csv"));
        const ProgramRun exported = ProgramRun::of(
            QStringLiteral(ORX_PROGRAM_FILE),
            {QStringLiteral("--database"), url, QStringLiteral("--export-csv"), "2026", csv});
        QCOMPARE(exported.exitCode, 1);
        QVERIFY2(exported.err.contains(QStringLiteral("empty")), qPrintable(exported.err));
        QVERIFY(!QFileInfo::exists(csv));
        QSqlDatabase direct = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), "direct");
        direct.setHostName(TestServer::instance().socketFolder());
        direct.setUserName(TestServer::user());
        direct.setDatabaseName(DatabaseLocation::parse(url, nullptr)->database);
        QVERIFY(direct.open());
        QSqlQuery objects(QStringLiteral("SELECT COUNT(*) FROM pg_class c JOIN pg_namespace n ON "
                                         "n.oid = c.relnamespace WHERE n.nspname = 'public'"),
                          direct);
        QVERIFY(objects.next());
        QCOMPARE(objects.value(0).toInt(), 0);
    }

    // Two users, two windows, one database: what one stores, the other shows within two
    // seconds, and the box the other is typing in stays open, with its text, on its drill.
    void anEditInOneWindowAppearsInTheOther()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow first(fleet.location);
        ServerWindow second(fleet.location);
        QVERIFY(first.loadAndShow());
        QVERIFY(second.loadAndShow());
        QVERIFY(second.type(Bravo, DrillRecord::Master, QStringLiteral("Half typed")));
        const QString typingIn = second.currentCell();
        QVERIFY2(typingIn.startsWith(Bravo + u'/'), qPrintable(typingIn));

        QVERIFY(first.type(Alpha, DrillRecord::Master, QStringLiteral("A. Master")));
        QVERIFY(first.enter());
        QTRY_COMPARE_WITH_TIMEOUT(second.cellText(Alpha, DrillRecord::Master),
                                  QStringLiteral("A. Master"), 2000);
        QVERIFY(second.box());
        QCOMPARE(second.box()->text(), QStringLiteral("Half typed"));
        QCOMPARE(second.currentCell(), typingIn);
        QVERIFY(second.boxLiesOver(Bravo, DrillRecord::Master));

        // A ship another user adds above moves Bravo's row down; box and cell go with it, in
        // the window without a box too.
        const int bravoRow = second.rowOf(Bravo);
        const QString firstAt = first.currentCell();
        QVERIFY(fleet.exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"), {Aaron}));
        QCOMPARE(YearRows::addMissing(fleet.other, 2026), 1);
        QTRY_COMPARE_WITH_TIMEOUT(second.rowOf(Aaron), 0, 2000);
        QCOMPARE(second.rowOf(Bravo), bravoRow + 1);
        QCOMPARE(second.currentCell(), typingIn);
        QTRY_COMPARE_WITH_TIMEOUT(first.rowOf(Aaron), 0, 2000);
        QCOMPARE(first.currentCell(), firstAt);
        QVERIFY(second.box());
        QCOMPARE(second.box()->text(), QStringLiteral("Half typed"));
        QVERIFY(second.boxLiesOver(Bravo, DrillRecord::Master));
        QVERIFY(second.enter());
        QCOMPARE(fleet.masterOf(Bravo), QVariant(QStringLiteral("Half typed")));
        QCOMPARE(fleet.masterOf(Alpha), QVariant(QStringLiteral("A. Master")));
        QVERIFY(first.messages.shown.isEmpty());
        QVERIFY(second.messages.shown.isEmpty());
    }

    // A has typed into a master cell without Enter when B stores the same cell. A's Enter does
    // not overwrite B's newer value unasked: A sees both and chooses. Both windows then show
    // the value chosen, and no click or Escape in either window sends anything again.
    void twoWindowsNeverUndoEachOthersEdits_data()
    {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("Yes: A's value") << true;
        QTest::newRow("No: B's value") << false;
    }
    void twoWindowsNeverUndoEachOthersEdits()
    {
        QFETCH(bool, overwrite);
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        // Every UPDATE sent counts, even one that changes no row.
        QSqlQuery counter(fleet.other.connection());
        for (const char* statement :
             {"CREATE TABLE Writes (Seen INTEGER)",
              "CREATE FUNCTION count_write() RETURNS trigger LANGUAGE plpgsql AS "
              "$$ BEGIN INSERT INTO Writes VALUES (1); RETURN NULL; END $$",
              "CREATE TRIGGER CountWrites AFTER UPDATE ON Drills FOR EACH STATEMENT "
              "EXECUTE FUNCTION count_write()"})
            QVERIFY2(counter.exec(QString::fromLatin1(statement)),
                     qPrintable(counter.lastError().text()));
        const auto writes = [&] {
            return fleet.scalar(QStringLiteral("SELECT COUNT(*) FROM Writes")).toInt();
        };
        ServerWindow a(fleet.location);
        ServerWindow b(fleet.location);
        QVERIFY(a.loadAndShow());
        QVERIFY(b.loadAndShow());
        const QString byA = QStringLiteral("Charlie by A");
        const QString byB = QStringLiteral("Charlie by B");
        QVERIFY(a.type(Alpha, DrillRecord::Master, byA));
        QVERIFY(b.type(Alpha, DrillRecord::Master, byB));
        QVERIFY(b.enter());
        QCOMPARE(fleet.masterOf(Alpha), QVariant(byB));
        // A's window reads B's value under the open box, which keeps A's text.
        QTRY_COMPARE_WITH_TIMEOUT(a.cellText(Alpha, DrillRecord::Master), byB, 2000);
        QVERIFY(a.box());
        QCOMPARE(a.box()->text(), byA);

        a.messages.answerYes = overwrite;
        QVERIFY(a.enter());
        QCOMPARE(a.messages.shown.size(), 1);
        QCOMPARE(a.messages.shown.first().icon, Messages::Icon::Question);
        QVERIFY(!a.messages.shown.first().yesFirst);
        for (const QString& value : {byA, byB})
            QVERIFY2(a.messages.shown.first().text.contains(value),
                     qPrintable(a.messages.shown.first().text));
        const QString kept = overwrite ? byA : byB;
        QCOMPARE(fleet.masterOf(Alpha), QVariant(kept));
        QCOMPARE(a.cellText(Alpha, DrillRecord::Master), kept);
        QTRY_COMPARE_WITH_TIMEOUT(b.cellText(Alpha, DrillRecord::Master), kept, 2000);

        const int written = writes();
        for (const ServerWindow* window : {&b, &a}) {
            QVERIFY(window->clickCell(Bravo, DrillRecord::Master));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
            QVERIFY(window->clickCell(Alpha, DrillRecord::DoneDate));
        }
        QTest::qWait(500); // time for any write to arrive, and its change to be read
        QCOMPARE(fleet.masterOf(Alpha), QVariant(kept));
        QCOMPARE(writes(), written);
        QCOMPARE(a.cellText(Alpha, DrillRecord::Master), kept);
        QCOMPARE(b.cellText(Alpha, DrillRecord::Master), kept);
        QVERIFY(b.messages.shown.isEmpty());
        QCOMPARE(a.messages.shown.size(), 1);
    }

    // A questionnaire opened for Bravo while another user adds a ship above it: the total
    // still goes to Bravo's drill, and the grid shows the new ship once the panel is closed.
    void aQuestionnaireKeepsItsDrillWhileOthersAddShips()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow w(fleet.location);
        QVERIFY(w.loadAndShow());
        QVERIFY(w.openQuestionnaire(Bravo, DrillRecord::CompEval1));
        QVERIFY(fleet.exec(QStringLiteral("INSERT INTO Ships (ShipName) VALUES (?)"), {Aaron}));
        QCOMPARE(YearRows::addMissing(fleet.other, 2026), 1);
        QTest::qWait(1500); // the change has arrived by now; the panel holds it back
        QCOMPARE(w.rowOf(Aaron), -1);
        for (int question = 1; question <= 10; ++question)
            w.press(qPrintable(QStringLiteral("question%1_4").arg(question)));
        w.press("confirmButton");
        QVERIFY(w.settle());
        QTRY_COMPARE_WITH_TIMEOUT(w.rowOf(Aaron), 0, 2000);
        const auto evaluationOf = [&](const QString& ship) {
            return fleet.scalar(QStringLiteral("SELECT CompEval1 FROM Drills WHERE ShipName = ?"),
                                {ship});
        };
        QCOMPARE(evaluationOf(Bravo).toString(), QStringLiteral("100"));
        QVERIFY(evaluationOf(Alpha).isNull());
        QVERIFY(evaluationOf(Aaron).isNull());
        QCOMPARE(w.cellText(Bravo, DrillRecord::CompEval1), QStringLiteral("100"));
        QVERIFY(w.messages.shown.isEmpty());
    }

    // The questionnaire's save on the server is one call over what it opened with: another
    // user's save meanwhile is shown and kept on No, and a drill deleted meanwhile gets no
    // answer rows.
    void aQuestionnaireIsOneChangeOnTheServer_data()
    {
        QTest::addColumn<bool>("deleted");
        QTest::addColumn<int>("rows"); // answer rows of the drill afterwards
        QTest::newRow("another's save, No") << false << 10;
        QTest::newRow("drill deleted") << true << 0;
    }
    void aQuestionnaireIsOneChangeOnTheServer()
    {
        QFETCH(bool, deleted);
        QFETCH(int, rows);
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow w(fleet.location);
        QVERIFY(w.loadAndShow());
        QVERIFY(w.openQuestionnaire(Bravo, DrillRecord::CompEval1));
        w.answerEvery(0);
        const QVariant drill =
            fleet.scalar(QStringLiteral("SELECT IDDrill FROM Drills WHERE ShipName = ?"), {Bravo});
        const QStringList meanwhile =
            deleted
                ? QStringList{QStringLiteral("DELETE FROM Evaluation WHERE IDDrill = ?"),
                              QStringLiteral("DELETE FROM Drills WHERE IDDrill = ?")}
                : QStringList{QStringLiteral("UPDATE Evaluation SET Ev15 = 1 WHERE IDDrill = ?"),
                              QStringLiteral("UPDATE Drills SET CompEval1 = '100' WHERE "
                                             "IDDrill = ?")};
        for (const QString& statement : meanwhile)
            QVERIFY(fleet.exec(statement, {drill}));
        w.press("confirmButton");
        QVERIFY(!w.child<QWidget>("evaluationPanel")->isVisible());
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown.first().text.contains(Bravo),
                 qPrintable(w.messages.shown.first().text));
        QCOMPARE(fleet
                     .scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation WHERE IDDrill = ? "
                                            "AND Ev15 = 1 AND Ev11 = 0"),
                             {drill})
                     .toInt(),
                 rows);
        QCOMPARE(fleet
                     .scalar(QStringLiteral("SELECT COUNT(*) FROM Evaluation WHERE IDDrill = ?"),
                             {drill})
                     .toInt(),
                 rows);
        if (!deleted)
            QCOMPARE(fleet
                         .scalar(QStringLiteral("SELECT CompEval1 FROM Drills WHERE IDDrill = ?"),
                                 {drill})
                         .toString(),
                     QStringLiteral("100"));
    }

    // The server drops the window's connection: the edit is refused and said so, stays in its
    // box, nothing of it is stored; the window connects again, and then stores it and sees
    // others' edits as before.
    void aLostConnectionCostsNoEdit()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow w(fleet.location);
        QVERIFY(w.loadAndShow());
        QVERIFY(fleet.dropOtherConnections());
        QVERIFY(w.type(Alpha, DrillRecord::Master, QStringLiteral("Kept Master")));
        QVERIFY(w.enter());
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown.first().text.contains(QStringLiteral("was lost")),
                 qPrintable(w.messages.shown.first().text));
        QVERIFY(w.boxLiesOver(Alpha, DrillRecord::Master));
        QCOMPARE(w.box()->text(), QStringLiteral("Kept Master"));
        QVERIFY(fleet.masterOf(Alpha).isNull());

        auto* reconnect = w.tickers[Ticker::Step::Reconnect];
        QTRY_VERIFY_WITH_TIMEOUT(!reconnect->isActive(), 10000);
        QVERIFY(w.enter());
        QCOMPARE(fleet.masterOf(Alpha), QVariant(QStringLiteral("Kept Master")));
        QCOMPARE(w.messages.shown.size(), 1);
        // Watching again: another user's edit arrives.
        QVERIFY(fleet.exec(
            QStringLiteral("UPDATE Drills SET Master = 'B. Master' WHERE ShipName = 'MV Bravo'")));
        QTRY_COMPARE_WITH_TIMEOUT(w.cellText(Bravo, DrillRecord::Master),
                                  QStringLiteral("B. Master"), 2000);
    }

    // A role granted only SELECT: the window says so once, with the role's name, offers no
    // editing and no Save, and still prints.
    void aRoleThatMayOnlyReadGetsAWindowThatOnlyReads()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        QSqlQuery admin(fleet.other.connection());
        admin.exec(QStringLiteral("CREATE ROLE orx_viewer LOGIN"));
        QVERIFY(admin.exec(
            QStringLiteral("GRANT SELECT ON ALL TABLES IN SCHEMA public TO orx_viewer")));
        DatabaseLocation asViewer = fleet.location;
        asViewer.user = QStringLiteral("orx_viewer");
        ServerWindow w(asViewer);
        QVERIFY(w.loadAndShow());
        QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.shown.value(0).text));
        const auto panels = w.window->findChildren<QLabel*>();
        QVERIFY(std::any_of(panels.begin(), panels.end(), [](const QLabel* panel) {
            return panel->text().contains(QStringLiteral("orx_viewer")) &&
                   panel->text().contains(QStringLiteral("Read only"));
        }));
        for (const char* save : {"saveCompanyButton", "saveFleetButton", "confirmButton"})
            QVERIFY(!w.child<QAbstractButton>(save)->isEnabled());
        // Typing into a cell changes nothing, and says nothing, however often.
        for (int attempt = 0; attempt < 3; ++attempt) {
            QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
            QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Nobody"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QVERIFY(w.settle());
        }
        QVERIFY(fleet.masterOf(Alpha).isNull());
        QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.shown.value(0).text));
        w.press("printPreviewButton");
        QString csv;
        QTRY_VERIFY(!(csv += previewCsv(w.fixture.folder())).isEmpty());
        QVERIFY(csv.contains(QStringLiteral("MV Bravo")));
        QVERIFY(w.messages.shown.isEmpty());
        // Nor does the fleet's list take a new name.
        w.press("fleetButton");
        auto* ships = w.child<QAbstractItemView>("shipGrid");
        ships->setCurrentIndex(ships->model()->index(0, 1));
        QTest::keyClicks(ships, QStringLiteral("Renamed"));
        QVERIFY(!ships->viewport()->findChild<QLineEdit*>());
    }

    // A planner's own tables named as the program's, searched before them by the server's
    // functions, would let a closed year change and the history record nothing.
    void aPlannersOwnTablesNeitherOpenAClosedYearNorHideAChange_data()
    {
        QTest::addColumn<QString>("planner");
        QTest::addColumn<QString>("decoys");
        const QString columns = QStringLiteral(
            "closedyears (yeardrill INTEGER); %1 history (changedat TEXT, changedby TEXT, "
            "tablename TEXT, recordid BIGINT, field TEXT, oldvalue TEXT, newvalue TEXT);");
        QTest::newRow("temporary tables")
            << "planner_temp"
            << QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ") +
                   columns.arg(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS"));
        QTest::newRow("a schema named after the owner")
            << "planner_schema"
            << QStringLiteral("CREATE SCHEMA IF NOT EXISTS %1; GRANT USAGE ON SCHEMA %1 TO PUBLIC; "
                              "CREATE TABLE IF NOT EXISTS %1.")
                       .arg(TestServer::user()) +
                   columns.arg(
                       QStringLiteral("CREATE TABLE IF NOT EXISTS %1.").arg(TestServer::user())) +
                   QStringLiteral("GRANT ALL ON ALL TABLES IN SCHEMA %1 TO PUBLIC;")
                       .arg(TestServer::user());
    }

    void aPlannersOwnTablesNeitherOpenAClosedYearNorHideAChange()
    {
        QFETCH(QString, planner);
        QFETCH(QString, decoys);
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        QSqlQuery admin(fleet.other.connection());
        for (const QString& grant :
             {QStringLiteral("CREATE ROLE %1 LOGIN"),
              QStringLiteral("GRANT CREATE ON DATABASE \"%2\" TO %1"),
              QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA "
                             "public TO %1"),
              QStringLiteral("INSERT INTO ClosedYears (YearDrill, ClosedAt, ClosedBy) VALUES "
                             "(2026, '2026-02-28', 'auditor')")})
            QVERIFY2(admin.exec(grant.arg(planner, fleet.location.database)), qPrintable(grant));
        const auto asPlanner = [&](const QString& sql) {
            return QProcess::execute(
                QStringLiteral("psql"),
                {QStringLiteral("-h"), TestServer::instance().socketFolder(), QStringLiteral("-U"),
                 planner, QStringLiteral("-d"), fleet.location.database, QStringLiteral("-v"),
                 QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("-qc"), decoys + sql});
        };
        QVERIFY(asPlanner(QStringLiteral("UPDATE Drills SET Master = 'Forged' WHERE YearDrill = "
                                         "2026")) != 0);
        QVERIFY(fleet.masterOf(Alpha).isNull());
        QCOMPARE(asPlanner(QStringLiteral("UPDATE Ships SET ShipName = 'MV Renamed' WHERE "
                                          "ShipName = 'MV Charlie'")),
                 0);
        QCOMPARE(
            fleet.scalar(QStringLiteral("SELECT ChangedBy FROM public.History WHERE NewValue = "
                                        "'MV Renamed'")),
            QVariant(planner));
        admin.exec(QStringLiteral("DROP SCHEMA IF EXISTS %1 CASCADE").arg(TestServer::user()));
        for (const QString& drop :
             {QStringLiteral("DROP OWNED BY %1"), QStringLiteral("DROP ROLE %1")})
            admin.exec(drop.arg(planner));
    }

    // The README's set-up of owner, planners and readers, run as it stands: a planner writes
    // and closes a year, a reader only reads, and neither can touch the history.
    void theReadmeRolesGiveEachTheRightsItDescribes()
    {
        QFile readme(QStringLiteral(ORX_SOURCE_DIR "/README.md"));
        QVERIFY(readme.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(readme.readAll());
        static const QRegularExpression block(QStringLiteral("```sql\n(.*?)```"),
                                              QRegularExpression::DotMatchesEverythingOption);
        QStringList scripts;
        for (const auto& match : block.globalMatch(text))
            scripts << match.captured(1);
        QCOMPARE(scripts.size(), 2); // the roles, then the rights on the program's tables
        // As a user runs it in psql: a meta-command such as \c needs a script, not -c.
        const auto psql = [](const QString& role, const QString& database, const QString& sql) {
            QTemporaryFile script;
            if (!script.open() || script.write(sql.toUtf8()) < 0 || !script.flush())
                return -1;
            return QProcess::execute(QStringLiteral("psql"),
                                     {QStringLiteral("-h"), TestServer::instance().socketFolder(),
                                      QStringLiteral("-U"), role, QStringLiteral("-d"), database,
                                      QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1"),
                                      QStringLiteral("-qf"), script.fileName()});
        };
        QCOMPARE(psql(TestServer::user(), QStringLiteral("postgres"), scripts.at(0)), 0);
        const auto as = [](const char* role) {
            DatabaseLocation location =
                *DatabaseLocation::parse(TestServer::instance().location("fleet"), nullptr);
            location.user = QLatin1String(role);
            return location;
        };
        QVERIFY(DrillDatabase(as("orx_owner")).open().isEmpty()); // the owner's first start
        QCOMPARE(psql(QStringLiteral("orx_owner"), QStringLiteral("postgres"), scripts.at(1)), 0);

        DrillDatabase planner(as("alice"));
        QCOMPARE(planner.open(), QString());
        QVERIFY(planner.writeRights().mayWrite);
        DrillDatabase reader(as("bob"));
        QCOMPARE(reader.open(), QString());
        QVERIFY(!reader.writeRights().mayWrite);
        const QString fleet = QStringLiteral("fleet");
        QCOMPARE(psql(QStringLiteral("alice"), fleet,
                      QStringLiteral("INSERT INTO Ships (ShipName) VALUES ('MV A'); INSERT INTO "
                                     "ClosedYears (YearDrill, ClosedAt, ClosedBy) VALUES (2025, "
                                     "'2026-01-05', 'alice')")),
                 0);
        for (const char* role : {"alice", "bob", "orx_owner"})
            QVERIFY2(psql(QLatin1String(role), fleet, QStringLiteral("DELETE FROM History")) != 0,
                     role);
        // As the README warns, the owner can still take the guards off.
        QCOMPARE(psql(QStringLiteral("orx_owner"), fleet,
                      QStringLiteral("ALTER TABLE History DISABLE TRIGGER USER; GRANT DELETE ON "
                                     "History TO orx_owner; DELETE FROM History")),
                 0);
    }

    // The server drops the connection of a window nobody is using: the window notices by
    // itself, says so once, marks the grid as not current, connects again, and shows others'
    // edits again; also when nobody is there to press OK, and then the box closes itself.
    void anIdleWindowNoticesALostConnectionAndReconnects_data()
    {
        QTest::addColumn<bool>("boxLeftOpen");
        QTest::newRow("OK pressed at once") << false;
        QTest::newRow("box left open") << true;
    }
    void anIdleWindowNoticesALostConnectionAndReconnects()
    {
        QFETCH(bool, boxLeftOpen);
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow w(fleet.location);
        QVERIFY(w.loadAndShow());
        if (boxLeftOpen)
            w.messages.whileShown = [&] {
                QVERIFY(QTest::qWaitFor([&] { return w.messages.withdrawn > 0; }, 15000));
            };
        QVERIFY(fleet.dropOtherConnections());
        QTRY_COMPARE_WITH_TIMEOUT(w.messages.shown.size(), 1, 15000);
        QVERIFY2(w.messages.shown.first().text.contains(QStringLiteral("was lost")),
                 qPrintable(w.messages.shown.first().text));
        QCOMPARE(w.messages.withdrawn, boxLeftOpen ? 1 : 0);
        QTRY_VERIFY_WITH_TIMEOUT(!w.tickers[Ticker::Step::Reconnect]->isActive(), 10000);
        const auto panels = w.window->findChildren<QLabel*>();
        QVERIFY(std::none_of(panels.begin(), panels.end(), [](const QLabel* panel) {
            return panel->text().contains(QStringLiteral("Not connected"));
        }));
        QVERIFY(fleet.exec(
            QStringLiteral("UPDATE Drills SET Master = 'B. Master' WHERE ShipName = 'MV Bravo'")));
        QTRY_COMPARE_WITH_TIMEOUT(w.cellText(Bravo, DrillRecord::Master),
                                  QStringLiteral("B. Master"), 2000);
        QCOMPARE(w.messages.shown.size(), 1);
    }

    // The company's name saved while the connection is gone: the user is told that the
    // connection was lost, and the name stays in its box.
    void aCompanyNameSavedDuringAnOutageIsKept()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow w(fleet.location);
        QVERIFY(w.loadAndShow());
        w.press("companyButton");
        auto* name = w.child<QLineEdit>("companyNameBox");
        name->clear();
        QTest::keyClicks(name, QStringLiteral("Kostas' Lines"));
        QVERIFY(fleet.dropOtherConnections());
        w.press("saveCompanyButton");
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown.first().text.contains(QStringLiteral("connection")) &&
                     w.messages.shown.first().text.contains(QStringLiteral("was lost")),
                 qPrintable(w.messages.shown.first().text));
        QVERIFY(name->isVisible());
        QCOMPARE(name->text(), QStringLiteral("Kostas' Lines"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.tickers[Ticker::Step::Reconnect]->isActive(), 10000);
        w.press("saveCompanyButton");
        QTRY_COMPARE(fleet.scalar(QStringLiteral("SELECT Name FROM Company")).toString(),
                     QStringLiteral("Kostas' Lines"));
    }

    // The questionnaire saved while the connection is gone: the same message as for every
    // other save, and the answers stay shown to be saved again.
    void aQuestionnaireSavedDuringAnOutageKeepsItsAnswers()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        ServerWindow w(fleet.location);
        QVERIFY(w.loadAndShow());
        QVERIFY(w.openQuestionnaire(Bravo, DrillRecord::CompEval1));
        w.answerEvery(4);
        QVERIFY(fleet.dropOtherConnections());
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(".*"));
        w.press("confirmButton");
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY2(w.messages.shown.first().text.contains(QStringLiteral("was lost")),
                 qPrintable(w.messages.shown.first().text));
        QVERIFY(w.child<QWidget>("evaluationPanel")->isVisible());
        QVERIFY(w.tickers[Ticker::Step::Reconnect]->isActive());
    }

    // Another user's script updates drills 200 times: the window stays answering throughout
    // and ends up showing the last values within two seconds. Far away, each burst of changes
    // costs one re-read of the changed drills: one round trip.
    void aBurstOfOthersEditsKeepsTheWindowAnswering_data()
    {
        QTest::addColumn<int>("extraShips");
        QTest::addColumn<int>("delay");
        QTest::addColumn<int>("mostRoundTrips");
        QTest::newRow("2000 ships near") << 2000 << 0 << -1;
        QTest::newRow("12 ships 25 ms away") << 9 << 25 << 10;
    }
    void aBurstOfOthersEditsKeepsTheWindowAnswering()
    {
        QFETCH(int, extraShips);
        QFETCH(int, delay);
        QFETCH(int, mostRoundTrips);
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        QVERIFY(fleet.exec(QStringLiteral("INSERT INTO Ships (ShipName) SELECT 'MV Extra ' || "
                                          "to_char(n, 'FM0000') FROM generate_series(1, ?) n"),
                           {extraShips}));
        QCOMPARE(YearRows::addMissing(fleet.other, 2026), extraShips);
        FarNetwork far(fleet.location, std::chrono::milliseconds(delay));
        DelayProxy& network = far.proxy;
        ServerWindow w(far.location);
        QVERIFY(w.loadAndShow());
        const QStringList ships =
            QStringList{Alpha, Bravo, QStringLiteral("MV Charlie")} +
            fleet
                .scalar(QStringLiteral("SELECT string_agg(ShipName, ',' ORDER BY ShipName) "
                                       "FROM (SELECT ShipName FROM Ships WHERE ShipName LIKE "
                                       "'MV Extra%' ORDER BY ShipName LIMIT 9) s"))
                .toString()
                .split(u',');
        QTest::qWait(300); // the window's own start-up questions are over
        const long long before = network.roundTrips();
        std::atomic_bool done{false};
        std::thread script([&] {
            DrillDatabase psql(fleet.location);
            if (psql.open().isEmpty()) {
                for (int n = 0; n < 200; ++n) {
                    QSqlQuery update(psql.connection());
                    update.prepare(
                        QStringLiteral("UPDATE Drills SET Master = ? WHERE ShipName = ?"));
                    update.addBindValue(QStringLiteral("Master %1").arg(n));
                    update.addBindValue(ships.at(n % ships.size()));
                    update.exec();
                }
            }
            done = true;
        });
        EventGaps gaps;
        const bool finished = QTest::qWaitFor([&] { return done.load(); }, 60000);
        script.join();
        QVERIFY(finished);
        const QString last = ships.at(199 % ships.size());
        QTRY_COMPARE_WITH_TIMEOUT(w.cellText(last, DrillRecord::Master),
                                  QStringLiteral("Master 199"), 2000);
        QTest::qWait(500);
        QCOMPARE(w.cellText(ships.at(198 % ships.size()), DrillRecord::Master),
                 QStringLiteral("Master 198"));
        const long long roundTrips = network.roundTrips() - before;
        if (mostRoundTrips >= 0)
            QVERIFY2(roundTrips <= mostRoundTrips, qPrintable(QString::number(roundTrips)));
        QVERIFY2(gaps.longest() <= LongestStallMs + 2 * delay,
                 qPrintable(QString::number(gaps.longest())));
    }

    // Another user holds a lock for 8 s, on the file or on the server, while this user asks for
    // the status report and the printed questionnaire, edits, opens the due list and steps the
    // year: the window answers all the while, says what waits, keeps the typed text, and does
    // what waited once the lock has ended.
    void aLockHeldElsewhereNeverStallsTheWindow_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::newRow("file") << false;
        QTest::newRow("server") << true;
    }
    void aLockHeldElsewhereNeverStallsTheWindow()
    {
        QFETCH(bool, onServer);
        LockedFleet locked(onServer);
        QVERIFY2(locked.loadAndLock(), qPrintable(locked.fleet.failure));
        ServerWindow& w = *locked.window;
        QTimer release;
        QObject::connect(&release, &QTimer::timeout, [&] { locked.release(); });
        release.start(8000);
        EventGaps gaps;
        QString waitingSaid;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout,
                         [&] { waitingSaid = w.child<QLabel>("statusPanel2")->text(); });
        look.setSingleShot(true);
        look.start(1000);
        w.press("printPreviewButton");
        QTRY_VERIFY(w.child<QLabel>("statusPanel2")->text().contains(u"status report"));
        w.press("printPreviewButton"); // once is enough
        w.press("evaluationFormButton");
        w.press("printFormButton");
        w.press("printFormButton");
        w.press("cancelFormButton");
        QVERIFY(w.type(Alpha, DrillRecord::Master, QStringLiteral("Under a lock")));
        QVERIFY(w.enter());
        QVERIFY2(waitingSaid.contains(QStringLiteral("Waiting for another user")),
                 qPrintable(waitingSaid));
        QVERIFY2(w.messages.shown.value(0).text.contains(QStringLiteral("still in its box")),
                 qPrintable(w.messages.shown.value(0).text));
        QCOMPARE(w.box()->text(), QStringLiteral("Under a lock"));
        w.press("dueDrillsButton");
        auto* counts = w.child<QLabel>("countsLabel");
        QTRY_VERIFY2(counts->text().contains(QStringLiteral("lock")), qPrintable(counts->text()));
        w.press("previousYearButton"); // stores the typed text in its year first
        QTRY_COMPARE_WITH_TIMEOUT(w.child<QLabel>("yearLabel")->text(),
                                  QStringLiteral("Year - 2025"), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(counts->text().startsWith(QStringLiteral("0 overdue")), 5000);
        QCOMPARE(locked.masterOf(Alpha), QStringLiteral("Under a lock"));
        // The questionnaire, and one status report of the year it was asked for, as the lock's
        // end left it.
        QTRY_COMPARE(shownPreviews(), 2);
        QTest::qWait(1100); // a second of either would have followed by now
        QCOMPARE(shownPreviews(), 2);
        QString report = previewCsv(w.fixture.folder());
        report += previewCsv(w.fixture.folder());
        QCOMPARE(report.count(QStringLiteral("MV Alpha")), 1);
        QVERIFY2(report.contains(QStringLiteral("By the holder")), qPrintable(report));
        QVERIFY2(gaps.longest() <= LongestStallMs, qPrintable(QString::number(gaps.longest())));
    }

    // A drill's questionnaire asked for under another user's lock opens once the lock has ended,
    // the window painting meanwhile; what the user typed at once answers it.
    void aQuestionnaireAskedForUnderALockOpensWhenItEnds_data()
    {
        aLockHeldElsewhereNeverStallsTheWindow_data();
    }
    void aQuestionnaireAskedForUnderALockOpensWhenItEnds()
    {
        QFETCH(bool, onServer);
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^QObject::")));
        LockedFleet locked(onServer);
        QVERIFY2(locked.loadAndLock(), qPrintable(locked.fleet.failure));
        ServerWindow& w = *locked.window;
        QTimer::singleShot(2000, [&] { locked.release(); });
        const EventGaps gaps;
        QElapsedTimer waited;
        waited.start();
        QVERIFY(w.clickCell(Alpha, DrillRecord::CompEval) && w.pickButton());
        const QueuedInput user{w.window->windowHandle()};
        user.click(w.pickButton()->mapTo(w.window.get(), w.pickButton()->rect().center()));
        user.key(Qt::Key_Space, QStringLiteral(" "));
        for (int step = 0; step < 4; ++step)
            user.key(Qt::Key_Right, QString());
        auto* status = w.child<QLabel>("statusPanel2");
        QTRY_VERIFY2(status->text().contains(u"questionnaire"), qPrintable(status->text()));
        QVERIFY(w.openedQuestionnaire());
        QVERIFY2(waited.elapsed() >= 1500, "it waited for the lock");
        QCOMPARE(w.child<QLabel>("shipLabel")->text(), Alpha);
        QTRY_VERIFY(w.child<QAbstractButton>("question1_4")->isChecked());
        QVERIFY(!status->text().contains(u"questionnaire"));
        QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.shown.value(0).text));
        QVERIFY2(gaps.longest() <= LongestStallMs, qPrintable(QString::number(gaps.longest())));
    }

    // The shown year closed while another user holds a lock on it: the window paints meanwhile
    // and says what waits, and the year is closed once the lock has ended; past the bound, the
    // user is told why it is not, after one wait.
    void aYearClosedUnderALockIsClosedWhenItEnds_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<int>("lockMs");
        QTest::newRow("file") << false << 2000;
        QTest::newRow("server") << true << 2000;
        QTest::newRow("server, past the bound") << true << 7000;
    }
    void aYearClosedUnderALockIsClosedWhenItEnds()
    {
        QFETCH(bool, onServer);
        QFETCH(int, lockMs);
        const bool closes = lockMs < DrillDataSource::lockWaitLimit().count();
        LockedFleet locked(onServer);
        QVERIFY2(locked.loadAndLock(), qPrintable(locked.fleet.failure));
        if (onServer)
            QVERIFY(locked.lock->exec(QStringLiteral("LOCK TABLE ClosedYears")));
        ServerWindow& w = *locked.window;
        QTimer::singleShot(lockMs, [&] { locked.release(); });
        const EventGaps gaps;
        QString waitingSaid;
        QTimer::singleShot(1000, [&] { waitingSaid = w.child<QLabel>("statusPanel2")->text(); });
        w.messages.answerYes = true;
        QElapsedTimer waited;
        waited.start();
        w.child<QAction>("ActCloseYear")->trigger(); // returns once the year is closed
        QVERIFY2(waitingSaid.contains(u"the year 2026"), qPrintable(waitingSaid));
        QCOMPARE(w.messages.shown.size(), closes ? 1 : 2); // the question, and why not
        if (!closes) {
            QVERIFY2(waited.elapsed() < lockMs, "one wait");
            const QString told = w.messages.shown.last().text;
            QVERIFY2(told.contains(u"could not be closed") && told.contains(u"another user"),
                     qPrintable(told));
            QTRY_VERIFY(!locked.held);
        }
        QSqlQuery closed(locked.other());
        QVERIFY(
            closed.exec(QStringLiteral("SELECT COUNT(*) FROM ClosedYears WHERE YearDrill = 2026")));
        QVERIFY(closed.next());
        QCOMPARE(closed.value(0).toInt(), closes ? 1 : 0);
        QCOMPARE(w.child<QLabel>("yearLabel")->toolTip().isEmpty(), !closes);
        QVERIFY2(gaps.longest() <= LongestStallMs, qPrintable(QString::number(gaps.longest())));
    }

    // While an edit's store waits for another user's lock, the wheel scrolls the grid at once;
    // keys and clicks wait for the store, then do what they do, in their order, none lost.
    void inputWhileAStoreWaitsFollowsIt_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<QString>("input");
        for (const bool onServer : {false, true}) {
            const char* where = onServer ? "server" : "file";
            QTest::addRow("%s: the wheel", where) << onServer << "wheel";
            QTest::addRow("%s: typing on, and Enter again", where) << onServer << "keys";
            QTest::addRow("%s: a click on another cell", where) << onServer << "click";
        }
    }
    void inputWhileAStoreWaitsFollowsIt()
    {
        QFETCH(bool, onServer);
        QFETCH(QString, input);
        // Qt's complaints about an object, as one used after it is gone gives.
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^QObject::")));
        LockedFleet locked(onServer, 40);
        QVERIFY2(locked.loadAndLock(), qPrintable(locked.fleet.failure));
        ServerWindow& w = *locked.window;
        QTimer::singleShot(2000, [&] { locked.release(); });
        // MV Bravo is the one the other user changes.
        const QString charlie = QStringLiteral("MV Charlie");
        QVERIFY(w.type(charlie, DrillRecord::Master, QStringLiteral("Under a lock")));
        const QueuedInput user{w.window->windowHandle()};
        const auto inWindow = [&](QPoint inGrid) {
            return w.grid()->mapTo(w.window.get(), inGrid);
        };
        QTimer::singleShot(300, [&] {
            if (input == QLatin1String("wheel"))
                user.wheelDown(inWindow(w.grid()->viewport()->geometry().center()));
            if (input == QLatin1String("keys")) {
                user.key(Qt::Key_X, QStringLiteral("x"));
                user.key(Qt::Key_Y, QStringLiteral("y"));
                user.key(Qt::Key_Return, QStringLiteral("\r"));
            }
            if (input == QLatin1String("click"))
                user.click(
                    inWindow(w.grid()->cellRect(w.cellOf(Alpha, DrillRecord::Master)).center()));
        });
        int scrolled = -1;
        QTimer::singleShot(1000, [&] { scrolled = w.grid()->verticalScrollBar()->value(); });
        QTest::keyClick(w.box(), Qt::Key_Return); // returns once the store is over
        QCOMPARE(locked.masterOf(charlie), QStringLiteral("Under a lock"));
        if (input == QLatin1String("wheel"))
            QVERIFY2(scrolled > 0, qPrintable(QString::number(scrolled)));
        if (input == QLatin1String("keys"))
            QTRY_COMPARE(locked.masterOf(QStringLiteral("MV Extra 01")), QStringLiteral("xy"));
        if (input == QLatin1String("click")) {
            QTRY_VERIFY(w.boxLiesOver(Alpha, DrillRecord::Master));
            QCOMPARE(w.box()->text(), QString());
        }
        QTest::qWait(200);
        QCOMPARE(locked.masterOf(charlie), QStringLiteral("Under a lock"));
        QVERIFY2(w.messages.shown.isEmpty(), qPrintable(w.messages.shown.value(0).text));
    }

    // A panel's Save under another user's lock waits with the window answering, and the
    // status line saying what waits; a lock that ends within the bound sees the value stored,
    // one that outlasts it the message, and the typed text kept in its open panel. Keys typed
    // meanwhile follow the write.
    void aPanelSaveUnderALockNeverStallsTheWindow_data()
    {
        QTest::addColumn<bool>("onServer");
        QTest::addColumn<QString>("save");
        QTest::addColumn<int>("lockMs");
        QTest::addColumn<QString>("typedOn");
        for (const bool onServer : {false, true}) {
            const char* where = onServer ? "server" : "file";
            for (const char* save : {"company name", "ship rename", "new ship", "ship deletion"}) {
                QTest::addRow("%s: %s, the lock ends", where, save)
                    << onServer << save << 2000 << QString();
                QTest::addRow("%s: %s, the lock outlasts the bound", where, save)
                    << onServer << save << 7000 << QString();
            }
            QTest::addRow("%s: new ship, the next typed on meanwhile", where)
                << onServer << "new ship" << 2000 << "Next\r";
        }
    }
    void aPanelSaveUnderALockNeverStallsTheWindow()
    {
        QFETCH(bool, onServer);
        QFETCH(QString, save);
        QFETCH(int, lockMs);
        QFETCH(QString, typedOn);
        const bool stored = lockMs < 5000;
        const bool company = save == QLatin1String("company name");
        const bool deletion = save == QLatin1String("ship deletion");
        const QString typed = deletion ? Alpha : QStringLiteral("Under a lock");
        LockedFleet locked(onServer);
        QVERIFY2(locked.loadAndLock(), qPrintable(locked.fleet.failure));
        QVERIFY(locked.lockAlso(company ? QStringLiteral("Company") : QStringLiteral("Ships")));
        ServerWindow& w = *locked.window;
        w.press(company ? "companyButton" : "fleetButton");
        auto* box = w.child<QLineEdit>("companyNameBox");
        auto* ships = w.child<QTableView>("shipGrid");
        const int row = save == QLatin1String("new ship") ? 3 : 0;
        if (company) {
            box->clear();
            QTest::keyClicks(box, typed);
        } else if (deletion) {
            ships->selectRow(row); // as its record selector does
        } else {
            ships->setCurrentIndex(ships->model()->index(row, 1));
            QTest::keyClick(ships, Qt::Key_F2);
            auto* editor = ships->viewport()->findChild<QLineEdit*>();
            QVERIFY(editor);
            editor->selectAll();
            QTest::keyClicks(editor, typed);
        }
        QTimer release;
        QObject::connect(&release, &QTimer::timeout, [&] { locked.release(); });
        release.start(lockMs);
        QString waitingSaid;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout,
                         [&] { waitingSaid = w.child<QLabel>("statusPanel2")->text(); });
        look.start(1000);
        const QueuedInput user{w.window->windowHandle()};
        QTimer::singleShot(300, w.window.get(), [&] {
            for (const QChar key : typedOn)
                user.key(key == u'\r' ? int(Qt::Key_Return) : key.toUpper().unicode(), key);
        });
        EventGaps gaps;
        if (company)
            w.press("saveCompanyButton");
        else
            QTest::keyClick(QApplication::focusWidget(),
                            deletion ? Qt::Key_Delete : Qt::Key_Return);
        QTest::qWait(10); // the gap up to now is measured at the ticker's next turn
        QVERIFY2(gaps.longest() <= LongestStallMs, qPrintable(QString::number(gaps.longest())));
        const QString waits = company    ? QStringLiteral("company name")
                              : deletion ? QStringLiteral("deletion")
                                         : typed;
        QVERIFY2(waitingSaid.contains(waits), qPrintable(waitingSaid));
        QVERIFY(!w.child<QLabel>("statusPanel2")->text().contains(u"Waiting"));
        QCOMPARE(w.messages.shown.size(), stored ? 0 : 1);
        QVERIFY(stored || w.messages.shown.first().text.contains(u"could not be"));
        QVERIFY(stored || !company || w.messages.shown.first().text.contains(typed));
        QCOMPARE(box->isVisible(), company && !stored);
        const QAbstractItemModel* list = ships->model();
        const bool listed = !list->match(list->index(0, 1), Qt::DisplayRole, typed).isEmpty();
        QCOMPARE(company ? box->text() == typed : listed, !deletion || !stored);
        locked.release();
        const QString sql = company ? QStringLiteral("SELECT Name FROM Company")
                                    : QStringLiteral("SELECT COUNT(*) FROM Ships WHERE "
                                                     "ShipName = '%1'")
                                          .arg(typed);
        QCOMPARE(locked.scalar(sql),
                 company ? (stored ? typed : QString()) : QString::number(stored != deletion));
        if (!typedOn.isEmpty())
            QTRY_COMPARE(locked.scalar(QStringLiteral("SELECT COUNT(*) FROM Ships WHERE "
                                                      "ShipName = 'Next'")),
                         QStringLiteral("1"));
    }

    // A year step held up by another user's lock: Escape keeps the year shown, gives the read up
    // at once, and the grid takes edits as before.
    void escapeKeepsTheShownYearWhileALockHoldsUpTheNext_data()
    {
        aLockHeldElsewhereNeverStallsTheWindow_data();
    }
    void escapeKeepsTheShownYearWhileALockHoldsUpTheNext()
    {
        QFETCH(bool, onServer);
        LockedFleet locked(onServer);
        QVERIFY2(locked.loadAndLock(), qPrintable(locked.fleet.failure));
        ServerWindow& w = *locked.window;
        QTest::mouseClick(w.child<QAbstractButton>("previousYearButton"), Qt::LeftButton);
        QTRY_VERIFY(w.child<QLabel>("statusPanel2")->text().contains(QStringLiteral("2025")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(!QGuiApplication::overrideCursor());
        // The read given up holds up nothing that follows: the due list tells of the lock at once.
        w.press("dueDrillsButton");
        QTRY_VERIFY_WITH_TIMEOUT(w.child<QLabel>("countsLabel")->text().contains(u"lock"), 1500);
        locked.release();
        // The read given up ends, and what the other user changed arrives all the same.
        QTRY_COMPARE_WITH_TIMEOUT(w.cellText(Bravo, DrillRecord::Master),
                                  QStringLiteral("By the holder"), 2000);
        QCOMPARE(w.child<QLabel>("yearLabel")->text(), QStringLiteral("Year - 2026"));
        QCOMPARE(w.shipRows(), 3);
        QVERIFY(w.type(Alpha, DrillRecord::Master, QStringLiteral("After the lock")));
        QVERIFY(w.enter());
        QCOMPARE(locked.masterOf(Alpha), QStringLiteral("After the lock"));
        QVERIFY(w.messages.shown.isEmpty());
    }

    // Far from the server, a request of the window costs as few round trips as it can: an
    // edit one, a step to a year two (its drills, and whether it is closed), whether the year
    // has its rows or they are made on the way, and an edit box opening none: whether the year
    // is closed came with the year, and comes again when another user closes it.
    void aRequestCostsItsFewestRoundTrips_data()
    {
        QTest::addColumn<QString>("request");
        QTest::addColumn<bool>("rowsMade");        // the next year's, before the request
        QTest::addColumn<bool>("closedByAnother"); // the shown year, before the request
        QTest::addColumn<long long>("roundTrips");
        QTest::newRow("an edit") << "edit" << true << false << 1LL;
        QTest::newRow("a year step") << "year step" << true << false << 2LL;
        QTest::newRow("a year step that makes the rows") << "year step" << false << false << 2LL;
        QTest::newRow("an edit box opening") << "box" << true << false << 0LL;
        QTest::newRow("a box opening in a year another user closed meanwhile")
            << "box" << true << true << 0LL;
    }
    void aRequestCostsItsFewestRoundTrips()
    {
        QFETCH(QString, request);
        QFETCH(bool, rowsMade);
        QFETCH(bool, closedByAnother);
        QFETCH(long long, roundTrips);
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        if (rowsMade)
            QCOMPARE(YearRows::addMissing(fleet.other, 2025), 3);
        FarNetwork far(fleet.location, std::chrono::milliseconds(25));
        ServerWindow w(far.location);
        QVERIFY(w.loadAndShow());
        // The first edit makes the connection's statement; from then on it is used.
        QVERIFY(w.type(Bravo, DrillRecord::Master, QStringLiteral("First")));
        QVERIFY(w.enter());
        if (closedByAnother) {
            QCOMPARE(YearClosure::close(fleet.other, 2026, 2026), YearClosure::Outcome::Done);
            QTRY_VERIFY_WITH_TIMEOUT(
                w.child<QLabel>("yearLabel")->text().contains(QStringLiteral("Closed on")), 2000);
        }
        QTest::qWait(300);                             // what the window was told is read
        w.tickers[Ticker::Step::ServerAlive]->start(); // its next question is five seconds away
        const long long before = far.proxy.roundTrips();
        if (request == QLatin1String("year step")) {
            w.press("previousYearButton");
            QVERIFY(w.settle());
            QCOMPARE(w.child<QLabel>("yearLabel")->text(), QStringLiteral("Year - 2025"));
            QCOMPARE(w.shipRows(), 3);
        } else if (request == QLatin1String("edit")) {
            QVERIFY(w.type(Alpha, DrillRecord::Master, QStringLiteral("One trip")));
            QVERIFY(w.enter());
            QCOMPARE(fleet.masterOf(Alpha), QVariant(QStringLiteral("One trip")));
        } else {
            QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
            QCOMPARE(w.box() != nullptr, !closedByAnother);
        }
        QTest::qWait(300); // nothing follows
        QCOMPARE(far.proxy.roundTrips() - before, roundTrips);
        QCOMPARE(w.messages.shown.size(), closedByAnother ? 1 : 0);
    }

    // The server's network goes quiet: the window notices, and while it tries to connect
    // again, a server that does not answer at all never holds the window up.
    void aServerThatDoesNotAnswerNeverFreezesTheWindow()
    {
        ServerFleet fleet;
        QVERIFY2(fleet.failure.isEmpty(), qPrintable(fleet.failure));
        FarNetwork far(fleet.location, std::chrono::milliseconds(0));
        DelayProxy& network = far.proxy;
        ServerWindow w(far.location);
        QVERIFY(w.loadAndShow());
        EventGaps gaps;
        network.setSilent(true);
        QTRY_COMPARE_WITH_TIMEOUT(w.messages.shown.size(), 1, 15000);
        QTest::qWait(8000); // long enough for an attempt to wait out its connect timeout
        QVERIFY2(gaps.longest() <= LongestStallMs, qPrintable(QString::number(gaps.longest())));
        network.setSilent(false);
        QTRY_VERIFY_WITH_TIMEOUT(!w.tickers[Ticker::Step::Reconnect]->isActive(), 15000);
        QVERIFY(w.type(Alpha, DrillRecord::Master, QStringLiteral("Back again")));
        QVERIFY(w.enter());
        QCOMPARE(fleet.masterOf(Alpha), QVariant(QStringLiteral("Back again")));
    }
};

QTEST_MAIN(TestSharedServer)
#include "tst_sharedserver.moc"
