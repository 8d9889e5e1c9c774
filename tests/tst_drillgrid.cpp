// The drill status grid: rows of a year, layout, colours, and the grid control itself.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/Twips.h"
#include "widgets/FlexGrid.h"

#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

const QColor Green(0x00, 0xC0, 0x00);
const QColor Blue(0x00, 0x00, 0xFF);
const QColor Red(0xFF, 0x00, 0x00);
const QColor Black(Qt::black);

QColor colourAt(FlexGrid* grid, int row, int col)
{
    grid->setRow(row);
    grid->setCol(col);
    return grid->cellForeColor();
}

bool shipNameIsBold(FlexGrid* grid, int row)
{
    grid->setRow(row);
    grid->setCol(3);
    return grid->cellFontBold();
}

} // namespace

class TestDrillGrid : public QObject
{
    Q_OBJECT

private slots:
    void init() { setTheTestDay(); }
    void cleanup() { Clock::reset(); }

    void aYearWithoutRowsGetsOneRowPerShipOnce()
    {
        LoadedWindow w(
            {QStringLiteral("MV Charlie"), QStringLiteral("MV Alpha"), QStringLiteral("MV Bravo")});
        QVERIFY(w.load());
        auto* grid = w.child<FlexGrid>("drillGrid");
        QCOMPARE(grid->rows(), 5);
        QCOMPARE(grid->cols(), 13);
        const auto count = [&] {
            return w.fixture
                .scalar(QStringLiteral("SELECT COUNT(*) FROM Drills WHERE YearDrill = 2026"))
                .toInt();
        };
        QCOMPARE(count(), 3);
        QCOMPARE(
            w.fixture
                .scalar(QStringLiteral(
                    "SELECT COUNT(*) FROM Drills d JOIN Ships s ON s.IDShip = d.IDShip "
                    "AND s.ShipName = d.ShipName WHERE COALESCE(\"Drill Date\", \"Done Date\", "
                    "CompEval, Master, \"Drill Date1\", \"Done Date1\", CompEval1, Master1) IS "
                    "NULL"))
                .toInt(),
            3);
        // Ships are listed by name; the key of each row sits in column 1.
        QCOMPARE(grid->textMatrix(2, 3), QStringLiteral("MV Alpha"));
        QCOMPARE(grid->textMatrix(4, 3), QStringLiteral("MV Charlie"));
        QCOMPARE(
            grid->textMatrix(2, 1),
            w.fixture
                .scalar(QStringLiteral("SELECT IDDrill FROM Drills WHERE ShipName = 'MV Alpha'"))
                .toString());
        QCOMPARE(grid->textMatrix(2, 12), QStringLiteral("2026"));

        w.window->loadYear();
        QCOMPARE(count(), 3);
        QCOMPARE(grid->rows(), 5);
    }

    void anEmptyFleetShowsOnlyTheHeaders()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        QCOMPARE(w.child<FlexGrid>("drillGrid")->rows(), 2);
        QCOMPARE(w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills")).toInt(), 0);
    }

    void headersWidthsAndAlignments()
    {
        LoadedWindow w(1);
        QVERIFY(w.load());
        auto* grid = w.child<FlexGrid>("drillGrid");
        const QStringList row0 = {"",           "Drill No 1", "Drill No 1",
                                  "Drill No 1", "Drill No 1", "Drill No 2",
                                  "Drill No 2", "Drill No 2", "Drill No 2"};
        const QStringList row1 = {"Ship Name",      "Scheduled Date",     "Date Done",
                                  "Evaluation (%)", "Ship's Master Name", "Scheduled Date",
                                  "Date Done",      "Evaluation (%)",     "Ship's Master Name"};
        for (int col = 3; col <= 11; ++col) {
            QCOMPARE(grid->textMatrix(0, col), row0.at(col - 3));
            QCOMPARE(grid->textMatrix(1, col), row1.at(col - 3));
        }
        const int widths[] = {0, 0, 0, 2000, 1150, 1150, 1000, 2000, 1150, 1150, 1000, 2000, 0};
        int visible = 0;
        for (int col = 0; col < 13; ++col) {
            QCOMPARE(grid->colWidth(col), widths[col]);
            QCOMPARE(grid->isColumnHidden(col), widths[col] == 0);
            visible += grid->isColumnHidden(col) ? 0 : grid->colWidth(col);
        }
        QCOMPARE(visible, 12600);
        // "Drill No 1" and "Drill No 2" each show as one cell over their four columns.
        QCOMPARE(grid->columnSpan(0, 4), 4);
        QCOMPARE(grid->columnSpan(0, 8), 4);
        QCOMPARE(grid->columnSpan(1, 4), 1);
        for (int col = 4; col <= 11; ++col) {
            grid->setRow(0);
            grid->setCol(col);
            QCOMPARE(grid->cellForeColor(), Blue);
            QVERIFY(grid->cellFontBold());
            QCOMPARE(grid->cellFontSize(), 12.0);
        }
        QCOMPARE(grid->colAlignment(4), Qt::AlignRight | Qt::AlignVCenter);
        QCOMPARE(grid->colAlignment(6), Qt::AlignCenter);
        QCOMPARE(grid->font().pointSizeF(), 10.0);
        QCOMPARE(grid->gridForeColor(), Black);
        QCOMPARE(grid->geometry(), Twips::rect(2340, 1470, 12705, 7065));
        // The captions of row 1 need two lines; reloading must not shrink the row.
        w.window->loadYear();
        QVERIFY(grid->rowHeight(1) >= 2 * grid->fontMetrics().height());
    }

    void coloursFollowTheDrillState_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("scheduled");
        QTest::addColumn<QDate>("done");
        QTest::addColumn<QColor>("expected");
        const QDate today(2026, 6, 15);
        QTest::newRow("done wins over the schedule") << today << today.addDays(3) << today << Green;
        QTest::newRow("done without a schedule") << today << QDate() << today << Green;
        QTest::newRow("yesterday is due") << today << today.addDays(-1) << QDate() << Blue;
        QTest::newRow("40 days ahead is later") << today << today.addDays(40) << QDate() << Red;
        QTest::newRow("exactly a month ahead is later")
            << today << QDate(2026, 7, 15) << QDate() << Red;
        QTest::newRow("a day before that is due") << today << QDate(2026, 7, 14) << QDate() << Blue;
        QTest::newRow("31 Jan: 28 Feb is later")
            << QDate(2026, 1, 31) << QDate(2026, 2, 28) << QDate() << Red;
        QTest::newRow("31 Jan: 27 Feb is due")
            << QDate(2026, 1, 31) << QDate(2026, 2, 27) << QDate() << Blue;
        QTest::newRow("31 Jan leap: 29 Feb is later")
            << QDate(2028, 1, 31) << QDate(2028, 2, 29) << QDate() << Red;
        QTest::newRow("31 Jan leap: 28 Feb is due")
            << QDate(2028, 1, 31) << QDate(2028, 2, 28) << QDate() << Blue;
        QTest::newRow("no dates stay black") << today << QDate() << QDate() << Black;
    }
    void coloursFollowTheDrillState()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, scheduled);
        QFETCH(QDate, done);
        QFETCH(QColor, expected);
        Clock::setFixed(QDateTime(today, QTime(9, 0)));
        LoadedWindow w({QStringLiteral("MV Alpha")});
        const qint64 ship = w.fixture.shipId(QStringLiteral("MV Alpha"));
        const auto iso = [](const QDate& d) {
            return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
        };
        // Drill 2 gets the opposite situation, to show that the two are judged apart.
        w.fixture.exec(
            QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", "
                           "\"Done Date\", Master, \"Drill Date1\", \"Done Date1\", Master1) "
                           "VALUES (?, 'MV Alpha', ?, ?, ?, 'A. Master', ?, ?, 'B. Master')"),
            {ship, today.year(), iso(scheduled), iso(done), iso(today.addDays(-10)), iso(QDate())});
        QVERIFY(w.load());
        auto* grid = w.child<FlexGrid>("drillGrid");
        // The first tick after the window opens applies the colours.
        QVERIFY(!shipNameIsBold(grid, 2));
        QTRY_VERIFY(shipNameIsBold(grid, 2));
        for (int col = 4; col <= 7; ++col)
            QCOMPARE(colourAt(grid, 2, col), expected);
        for (int col = 8; col <= 11; ++col)
            QCOMPARE(colourAt(grid, 2, col), Blue);
    }

    // The program left open over midnight: a drill a month ahead becomes due on the clock's
    // tick that finds the new day, and only then; the cell being edited stays current.
    void theDayChangingRecoloursTheGridOnTheClocksTick()
    {
        Clock::setFixed(QDateTime(QDate(2026, 6, 15), QTime(23, 59)));
        LoadedWindow w({QStringLiteral("MV Alpha"), QStringLiteral("MV Bravo")});
        QVERIFY(w.loadAndShow());
        w.fixture.exec(QStringLiteral("UPDATE Drills SET \"Drill Date\" = '2026-07-15'"));
        w.window->loadYear();
        w.child<QTimer>("editCommitTimer")->start();
        QVERIFY(w.settle());
        QCOMPARE(colourAt(w.grid, 2, 4), Red);
        QVERIFY(w.clickCell(3, 7));

        auto* clockTick = w.child<QTimer>("clockTimer");
        QMetaObject::invokeMethod(clockTick, "timeout", Qt::DirectConnection);
        QCOMPARE(colourAt(w.grid, 2, 4), Red); // the same day: nothing to change
        w.grid->setRow(3);
        w.grid->setCol(7);
        Clock::setFixed(QDateTime(QDate(2026, 6, 16), QTime(0, 0)));
        QMetaObject::invokeMethod(clockTick, "timeout", Qt::DirectConnection);
        QCOMPARE(w.grid->row(), 3);
        QCOMPARE(w.grid->col(), 7);
        for (int row = 2; row <= 3; ++row) {
            for (int col = 4; col <= 7; ++col)
                QCOMPARE(colourAt(w.grid, row, col), Blue);
        }
    }

    // A date field changed by other means to a text that is no date is shown as it stands; as
    // a date done it still marks the drill done, as a schedule it gives no colour.
    void aStoredTextThatIsNoDateIsShownAndJudgedAsText()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        w.fixture.exec(
            QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", "
                           "\"Done Date1\") VALUES (?, 'MV Alpha', 2026, 'soon', 'last week')"),
            {w.fixture.shipId(QStringLiteral("MV Alpha"))});
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.grid->textMatrix(2, 4), QStringLiteral("soon"));
        QCOMPARE(w.grid->textMatrix(2, 9), QStringLiteral("last week"));
        QCOMPARE(colourAt(w.grid, 2, 4), Black);
        QCOMPARE(colourAt(w.grid, 2, 8), Green);
    }

    void recolouringBoldsShipNamesAndLeavesTheLastRowCurrent()
    {
        LoadedWindow w(4);
        QVERIFY(w.load());
        auto* grid = w.child<FlexGrid>("drillGrid");
        w.window->recolour();
        QCOMPARE(grid->row(), 5);
        QCOMPARE(grid->col(), 3);
        for (int row = 2; row < 6; ++row)
            QVERIFY(shipNameIsBold(grid, row));
        QVERIFY(!shipNameIsBold(grid, 0));
    }

    void reloadingDiscardsCellStyles()
    {
        LoadedWindow w(2);
        QVERIFY(w.load());
        auto* grid = w.child<FlexGrid>("drillGrid");
        w.window->recolour();
        w.window->loadYear();
        QVERIFY(!shipNameIsBold(grid, 2));
    }

    void recolouringNeverMovesTheView()
    {
        LoadedWindow w(300);
        QVERIFY(w.load());
        w.window->show();
        auto* grid = w.child<FlexGrid>("drillGrid");
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum() / 2);
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        const int vertical = grid->verticalScrollBar()->value();
        const int horizontal = grid->horizontalScrollBar()->value();
        QVERIFY(vertical > 0 && horizontal > 0);
        w.window->recolour();
        QCOMPARE(grid->verticalScrollBar()->value(), vertical);
        QCOMPARE(grid->horizontalScrollBar()->value(), horizontal);
    }

    void headersAndShipNamesStayInView()
    {
        LoadedWindow w(300);
        QVERIFY(w.load());
        w.window->show();
        auto* grid = w.child<FlexGrid>("drillGrid");
        const QRect header = grid->cellRect(1, 5);
        const QRect ship = grid->cellRect(40, 3);
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        QCOMPARE(grid->cellRect(1, 5).top(), header.top());
        QCOMPARE(grid->cellRect(40, 3).left(), ship.left());
        QVERIFY(grid->cellRect(1, 5).left() < header.left());
        QVERIFY(grid->cellRect(40, 3).top() < ship.top());
    }

    // Another program writes; the window reads the year again and keeps its captions.
    void captionsStayWhenAnotherProgramsChangeIsRead()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        QVERIFY(w.loadAndShow());
        const auto captions = [&] {
            QStringList texts;
            for (int row = 0; row < w.grid->fixedRows(); ++row) {
                for (int col = 0; col < w.grid->cols(); ++col)
                    texts << w.grid->textMatrix(row, col);
            }
            return texts;
        };
        const QStringList before = captions();
        QVERIFY(before.join(QString()).size() > 0);
        w.fixture.exec(QStringLiteral("UPDATE Drills SET Master = 'Elsewhere'"));
        QTRY_COMPARE(w.cellText(QStringLiteral("MV Alpha"), DrillRecord::Master),
                     QStringLiteral("Elsewhere"));
        QCOMPARE(captions(), before);
    }

    void clicksOnBodyCellsAreReportedAndHeaderClicksAreNot()
    {
        FlexGrid grid;
        grid.resize(600, 300);
        grid.setCols(5);
        grid.setFixedRows(2);
        grid.setFrozenColumns(2);
        grid.bindRecords({{"a", "b", "c", "d"}, {"e", "f", "g", "h"}}, 1);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
        QSignalSpy clicked(&grid, &FlexGrid::cellClicked);

        const auto clickAt = [&](int row, int col) {
            const QRect cell = grid.cellRect(row, col);
            QWidget* target = grid.childAt(cell.center());
            QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(&grid, cell.center()));
        };
        clickAt(3, 4);
        QCOMPARE(clicked.count(), 1);
        QCOMPARE(grid.row(), 3);
        QCOMPARE(grid.col(), 4);
        QCOMPARE(grid.text(), QStringLiteral("h"));
        clickAt(2, 1); // a frozen column is clickable
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(grid.text(), QStringLiteral("a"));
        clickAt(0, 3); // a header row is not
        QCOMPARE(clicked.count(), 2);
        QCOMPARE(grid.row(), 2);
    }
};

QTEST_MAIN(TestDrillGrid)
#include "tst_drillgrid.moc"
