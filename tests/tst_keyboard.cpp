// The drill grid by keyboard alone, as office users work a spreadsheet; the database is
// checked after every stored value.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/DateText.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");
const QString Charlie = QStringLiteral("MV Charlie");

using C = DrillRecord::Column;

class KeyboardWindow : public LoadedWindow
{
public:
    explicit KeyboardWindow(const QStringList& ships = {Alpha, Bravo, Charlie})
        : LoadedWindow(ships)
    {
    }
    explicit KeyboardWindow(int ships) : LoadedWindow(ships) {}

    // Shown, with the keyboard on the grid at a cell.
    bool openAt(const QString& ship, C field)
    {
        if (!loadAndShow())
            return false;
        grid()->setFocus();
        grid()->setCurrentIndex(cellOf(ship, field));
        // Every stored field leaves a line here.
        fixture.exec(QStringLiteral("CREATE TABLE Writes (IDDrill INTEGER)"));
        fixture.exec(QStringLiteral("CREATE TRIGGER CountWrites AFTER UPDATE ON Drills BEGIN "
                                    "INSERT INTO Writes VALUES (NEW.IDDrill); END"));
        return QApplication::focusWidget() == grid();
    }

    // Each key goes where the focus is at that moment; the next comes after the event loop.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(focused(), key, modifiers);
        QCoreApplication::processEvents();
        settle(); // a year step arrives
    }
    void type(const QString& text) const
    {
        for (const QChar c : text)
            QTest::keyClick(focused(), c.toLatin1());
    }
    QWidget* focused() const
    {
        // A closed picker gives the window back; the offscreen platform needs telling.
        if (!QApplication::activeWindow())
            QApplication::setActiveWindow(window.get());
        return QApplication::focusWidget();
    }

    // The keyboard is on the ship's field.
    bool isAt(const QString& ship, C field) const
    {
        return grid()->currentIndex() == cellOf(ship, field);
    }
    // The cell under the keyboard is shown whole, in the part of the grid below the captions.
    bool cursorInView() const
    {
        const QRect cell = grid()->cellRect(grid()->currentIndex());
        QRect rows = grid()->viewport()->geometry();
        rows.setLeft(grid()->frozenView()->geometry().left());
        return rows.contains(cell);
    }

    QVariant field(const QString& ship, const char* name) const
    {
        return fixture.scalar(
            QStringLiteral("SELECT \"%1\" FROM Drills WHERE ShipName = ?").arg(QLatin1String(name)),
            {ship});
    }
    int writes() const
    {
        return fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Writes")).toInt();
    }
};

#define VERIFY_AT(w, ship, field) QVERIFY2((w).isAt(ship, field), qPrintable((w).currentCell()))

// Answers the next modal window with keys, once it is up.
void whenModalOpens(const std::function<void(QWidget*)>& answer)
{
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        answer(QApplication::activeModalWidget());
    });
}

} // namespace

class TestKeyboard : public QObject
{
    Q_OBJECT

private slots:
    void init() { setTheTestDay(); }
    void cleanup() { Clock::reset(); }

    // At start the keys reach the grid, on the first ship's scheduled date: the arrows move,
    // Space opens no blank questionnaire, and F2 opens the cell's box.
    void theKeyboardStartsOnTheFirstDrillCell()
    {
        KeyboardWindow w;
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.focused(), w.grid());
        VERIFY_AT(w, Alpha, C::DrillDate);
        w.press(Qt::Key_Right);
        VERIFY_AT(w, Alpha, C::DoneDate);
        w.press(Qt::Key_Down);
        VERIFY_AT(w, Bravo, C::DoneDate);
        w.press(Qt::Key_Up);
        w.press(Qt::Key_Left);
        VERIFY_AT(w, Alpha, C::DrillDate);
        w.press(Qt::Key_Space);
        QVERIFY(!w.child<QWidget>("evaluationPanel")->isVisible());
        w.press(Qt::Key_Escape);
        QVERIFY(!w.box());
        w.press(Qt::Key_F2);
        QVERIFY(w.box());
        w.type(QStringLiteral("3/1/2026"));
        w.press(Qt::Key_Return);
        QCOMPARE(w.cellText(Alpha, C::DrillDate), DateText::toShort(QDate(2026, 3, 1)));
        QCOMPARE(w.field(Alpha, "Drill Date").toString(), QStringLiteral("2026-03-01"));
    }

    void arrowsHomeEndAndPagesMoveOverTheBodyAndKeepTheCellInView()
    {
        KeyboardWindow w(300);
        const QString first = Fixture::shipNames(300).first();
        const QString second = Fixture::shipNames(300).at(1);
        QVERIFY(w.openAt(first, C::ShipName));
        w.press(Qt::Key_Right);
        VERIFY_AT(w, first, C::DrillDate);
        w.press(Qt::Key_Up); // the captions are no cells of the keyboard
        VERIFY_AT(w, first, C::DrillDate);
        w.press(Qt::Key_End);
        VERIFY_AT(w, first, C::Master1);
        QVERIFY(w.cursorInView());
        w.press(Qt::Key_Home);
        VERIFY_AT(w, first, C::ShipName); // the hidden key columns are skipped
        QVERIFY(w.cursorInView());
        w.press(Qt::Key_Down);
        VERIFY_AT(w, second, C::ShipName);
        for (int page = 0; page < 5; ++page)
            w.press(Qt::Key_PageDown);
        QVERIFY(w.grid()->currentIndex().row() > 40);
        QVERIFY(w.cursorInView());
        w.press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(w.grid()->currentIndex().row(), w.shipRows() - 1);
        QVERIFY(w.cursorInView());
        w.press(Qt::Key_PageUp);
        QVERIFY(w.cursorInView());
        QCOMPARE(w.writes(), 0);
        QVERIFY(w.messages.shown.isEmpty());
    }

    void typingOpensTheBoxWithTheKeyAndEnterStoresAndMovesDown()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(Alpha, C::Master));
        w.type(QStringLiteral("J"));
        QVERIFY(w.box());
        QCOMPARE(w.box()->text(), QStringLiteral("J"));
        w.type(QStringLiteral(". Smith"));
        w.press(Qt::Key_Return);
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("J. Smith"));
        QCOMPARE(w.writes(), 1);
        VERIFY_AT(w, Bravo, C::Master);
        QCOMPARE(QApplication::focusWidget(), w.grid());

        // F2 opens the cell with its own text; Enter then changes nothing, and writes nothing.
        w.press(Qt::Key_Up);
        w.press(Qt::Key_F2);
        QVERIFY(w.box());
        QCOMPARE(w.box()->text(), QStringLiteral("J. Smith"));
        w.press(Qt::Key_Return);
        QCOMPARE(w.writes(), 1);

        // A date typed on a date cell is stored as a date.
        w.press(Qt::Key_Up);
        for (int step = 0; step < 3; ++step)
            w.press(Qt::Key_Left);
        VERIFY_AT(w, Alpha, C::DrillDate);
        w.type(QStringLiteral("7/1/2026"));
        w.press(Qt::Key_Enter);
        QCOMPARE(w.field(Alpha, "Drill Date").toString(), QStringLiteral("2026-07-01"));
        QCOMPARE(w.writes(), 2);
    }

    // A fast typist's next keys, right after Enter, belong to the next cell's box and are
    // stored only when that box is.
    void keysTypedRightAfterEnterGoToTheNextBox()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(Alpha, C::Master));
        w.type(QStringLiteral("J. Smith"));
        QTest::keyClick(w.focused(), Qt::Key_Return);
        w.type(QStringLiteral("K"));
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("J. Smith"));
        QVERIFY(w.field(Bravo, "Master").isNull());
        QVERIFY(w.box());
        QCOMPARE(w.box()->text(), QStringLiteral("K"));
        w.press(Qt::Key_Escape);
        QCOMPARE(w.writes(), 1);
        QVERIFY(w.field(Bravo, "Master").isNull());
    }

    void tabStoresAndMovesToTheNextEditableCell()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(Alpha, C::Master1));
        w.type(QStringLiteral("K. Jones"));
        w.press(Qt::Key_Tab);
        QCOMPARE(w.field(Alpha, "Master1").toString(), QStringLiteral("K. Jones"));
        // The next editable cell is on the next row, past the ship's name.
        VERIFY_AT(w, Bravo, C::DrillDate);
        QCOMPARE(QApplication::focusWidget(), w.grid());
        w.press(Qt::Key_Tab);
        VERIFY_AT(w, Bravo, C::DoneDate);
        w.press(Qt::Key_Backtab);
        w.press(Qt::Key_Backtab);
        VERIFY_AT(w, Alpha, C::Master1);
        QCOMPARE(w.writes(), 1);
    }

    void escapeRestoresTheStoredValueAndWritesNothing()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(Alpha, C::Master));
        w.fixture.exec(QStringLiteral("UPDATE Drills SET Master = 'Kept'"));
        w.fixture.exec(QStringLiteral("DELETE FROM Writes"));
        w.reloadYear();
        QVERIFY(w.clickCell(Alpha, C::Master));
        w.type(QStringLiteral("Typed over"));
        w.press(Qt::Key_Escape);
        QVERIFY(!w.box());
        QCOMPARE(QApplication::focusWidget(), w.grid());
        // Nor does the next click write what was typed.
        QVERIFY(w.clickCell(Bravo, C::ShipName));
        QCOMPARE(w.cellText(Alpha, C::Master), QStringLiteral("Kept"));
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("Kept"));
        QCOMPARE(w.writes(), 0);
        QVERIFY(w.messages.shown.isEmpty());
        // An evaluation cell has only its button, which Escape takes away too.
        QVERIFY(w.clickCell(Alpha, C::CompEval));
        QVERIFY(w.pickButton());
        w.press(Qt::Key_Escape);
        QVERIFY(!w.pickButton());
    }

    void f4OrAltDownOpensThePickerWhichTheKeysDrive()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(Alpha, C::DoneDate));
        // Right moves a day, Page Down a month; Enter picks.
        whenModalOpens([](QWidget* picker) {
            for (const Qt::Key key : {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Return})
                QTest::keyClick(picker->focusWidget(), key);
        });
        w.press(Qt::Key_F4);
        QCOMPARE(w.field(Alpha, "Done Date").toString(), QStringLiteral("2026-07-16"));
        QVERIFY(!w.box());
        QCOMPARE(w.window->focusWidget(), w.grid());

        // Escape cancels: nothing new is stored.
        w.press(Qt::Key_Down);
        whenModalOpens([](QWidget* picker) { QTest::keyClick(picker, Qt::Key_Escape); });
        w.press(Qt::Key_Down, Qt::AltModifier);
        QVERIFY(w.field(Bravo, "Done Date").isNull());
        QCOMPARE(w.writes(), 1);

        // From the open edit box too; a cancelled picker leaves what was typed, which is stored.
        w.type(QStringLiteral("8/3/2026"));
        QVERIFY(w.box());
        whenModalOpens([](QWidget* picker) { QTest::keyClick(picker, Qt::Key_Escape); });
        w.press(Qt::Key_F4);
        QCOMPARE(w.field(Bravo, "Done Date").toString(), QStringLiteral("2026-08-03"));
        QCOMPARE(w.writes(), 2);
    }

    void altDownOpensTheQuestionnaireWhichTheKeysAnswer()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(Bravo, C::CompEval));
        w.press(Qt::Key_Down, Qt::AltModifier);
        auto* panel = w.openedQuestionnaire();
        QVERIFY(panel);
        QVERIFY(panel->isAncestorOf(QApplication::focusWidget()));
        VERIFY_AT(w, Bravo, C::CompEval);

        // Answered with Tab, arrows and Space alone: one stop per question, the arrows choose.
        for (int question = 1; question <= 10; ++question) {
            w.press(Qt::Key_Space);
            for (int step = 0; step < 4; ++step)
                w.press(Qt::Key_Right);
            QVERIFY(w.child<QAbstractButton>(qPrintable(u"question%1_4"_qs.arg(question)))
                        ->isChecked());
            w.press(Qt::Key_Tab);
        }
        for (int stop = 0;
             stop < 5 && QApplication::focusWidget()->objectName() != u"confirmButton"_qs; ++stop)
            w.press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), u"confirmButton"_qs);
        w.press(Qt::Key_Space);
        QCOMPARE(w.field(Bravo, "CompEval").toString(), u"100"_qs);
        QCOMPARE(w.cellText(Bravo, C::CompEval), u"100"_qs);
        QVERIFY(w.field(Alpha, "CompEval").isNull());
    }

    void ctrlArrowsAndAltPagesStepTheYearWithinItsBounds()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(Alpha, C::ShipName));
        auto* year = w.child<QLabel>("yearLabel");
        w.press(Qt::Key_Right, Qt::ControlModifier); // this year is the last
        QCOMPARE(year->text(), QStringLiteral("Year - 2026"));
        w.press(Qt::Key_Down);
        VERIFY_AT(w, Bravo, C::ShipName);
        w.press(Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(year->text(), QStringLiteral("Year - 2025"));
        VERIFY_AT(w, Bravo, C::ShipName); // the keyboard stays where it was
        QCOMPARE(
            w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills WHERE YearDrill = 2025"))
                .toInt(),
            3);
        w.press(Qt::Key_PageUp, Qt::AltModifier);
        QCOMPARE(year->text(), QStringLiteral("Year - 2024"));
        w.press(Qt::Key_PageDown, Qt::AltModifier);
        w.press(Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(year->text(), QStringLiteral("Year - 2026"));
        QCOMPARE(w.shownYear(), 2026);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
