// The drill grid by keyboard alone, as office users work a spreadsheet; the database is
// checked after every stored value.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "widgets/FlexGrid.h"

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
constexpr int AlphaRow = 2;
constexpr int BravoRow = 3;
constexpr int ShipCol = 3;
constexpr int ScheduledCol = 4;
constexpr int DoneCol = 5;
constexpr int EvaluationCol = 6;
constexpr int MasterCol = 7;
constexpr int LastMasterCol = 11;

class KeyboardWindow : public LoadedWindow
{
public:
    explicit KeyboardWindow(const QStringList& ships = {Alpha, Bravo, Charlie})
        : LoadedWindow(ships)
    {
    }
    explicit KeyboardWindow(int ships) : LoadedWindow(ships) {}

    // Shown, with the keyboard on the grid at a cell.
    bool openAt(int row, int col)
    {
        if (!loadAndShow())
            return false;
        box = child<QLineEdit>("editBox");
        grid->setFocus();
        grid->setCurrentIndex(grid->model()->index(row, col));
        // Every stored field leaves a line here.
        fixture.exec(QStringLiteral("CREATE TABLE Writes (IDDrill INTEGER)"));
        fixture.exec(QStringLiteral("CREATE TRIGGER CountWrites AFTER UPDATE ON Drills BEGIN "
                                    "INSERT INTO Writes VALUES (NEW.IDDrill); END"));
        return QApplication::focusWidget() == grid;
    }

    // Each key goes where the focus is at that moment; the next comes after the event loop.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const
    {
        QTest::keyClick(focused(), key, modifiers);
        QCoreApplication::processEvents();
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

    QPoint cursor() const
    {
        const QModelIndex current = grid->currentIndex();
        return {current.column(), current.row()};
    }
    // The cell under the keyboard is inside the part of the body that scrolls.
    bool cursorInView() const
    {
        const QModelIndex current = grid->currentIndex();
        const QRect cell = grid->cellRect(current.row(), current.column());
        const QRect body = grid->viewport()->geometry().adjusted(
            0, grid->cellRect(AlphaRow, ShipCol).top() - grid->viewport()->geometry().top(), 0, 0);
        return body.contains(cell);
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

    QLineEdit* box = nullptr;
};

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

    // At start the keys reach the grid, on the first ship's scheduled date: F2 opens its box,
    // and Space does not open a blank questionnaire.
    void theKeyboardStartsOnTheFirstDrillCell()
    {
        KeyboardWindow w;
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.focused(), w.grid);
        w.press(Qt::Key_Space);
        QVERIFY(w.settle());
        QVERIFY(!w.child<QWidget>("evaluationPanel")->isVisible());
        auto* box = w.child<QLineEdit>("editBox");
        w.press(Qt::Key_Escape);
        w.press(Qt::Key_F2);
        QVERIFY(box->isVisible());
        w.type(QStringLiteral("3/1/2026"));
        w.press(Qt::Key_Return);
        QVERIFY(w.settle());
        QCOMPARE(w.cellText(Alpha, DrillRecord::DrillDate), DateText::toShort(QDate(2026, 3, 1)));
    }

    void arrowsHomeEndAndPagesMoveOverTheBodyAndKeepTheCellInView()
    {
        KeyboardWindow w(300);
        QVERIFY(w.openAt(AlphaRow, ShipCol));
        w.press(Qt::Key_Right);
        QCOMPARE(w.cursor(), QPoint(ScheduledCol, AlphaRow));
        w.press(Qt::Key_Up); // the headers are no cells of the keyboard
        QCOMPARE(w.cursor(), QPoint(ScheduledCol, AlphaRow));
        w.press(Qt::Key_End);
        QCOMPARE(w.cursor(), QPoint(LastMasterCol, AlphaRow));
        QVERIFY(w.cursorInView());
        w.press(Qt::Key_Home);
        QCOMPARE(w.cursor(), QPoint(ShipCol, AlphaRow)); // the hidden key columns are skipped
        w.press(Qt::Key_Down);
        QCOMPARE(w.cursor(), QPoint(ShipCol, BravoRow));
        for (int page = 0; page < 5; ++page)
            w.press(Qt::Key_PageDown);
        QVERIFY(w.cursor().y() > 40);
        QVERIFY(w.cursorInView());
        w.press(Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(w.cursor().y(), w.grid->rows() - 1);
        QVERIFY(w.cursorInView());
        w.press(Qt::Key_PageUp);
        QVERIFY(w.cursorInView());
        QCOMPARE(w.writes(), 0);
        QVERIFY(w.messages.shown.isEmpty());
    }

    void typingOpensTheBoxWithTheKeyAndEnterStoresAndMovesDown()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(AlphaRow, MasterCol));
        w.type(QStringLiteral("J"));
        QVERIFY(w.box->isVisible());
        QCOMPARE(w.box->text(), QStringLiteral("J"));
        w.type(QStringLiteral(". Smith"));
        w.press(Qt::Key_Return);
        QVERIFY(w.settle());
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("J. Smith"));
        QCOMPARE(w.writes(), 1);
        QCOMPARE(w.cursor(), QPoint(MasterCol, BravoRow));
        QCOMPARE(QApplication::focusWidget(), w.grid);

        // F2 opens the cell with its own text; Enter then changes nothing, and writes nothing.
        w.press(Qt::Key_Up);
        w.press(Qt::Key_F2);
        QVERIFY(w.box->isVisible());
        QCOMPARE(w.box->text(), QStringLiteral("J. Smith"));
        w.press(Qt::Key_Return);
        QVERIFY(w.settle());
        QCOMPARE(w.writes(), 1);

        // A date typed on a date cell is stored as a date.
        w.press(Qt::Key_Up);
        for (int step = 0; step < 3; ++step)
            w.press(Qt::Key_Left);
        QCOMPARE(w.cursor(), QPoint(ScheduledCol, AlphaRow));
        w.type(QStringLiteral("7/1/2026"));
        w.press(Qt::Key_Enter);
        QVERIFY(w.settle());
        QCOMPARE(w.field(Alpha, "Drill Date").toString(), QStringLiteral("2026-07-01"));
        QCOMPARE(w.writes(), 2);
    }

    // A fast typist's next keys come before the deferred commit of the last edit; they belong
    // to the next cell's box and are stored only when that box is.
    void keysTypedBeforeTheCommitStayInTheNextBox()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(AlphaRow, MasterCol));
        w.type(QStringLiteral("J. Smith"));
        QTest::keyClick(w.focused(), Qt::Key_Return);
        w.type(QStringLiteral("K"));
        QVERIFY(w.settle());
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("J. Smith"));
        QVERIFY(w.field(Bravo, "Master").isNull());
        QVERIFY(w.box->isVisible());
        QCOMPARE(w.box->text(), QStringLiteral("K"));
        w.press(Qt::Key_Escape);
        QVERIFY(w.settle());
        QCOMPARE(w.writes(), 1);
    }

    void tabStoresAndMovesToTheNextEditableCell()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(AlphaRow, LastMasterCol));
        w.type(QStringLiteral("K. Jones"));
        w.press(Qt::Key_Tab);
        QVERIFY(w.settle());
        QCOMPARE(w.field(Alpha, "Master1").toString(), QStringLiteral("K. Jones"));
        // The next editable cell is on the next row, past the ship's name.
        QCOMPARE(w.cursor(), QPoint(ScheduledCol, BravoRow));
        QCOMPARE(QApplication::focusWidget(), w.grid);
        w.press(Qt::Key_Tab);
        QCOMPARE(w.cursor(), QPoint(DoneCol, BravoRow));
        w.press(Qt::Key_Backtab);
        w.press(Qt::Key_Backtab);
        QCOMPARE(w.cursor(), QPoint(LastMasterCol, AlphaRow));
        QCOMPARE(w.writes(), 1);
    }

    void escapeRestoresTheStoredValueAndWritesNothing()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(AlphaRow, MasterCol));
        w.fixture.exec(QStringLiteral("UPDATE Drills SET Master = 'Kept'"));
        w.fixture.exec(QStringLiteral("DELETE FROM Writes"));
        w.window->loadYear();
        QVERIFY(w.clickCell(AlphaRow, MasterCol));
        w.type(QStringLiteral("Typed over"));
        w.press(Qt::Key_Escape);
        QVERIFY(!w.box->isVisible());
        QCOMPARE(QApplication::focusWidget(), w.grid);
        // Neither the next click nor the next commit writes what was typed.
        QVERIFY(w.clickCell(BravoRow, ShipCol));
        QVERIFY(w.settle());
        QCOMPARE(w.grid->textMatrix(AlphaRow, MasterCol), QStringLiteral("Kept"));
        QCOMPARE(w.field(Alpha, "Master").toString(), QStringLiteral("Kept"));
        QCOMPARE(w.writes(), 0);
        QVERIFY(w.messages.shown.isEmpty());
    }

    void f4OrAltDownOpensThePickerWhichTheKeysDrive()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(AlphaRow, DoneCol));
        // Right moves a day, Page Down a month; Enter picks.
        whenModalOpens([](QWidget* picker) {
            for (const Qt::Key key : {Qt::Key_Right, Qt::Key_PageDown, Qt::Key_Return})
                QTest::keyClick(picker->focusWidget(), key);
        });
        w.press(Qt::Key_F4);
        QVERIFY(w.settle());
        QCOMPARE(w.field(Alpha, "Done Date").toString(), QStringLiteral("2026-07-16"));
        QVERIFY(!w.box->isVisible());
        QCOMPARE(w.window->focusWidget(), w.grid);

        // Escape cancels: nothing new is stored.
        w.press(Qt::Key_Down);
        whenModalOpens([](QWidget* picker) { QTest::keyClick(picker, Qt::Key_Escape); });
        w.press(Qt::Key_Down, Qt::AltModifier);
        QVERIFY(w.settle());
        QVERIFY(w.field(Bravo, "Done Date").isNull());
        QCOMPARE(w.writes(), 1);

        // From the open edit box too; a cancelled picker leaves what was typed, which is stored.
        w.type(QStringLiteral("8/3/2026"));
        QVERIFY(w.box->isVisible());
        whenModalOpens([](QWidget* picker) { QTest::keyClick(picker, Qt::Key_Escape); });
        w.press(Qt::Key_F4);
        QVERIFY(w.settle());
        QCOMPARE(w.field(Bravo, "Done Date").toString(), QStringLiteral("2026-08-03"));
        QCOMPARE(w.writes(), 2);
    }

    void altDownOpensTheQuestionnaireWhichTheKeysAnswer()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(BravoRow, EvaluationCol));
        w.press(Qt::Key_Down, Qt::AltModifier);
        auto* panel = w.child<QWidget>("evaluationPanel");
        QVERIFY(panel->isVisible());
        QVERIFY(panel->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(w.grid->row(), BravoRow);
        QCOMPARE(w.grid->col(), EvaluationCol);

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
        QVERIFY(w.settle());
        QCOMPARE(w.field(Bravo, "CompEval").toString(), u"100"_qs);
        QVERIFY(w.field(Alpha, "CompEval").isNull());
    }

    void ctrlArrowsAndAltPagesStepTheYearWithinItsBounds()
    {
        KeyboardWindow w;
        QVERIFY(w.openAt(AlphaRow, ShipCol));
        auto* year = w.child<QLabel>("yearLabel");
        w.press(Qt::Key_Right, Qt::ControlModifier); // this year is the last
        QCOMPARE(year->text(), QStringLiteral("Year - 2026"));
        w.press(Qt::Key_Down);
        w.press(Qt::Key_Left, Qt::ControlModifier);
        QVERIFY(w.settle());
        QCOMPARE(year->text(), QStringLiteral("Year - 2025"));
        QCOMPARE(w.cursor(), QPoint(ShipCol, BravoRow)); // the keyboard stays where it was
        QCOMPARE(
            w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills WHERE YearDrill = 2025"))
                .toInt(),
            3);
        w.press(Qt::Key_PageUp, Qt::AltModifier);
        QVERIFY(w.settle());
        QCOMPARE(year->text(), QStringLiteral("Year - 2024"));
        w.press(Qt::Key_PageDown, Qt::AltModifier);
        w.press(Qt::Key_Right, Qt::ControlModifier);
        QVERIFY(w.settle());
        QCOMPARE(year->text(), QStringLiteral("Year - 2026"));
        QCOMPARE(w.window->shownYear(), 2026);
    }
};

QTEST_MAIN(TestKeyboard)
#include "tst_keyboard.moc"
