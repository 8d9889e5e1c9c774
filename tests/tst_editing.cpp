// Editing drill cells in place, as a user does it: click, type, Enter, pick, click elsewhere.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "data/DrillDataSource.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");

class EditingWindow : public LoadedWindow
{
public:
    EditingWindow() : LoadedWindow({Alpha, Bravo}) {}

    bool open() { return loadAndShow(); }

    // Types into the open box, over its text, as a user does after a click.
    void type(const QString& text, bool enter = true)
    {
        QLineEdit* typing = box();
        QVERIFY(typing);
        typing->selectAll();
        QTest::keyClicks(typing, text);
        if (enter)
            QTest::keyClick(typing, Qt::Key_Return);
    }

    QVariant field(const QString& ship, const QString& name) const
    {
        return fixture.scalar(
            QStringLiteral("SELECT \"%1\" FROM Drills WHERE ShipName = ?").arg(name), {ship});
    }
};

using C = DrillRecord::Column;

} // namespace

class TestEditing : public QObject
{
    Q_OBJECT

private slots:
    void init() { setTheTestDay(); }
    void cleanup() { Clock::reset(); }

    // The cell shows the stored date in the user's short form, as every other date is shown.
    void aTypedDateIsStoredInItsRowAndShownAsStored()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::DoneDate));
        QVERIFY(w.box());
        QVERIFY(w.pickButton());
        QVERIFY(w.box()->hasFocus());
        w.type(QStringLiteral("12/05/2020"));
        QVERIFY(!w.box());
        QTRY_COMPARE(w.field(Alpha, "Done Date").toString(), QStringLiteral("2020-12-05"));
        QVERIFY(w.field(Bravo, "Done Date").isNull());
        QVERIFY(w.field(Alpha, "Drill Date").isNull());
        QCOMPARE(w.cellText(Alpha, DrillRecord::DoneDate), DateText::toShort(QDate(2020, 12, 5)));
        QVERIFY(w.messages.shown.isEmpty());
        // Done now: the drill turns green.
        QCOMPARE(w.cellColour(Alpha, C::Master), QColor(0x00, 0xC0, 0x00));
    }

    // A refused date changes nothing: neither the stored date nor the cell.
    void aMistypedDateIsRefusedWithTheMessage_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<Qt::Key>("key");
        QTest::newRow("no such month") << "en_US"
                                       << "31/31/2026" << Qt::Key_Return;
        QTest::newRow("no such month, Tab") << "en_US"
                                            << "31/31/2026" << Qt::Key_Tab;
        QTest::newRow("negative year") << "en_US"
                                       << "7/1/-2020" << Qt::Key_Return;
        QTest::newRow("long form, negative year") << "en_US"
                                                  << "Wednesday, July 1, -2020" << Qt::Key_Return;
        QTest::newRow("year 1") << "en_US"
                                << "1/1/0001" << Qt::Key_Return;
        QTest::newRow("de negative year") << "de_DE"
                                          << "01.07.-2020" << Qt::Key_Return;
        QTest::newRow("ja negative year") << "ja_JP"
                                          << "-2020/07/01" << Qt::Key_Return;
    }
    void aMistypedDateIsRefusedWithTheMessage()
    {
        QFETCH(QString, locale);
        QFETCH(QString, typed);
        QFETCH(Qt::Key, key);
        QLocale::setDefault(QLocale(locale));
        EditingWindow w;
        QVERIFY(w.open());
        w.fixture.exec(QStringLiteral("UPDATE Drills SET \"Drill Date1\" = '2026-07-01'"));
        w.reloadYear();
        QVERIFY(w.clickCell(Bravo, C::DrillDate1));
        w.type(typed, false);
        QTest::keyClick(w.box(), key);
        QTRY_COMPARE(w.messages.shown.size(), 1);
        const auto& shown = w.messages.shown.first();
        QCOMPARE(shown.icon, Messages::Icon::Critical);
        QCOMPARE(shown.title, QStringLiteral("Error input data ... "));
        QCOMPARE(shown.text, QStringLiteral("Error No 13 - Type mismatch. The %1 is not a "
                                            "valid date ! Please, try again.")
                                 .arg(typed));
        QCOMPARE(w.field(Bravo, "Drill Date1").toString(), QStringLiteral("2026-07-01"));
        QCOMPARE(w.cellText(Bravo, C::DrillDate1), DateText::toShort(QDate(2026, 7, 1)));
        QVERIFY(w.box());
        QCOMPARE(w.box()->text(), typed);
        QCOMPARE(w.grid()->currentIndex(), w.cellOf(Bravo, C::DrillDate1));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void aMastersNameNeedsNoDateAndKeepsItsApostrophe()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::Master1));
        QVERIFY(w.box());
        QVERIFY(!w.pickButton());
        w.type(QStringLiteral("Sean O'Brien"));
        QTRY_COMPARE(w.field(Alpha, "Master1").toString(), QStringLiteral("Sean O'Brien"));
        QCOMPARE(w.cellText(Alpha, C::Master1), QStringLiteral("Sean O'Brien"));
        QVERIFY(w.messages.shown.isEmpty());
    }

    void clickingAnotherCellStoresWhatWasTyped()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::Master));
        w.type(QStringLiteral("J. Smith"), false);
        QVERIFY(w.clickCell(Bravo, C::ShipName)); // no box, but the previous cell is written
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("J. Smith"));
        QVERIFY(!w.box());
        QVERIFY(!w.pickButton());
        QCOMPARE(w.currentCell(), QStringLiteral("MV Bravo/Ship Name/"));
    }

    void anEmptyBoxClearsNothing()
    {
        EditingWindow w;
        QVERIFY(w.open());
        w.fixture.exec(QStringLiteral("UPDATE Drills SET Master = 'Kept'"));
        w.reloadYear();
        QVERIFY(w.settle());
        QVERIFY(w.clickCell(Alpha, C::Master));
        QCOMPARE(w.box()->text(), QStringLiteral("Kept"));
        QTest::keyClick(w.box(), Qt::Key_Backspace); // the text is selected
        QTest::keyClick(w.box(), Qt::Key_Return);
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("Kept"));
        QCOMPARE(w.cellText(Alpha, C::Master), QStringLiteral("Kept"));
    }

    void anEvaluationCellOffersOnlyItsButton()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::CompEval));
        QVERIFY(!w.box());
        QVERIFY(w.pickButton());
        const QRect cell = w.grid()->cellRect(w.cellOf(Alpha, C::CompEval));
        const QRect button(w.pickButton()->mapTo(w.grid(), QPoint(0, 0)), w.pickButton()->size());
        QCOMPARE(button.right(), cell.right());
    }

    void theEditBoxLiesOverTheClickedCell()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Bravo, C::DoneDate1));
        const QRect cell = w.grid()->cellRect(w.cellOf(Bravo, C::DoneDate1));
        const QRect box(w.box()->mapTo(w.grid(), QPoint(0, 0)), w.box()->size());
        QCOMPARE(box.x(), cell.x());
        QVERIFY(box.width() >= cell.width());
        QVERIFY(qAbs(box.y() - cell.y()) <= 3);
        QCOMPARE(w.pickButton()->mapTo(w.grid(), QPoint(0, 0)).y(), box.y());
        // The widest date shows whole, its year clear of the button.
        const QString widest = DateText::toShort(QDate(2026, 12, 28));
        w.box()->setText(widest);
        w.box()->end(false);
        const int middle = w.box()->height() / 2;
        const int buttonLeft = w.pickButton()->x() - w.box()->x(); // side by side in the editor
        QCOMPARE(w.box()->cursorPositionAt(QPoint(3, middle)), 0);
        QCOMPARE(w.box()->cursorPositionAt(QPoint(buttonLeft - 1, middle)), widest.size());
    }

    void aPickedDateIsWrittenAndACancelLeavesTheBox()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::DrillDate));
        w.type(QStringLiteral("6/20/2026"), false);
        // Cancel: the picker closes without a day; the box is written as it stands.
        QTimer::singleShot(0, [] {
            if (auto* picker = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                picker->reject();
        });
        QTest::mouseClick(w.pickButton(), Qt::LeftButton);
        QTRY_COMPARE(w.field(Alpha, "Drill Date").toString(), QStringLiteral("2026-06-20"));

        // A pick: the picker hands back a date text, which is written. From 15 June: three
        // months back, a week back, three days back.
        QVERIFY(w.clickCell(Alpha, C::DrillDate));
        QTimer::singleShot(0, [] {
            if (auto* picker = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                for (const Qt::Key key :
                     {Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_PageUp, Qt::Key_Up, Qt::Key_Left,
                      Qt::Key_Left, Qt::Key_Left, Qt::Key_Return})
                    QTest::keyClick(picker->focusWidget(), key);
            }
        });
        QTest::mouseClick(w.pickButton(), Qt::LeftButton);
        QTRY_COMPARE(w.field(Alpha, "Drill Date").toString(), QStringLiteral("2026-03-05"));
        QCOMPARE(w.cellText(Alpha, C::DrillDate), DateText::toShort(QDate(2026, 3, 5)));
    }

    // Clicking through cells without changing them stores nothing; a change stores its one
    // field of its one row and gives that row its colours at once.
    void onlyAChangeIsWrittenAndOnlyItsRowRecoloured()
    {
        EditingWindow w;
        QVERIFY(w.open());
        w.fixture.exec(QStringLiteral("CREATE TABLE Writes (IDDrill INTEGER, Master TEXT)"));
        w.fixture.exec(QStringLiteral("CREATE TRIGGER CountWrites AFTER UPDATE ON Drills BEGIN "
                                      "INSERT INTO Writes VALUES (NEW.IDDrill, NEW.Master); END"));
        const auto writes = [&] {
            return w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Writes")).toInt();
        };
        for (const C field :
             {C::DrillDate, C::DoneDate, C::Master, C::DrillDate1, C::Master1, C::DrillDate})
            QVERIFY(w.clickCell(Alpha, field));
        QCOMPARE(writes(), 0);

        w.type(QStringLiteral("7/1/2026"));
        QCOMPARE(writes(), 1);
        QCOMPARE(w.field(Alpha, "Drill Date").toString(), QStringLiteral("2026-07-01"));
        for (const C field : {C::DrillDate, C::DoneDate, C::CompEval, C::Master})
            QCOMPARE(w.cellColour(Alpha, field), QColor(0x00, 0x00, 0xFF)); // due within the month
        QCOMPARE(w.cellColour(Bravo, C::DrillDate), QColor(Qt::black));
        // Stored again as typed in another form, the same date is no change.
        QVERIFY(w.clickCell(Alpha, C::DrillDate));
        w.type(QStringLiteral("07/01/26"));
        QVERIFY(w.clickCell(Bravo, C::ShipName));
        QCOMPARE(writes(), 1);
        QVERIFY(w.messages.shown.isEmpty());
    }

    void reloadingEndsTheEdit()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::Master));
        w.type(QStringLiteral("Typed for the old year"), false);
        w.reloadYear();
        QVERIFY(!w.box());
        QVERIFY(w.clickCell(Bravo, C::Master));
        QVERIFY(w.field(Alpha, "Master").isNull());
        QVERIFY(w.messages.shown.isEmpty());
    }

    void aDeletedRowIsNotReportedAsStored()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::Master));
        w.fixture.exec(QStringLiteral("DELETE FROM Drills WHERE ShipName = ?"), {Alpha});
        w.type(QStringLiteral("Nobody"));
        QTRY_COMPARE(w.messages.shown.size(), 1);
        for (const QString& named : {Alpha, QStringLiteral("Ship's Master Name"),
                                     QStringLiteral("\"Nobody\""), QStringLiteral("deleted")})
            QVERIFY2(w.messages.shown.first().text.contains(named),
                     qPrintable(w.messages.shown.first().text));
        QCOMPARE(w.cellText(Alpha, C::Master), QString());
    }

    // Another program deletes the drill whose box is open: the box goes with its row and the
    // user is told what was not stored; the frame stays on the column where the row was, and
    // the keys stay in the grid, not with the next control in the tab order (the web link).
    void aBoxWhoseRowIsDeletedLeavesTheKeysInTheGrid()
    {
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, C::Master));
        w.type(QStringLiteral("Typed"), false);
        w.fixture.exec(QStringLiteral("DELETE FROM Drills WHERE ShipName = ?"), {Alpha});
        QTRY_COMPARE(w.rowOf(Alpha), -1);
        QVERIFY(!w.box());
        QCOMPARE(QApplication::focusWidget(), w.grid());
        QCOMPARE(w.messages.shown.size(), 1);
        for (const QString& named :
             {Alpha, QStringLiteral("Ship's Master Name"), QStringLiteral("\"Typed\"")})
            QVERIFY2(w.messages.shown.first().text.contains(named),
                     qPrintable(w.messages.shown.first().text));
        QCOMPARE(w.currentCell(), QStringLiteral("MV Bravo/Ship's Master Name/Drill No 1"));
    }

    // Another program holds the file while Alpha's master is stored and Bravo's is clicked:
    // one bounded wait, told by ship, field and text; the text stays in Alpha's box and the
    // next Enter stores it there, never on Bravo.
    void aLockedFileKeepsTheTextInItsOwnBoxWithinTheWait_data()
    {
        QTest::addColumn<bool>("clickElsewhere");
        QTest::addColumn<int>("clicked");
        QTest::newRow("a click on another drill") << true << int(DrillRecord::Master);
        QTest::newRow("a click on another ship's name") << true << int(DrillRecord::ShipName);
        QTest::newRow("Enter alone") << false << int(DrillRecord::Master);
    }
    void aLockedFileKeepsTheTextInItsOwnBoxWithinTheWait()
    {
        QFETCH(bool, clickElsewhere);
        QFETCH(int, clicked);
        EditingWindow w;
        QVERIFY(w.open());
        QSqlDatabase holder = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "holder");
        holder.setDatabaseName(w.fixture.databasePath());
        QVERIFY(holder.open());
        QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
        QSqlQuery lock(holder);
        QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        // A real message box takes the focus from the edit box.
        w.messages.whileShown = [&] {
            QFocusEvent out(QEvent::FocusOut);
            if (QLineEdit* box = w.box())
                QApplication::sendEvent(box, &out);
        };
        QElapsedTimer clock;
        clock.start();
        if (clickElsewhere) {
            w.type(QStringLiteral("R1"), false);
            QVERIFY(w.clickCell(Bravo, DrillRecord::Column(clicked)));
        } else {
            w.type(QStringLiteral("R1"));
        }
        QVERIFY(clock.elapsed() < DrillDataSource::lockWaitLimit().count() + 1000);
        QCOMPARE(w.messages.shown.size(), 1);
        QCOMPARE(w.grid()->currentIndex(), w.cellOf(Alpha, DrillRecord::Master)); // with the box
        for (const QString& named : {Alpha, QStringLiteral("R1")})
            QVERIFY(w.messages.shown.first().text.contains(named));
        QVERIFY(w.box());
        QCOMPARE(w.box()->text(), QStringLiteral("R1"));
        QVERIFY(lock.exec(QStringLiteral("ROLLBACK")));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("R1"));
        QVERIFY(w.field(Bravo, "Master").isNull());
        QCOMPARE(w.messages.shown.size(), 1);
        holder.close();
    }

    // Another program stores the master while the box is open: the user is asked, with both
    // values; No keeps and shows the stored value, Yes stores the typed one over it.
    void anotherProgramsNewerValueIsNeverOverwrittenUnasked_data()
    {
        QTest::addColumn<bool>("overwrite");
        QTest::newRow("keep theirs") << false;
        QTest::newRow("store mine") << true;
    }
    void anotherProgramsNewerValueIsNeverOverwrittenUnasked()
    {
        QFETCH(bool, overwrite);
        EditingWindow w;
        QVERIFY(w.open());
        QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
        w.fixture.exec(QStringLiteral("UPDATE Drills SET Master = 'Theirs' WHERE ShipName = ?"),
                       {Alpha});
        w.messages.answerYes = overwrite;
        w.type(QStringLiteral("Mine"));
        QCOMPARE(w.messages.shown.size(), 1);
        QCOMPARE(w.messages.shown.first().icon, Messages::Icon::Question);
        QVERIFY(!w.messages.shown.first().yesFirst);
        for (const char* named : {"Theirs", "Mine"})
            QVERIFY(w.messages.shown.first().text.contains(QLatin1String(named)));
        const QString kept = overwrite ? QStringLiteral("Mine") : QStringLiteral("Theirs");
        QCOMPARE(w.field(Alpha, "Master").toString(), kept);
        QCOMPARE(w.cellText(Alpha, DrillRecord::Master), kept);
        // Nothing the box held is sent again by the next click.
        QVERIFY(w.clickCell(Bravo, DrillRecord::Master));
        QCOMPARE(w.field(Alpha, "Master").toString(), kept);
        QCOMPARE(w.messages.shown.size(), 1);
    }
};

QTEST_MAIN(TestEditing)
#include "tst_editing.moc"
