// The drill status grid: rows of a year, captions, colours, and the view itself: the ship
// names frozen at the left, the framed current cell, the tips of cut names.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/Twips.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");
const QString Charlie = QStringLiteral("MV Charlie");
const QColor Green(0x00, 0xC0, 0x00);
const QColor Blue(0x00, 0x00, 0xFF);
const QColor Red(0xFF, 0x00, 0x00);
const QColor Black(Qt::black);

using C = DrillRecord::Column;

bool nameIsBold(const LoadedWindow& w, const QString& ship)
{
    return w.cellOf(ship, C::ShipName).data(Qt::FontRole).value<QFont>().bold();
}

// The view that shows the field: the frozen one for the ship names, else the body.
QTableView* viewOf(const LoadedWindow& w, C field)
{
    return field == C::ShipName ? w.grid()->frozenView() : w.grid();
}

// The captions as shown, "Drill No 1/Scheduled Date", for every column in view, the ship names
// first; empty when a header is hidden or too low for a drill's caption over two lines.
QStringList shownCaptions(const LoadedWindow& w)
{
    QStringList captions;
    for (QTableView* view : {viewOf(w, C::ShipName), viewOf(w, C::Master)}) {
        const QHeaderView* header = view->horizontalHeader();
        if (!header->isVisible() || header->height() < 3 * header->fontMetrics().height())
            return {};
        for (int visual = 0; visual < header->count(); ++visual) {
            const int section = header->logicalIndex(visual);
            if (header->isSectionHidden(section))
                continue;
            const auto caption = [&](int role) {
                return header->model()->headerData(section, Qt::Horizontal, role).toString();
            };
            captions << caption(DrillYearModel::DrillCaptionRole) + u'/' + caption(Qt::DisplayRole);
        }
    }
    return captions;
}

// True when the drill's caption is painted once across its columns, from the first to the
// last: its blue text lies on both sides of the line in their middle.
bool drillCaptionSpansItsColumns(const LoadedWindow& w, C first, C last)
{
    QHeaderView* header = w.grid()->horizontalHeader();
    const QImage painted = header->grab().toImage();
    const auto leftOf = [&](C field) {
        return header->sectionViewportPosition(w.cellOf(Alpha, field).column());
    };
    const int middle = leftOf(C(first + 2));
    const int end = leftOf(last) + header->sectionSize(w.cellOf(Alpha, last).column());
    int leftmost = end;
    int rightmost = -1;
    for (int x = qMax(0, leftOf(first)); x < qMin(end, painted.width()); ++x) {
        for (int y = 0; y < painted.height() / 2; ++y) {
            const QColor pixel = painted.pixelColor(x, y);
            if (pixel.blue() > 200 && pixel.red() < 100 && pixel.green() < 100) {
                leftmost = qMin(leftmost, x);
                rightmost = qMax(rightmost, x);
            }
        }
    }
    return leftmost < middle && rightmost > middle;
}

// True when the cell is drawn with a frame in the highlight colour on all four sides.
bool isFramed(const LoadedWindow& w, const QString& ship, C field)
{
    QTableView* view = viewOf(w, field);
    const QImage painted = view->viewport()->grab().toImage();
    const QColor frame = view->palette().color(QPalette::Highlight);
    const QRect cell = view->visualRect(w.cellOf(ship, field));
    const QPoint centre = cell.center();
    const auto frameNear = [&](QPoint edge, QPoint inward) {
        for (int step = 0; step < 3; ++step) {
            const QPoint at = edge + step * inward;
            if (painted.rect().contains(at) && painted.pixelColor(at) == frame)
                return true;
        }
        return false;
    };
    return frameNear({cell.left(), centre.y()}, {1, 0}) &&
           frameNear({cell.right(), centre.y()}, {-1, 0}) &&
           frameNear({centre.x(), cell.top()}, {0, 1}) &&
           frameNear({centre.x(), cell.bottom()}, {0, -1});
}

// Where in its cell the text is drawn: "left", "centre", "right".
QString sideOf(const LoadedWindow& w, const QString& ship, C field)
{
    const QImage painted = viewOf(w, field)->viewport()->grab().toImage();
    const QRect cell = viewOf(w, field)->visualRect(w.cellOf(ship, field)).adjusted(1, 2, -2, -2);
    int left = cell.right();
    int right = cell.left();
    for (int x = cell.left(); x <= cell.right(); ++x) {
        for (int y = cell.top(); y <= cell.bottom(); ++y) {
            if (painted.pixelColor(x, y).lightness() < 160) {
                left = qMin(left, x);
                right = qMax(right, x);
            }
        }
    }
    if (right < left)
        return QStringLiteral("nothing drawn");
    const int leaning = (left - cell.left()) - (cell.right() - right);
    if (qAbs(leaning) <= 2)
        return QStringLiteral("centre");
    return leaning > 10    ? QStringLiteral("right")
           : leaning < -10 ? QStringLiteral("left")
                           : QString();
}

// The tip shown where the mouse rests on the cell.
QString tipOf(const LoadedWindow& w, const QString& ship, C field)
{
    QToolTip::hideText();
    if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
        return QStringLiteral("an earlier tip stays");
    QWidget* viewport = viewOf(w, field)->viewport();
    const QPoint at = viewOf(w, field)->visualRect(w.cellOf(ship, field)).center();
    QHelpEvent help(QEvent::ToolTip, at, viewport->mapToGlobal(at));
    QApplication::sendEvent(viewport, &help);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
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
        LoadedWindow w({Charlie, Alpha, Bravo});
        QVERIFY(w.load());
        QCOMPARE(w.shipRows(), 3);
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
        // Ships are listed by name; each row is its own drill of the year.
        QVERIFY(w.rowOf(Alpha) < w.rowOf(Bravo) && w.rowOf(Bravo) < w.rowOf(Charlie));
        const auto keyOf = [&](int role) {
            return w.cellOf(Alpha, C::Master).data(role).toString();
        };
        for (const auto& [role, key] : {std::pair(DrillYearModel::IdDrillRole, "IDDrill"),
                                        std::pair(DrillYearModel::IdShipRole, "IDShip")})
            QCOMPARE(keyOf(role),
                     w.fixture
                         .scalar(QStringLiteral("SELECT %1 FROM Drills WHERE ShipName = ?")
                                     .arg(QLatin1String(key)),
                                 {Alpha})
                         .toString());
        QCOMPARE(keyOf(DrillYearModel::YearRole), QStringLiteral("2026"));

        w.reloadYear();
        QCOMPARE(count(), 3);
        QCOMPARE(w.shipRows(), 3);
    }

    void anEmptyFleetShowsOnlyTheCaptions()
    {
        LoadedWindow w;
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.shipRows(), 0);
        QCOMPARE(w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Drills")).toInt(), 0);
        QVERIFY(shownCaptions(w).contains(QStringLiteral("Drill No 2/Ship's Master Name")));
    }

    // The ship names' caption stays with them; each drill's caption reads once across its own
    // four columns, above each column's caption; the record keys are not shown.
    void captionsNameEachDrillOnceAboveItsColumns()
    {
        LoadedWindow w({Alpha});
        QVERIFY(w.loadAndShow());
        QStringList expected = {QStringLiteral("/Ship Name")};
        for (const char* drill : {"Drill No 1", "Drill No 2"}) {
            for (const char* column :
                 {"Scheduled Date", "Date Done", "Evaluation (%)", "Ship's Master Name"})
                expected << QLatin1String(drill) + u'/' + QLatin1String(column);
        }
        QCOMPARE(shownCaptions(w), expected);
        QVERIFY(drillCaptionSpansItsColumns(w, C::DrillDate, C::Master));
        QVERIFY(drillCaptionSpansItsColumns(w, C::DrillDate1, C::Master1));
    }

    // Dates are read from the right, evaluations from the middle, names from the left.
    void textsLieWhereTheirKindIsRead()
    {
        LoadedWindow w({Alpha, Bravo});
        QVERIFY(w.loadAndShow());
        w.fixture.exec(QStringLiteral("UPDATE Drills SET \"Drill Date\" = '2026-07-01', CompEval "
                                      "= '85', Master = 'Berg' WHERE ShipName = ?"),
                       {Alpha});
        w.reloadYear();
        QVERIFY(w.clickCell(Bravo, C::ShipName)); // no frame on Alpha's cells
        QCOMPARE(sideOf(w, Alpha, C::DrillDate), QStringLiteral("right"));
        QCOMPARE(sideOf(w, Alpha, C::CompEval), QStringLiteral("centre"));
        QCOMPARE(sideOf(w, Alpha, C::Master), QStringLiteral("left"));
        QCOMPARE(sideOf(w, Alpha, C::ShipName), QStringLiteral("left"));
    }

    // Each drill's columns are as wide as their kind needs: a date, a percentage, a name.
    void columnsAreAsWideAsTheirKind_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("twips");
        QTest::newRow("drill 1 scheduled") << int(C::DrillDate) << 1150;
        QTest::newRow("drill 1 done") << int(C::DoneDate) << 1150;
        QTest::newRow("drill 1 evaluation") << int(C::CompEval) << 1000;
        QTest::newRow("drill 1 master") << int(C::Master) << 2000;
        QTest::newRow("drill 2 scheduled") << int(C::DrillDate1) << 1150;
        QTest::newRow("drill 2 evaluation") << int(C::CompEval1) << 1000;
        QTest::newRow("drill 2 master") << int(C::Master1) << 2000;
    }
    void columnsAreAsWideAsTheirKind()
    {
        QFETCH(int, field);
        QFETCH(int, twips);
        LoadedWindow w({Alpha});
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.grid()->columnWidth(DrillColumns::columnOf(C(field))), Twips::toPx(twips));
    }

    // Another program changes a drill, then removes one; the year is left and shown again:
    // the captions stay through every re-read.
    void captionsStayAfterEveryReread()
    {
        LoadedWindow w({Alpha, Bravo});
        QVERIFY(w.loadAndShow());
        const QStringList before = shownCaptions(w);
        QVERIFY(!before.isEmpty());
        w.fixture.exec(QStringLiteral("UPDATE Drills SET Master = 'Elsewhere'"));
        QTRY_COMPARE(w.cellText(Alpha, C::Master), QStringLiteral("Elsewhere"));
        QCOMPARE(shownCaptions(w), before);
        QVERIFY(drillCaptionSpansItsColumns(w, C::DrillDate, C::Master));
        w.fixture.exec(QStringLiteral("DELETE FROM Drills WHERE ShipName = ?"), {Bravo});
        QTRY_COMPARE(w.shipRows(), 1);
        QCOMPARE(shownCaptions(w), before);
        QVERIFY(drillCaptionSpansItsColumns(w, C::DrillDate, C::Master));
        w.press("previousYearButton");
        w.press("nextYearButton");
        QVERIFY(w.settle());
        QCOMPARE(w.cellText(Alpha, C::Master), QStringLiteral("Elsewhere"));
        QCOMPARE(shownCaptions(w), before);
        QVERIFY(drillCaptionSpansItsColumns(w, C::DrillDate, C::Master));
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
        LoadedWindow w({Alpha});
        const auto iso = [](const QDate& d) {
            return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : QVariant();
        };
        // Drill 2 gets the opposite situation, to show that the two are judged apart.
        w.fixture.exec(
            QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", "
                           "\"Done Date\", Master, \"Drill Date1\", \"Done Date1\", Master1) "
                           "VALUES (?, 'MV Alpha', ?, ?, ?, 'A. Master', ?, ?, 'B. Master')"),
            {w.fixture.shipId(Alpha), today.year(), iso(scheduled), iso(done),
             iso(today.addDays(-10)), iso(QDate())});
        QVERIFY(w.load());
        QVERIFY(nameIsBold(w, Alpha));
        for (const C field : {C::DrillDate, C::DoneDate, C::CompEval, C::Master})
            QCOMPARE(w.cellColour(Alpha, field), expected);
        for (const C field : {C::DrillDate1, C::DoneDate1, C::CompEval1, C::Master1})
            QCOMPARE(w.cellColour(Alpha, field), Blue);
        QCOMPARE(w.cellColour(Alpha, C::ShipName), Black);
    }

    // The program left open over midnight: a drill a month ahead becomes due on the clock's
    // tick that finds the new day, and only then; the cell being edited stays open.
    void theDayChangingRecoloursTheGridOnTheClocksTick()
    {
        Clock::setFixed(QDateTime(QDate(2026, 6, 15), QTime(23, 59)));
        LoadedWindow w({Alpha, Bravo});
        w.fixture.exec(QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, "
                                      "\"Drill Date\") SELECT IDShip, ShipName, 2026, "
                                      "'2026-07-15' FROM Ships"));
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.cellColour(Alpha, C::DrillDate), Red);
        QVERIFY(w.clickCell(Bravo, C::Master));
        const QString editing = w.currentCell();

        w.tickers.fire(Ticker::Step::Clock);
        QCOMPARE(w.cellColour(Alpha, C::DrillDate), Red); // the same day: nothing to change
        Clock::setFixed(QDateTime(QDate(2026, 6, 16), QTime(0, 0)));
        w.tickers.fire(Ticker::Step::Clock);
        QCOMPARE(w.currentCell(), editing);
        QVERIFY(w.box());
        for (const QString& ship : {Alpha, Bravo}) {
            for (const C field : {C::DrillDate, C::DoneDate, C::CompEval, C::Master})
                QCOMPARE(w.cellColour(ship, field), Blue);
            QCOMPARE(w.cellColour(ship, C::Master1), Black);
        }
    }

    // A stored date changes the colour of its whole drill on screen: the views are told of
    // every cell of the row, not only of the cell that was edited.
    void aStoredDateRepaintsItsWholeDrill()
    {
        LoadedWindow w({Alpha, Bravo});
        QVERIFY(w.loadAndShow());
        QSignalSpy told(w.model(), &QAbstractItemModel::dataChanged);
        QVERIFY(w.clickCell(Alpha, C::DoneDate));
        QTest::keyClicks(w.box(), QStringLiteral("6/1/2026"));
        QTest::keyClick(w.box(), Qt::Key_Return);
        QCOMPARE(w.cellColour(Alpha, C::Master), Green);
        const QModelIndex master = w.cellOf(Alpha, C::Master);
        const bool masterTold = std::any_of(told.cbegin(), told.cend(), [&](const auto& args) {
            const auto first = args.at(0).template value<QModelIndex>();
            const auto last = args.at(1).template value<QModelIndex>();
            return first.row() <= master.row() && master.row() <= last.row() &&
                   first.column() <= master.column() && master.column() <= last.column();
        });
        QVERIFY(masterTold);
    }

    // A date field changed by other means to a text that is no date is shown as it stands; as
    // a date done it still marks the drill done, as a schedule it gives no colour.
    void aStoredTextThatIsNoDateIsShownAndJudgedAsText()
    {
        LoadedWindow w({Alpha});
        w.fixture.exec(
            QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, \"Drill Date\", "
                           "\"Done Date1\") VALUES (?, 'MV Alpha', 2026, 'soon', 'last week')"),
            {w.fixture.shipId(Alpha)});
        QVERIFY(w.loadAndShow());
        QCOMPARE(w.cellText(Alpha, C::DrillDate), QStringLiteral("soon"));
        QCOMPARE(w.cellText(Alpha, C::DoneDate1), QStringLiteral("last week"));
        QCOMPARE(w.cellColour(Alpha, C::DrillDate), Black);
        QCOMPARE(w.cellColour(Alpha, C::DrillDate1), Green);
    }

    // Recolouring and reloading keep the ship names bold, the current cell and the view.
    void recolouringNeverMovesTheViewNorTheCurrentCell()
    {
        LoadedWindow w(300);
        QVERIFY(w.loadAndShow());
        const QString ship = Fixture::shipNames(300).at(150);
        w.scrollToCell(ship, C::Master1);
        QVERIFY(w.clickCell(ship, C::Master1));
        const QString current = w.currentCell();
        QScrollBar* down = w.grid()->verticalScrollBar();
        QScrollBar* across = w.grid()->horizontalScrollBar();
        const int vertical = down->value();
        const int horizontal = across->value();
        QVERIFY(vertical > 0 && horizontal > 0);
        // A new day recolours every row, on the clock's tick.
        Clock::setFixed(Clock::now().addDays(1));
        w.tickers.fire(Ticker::Step::Clock);
        QCOMPARE(down->value(), vertical);
        QCOMPARE(across->value(), horizontal);
        QCOMPARE(w.currentCell(), current);
        w.reloadYear();
        QCOMPARE(w.currentCell(), current);
        for (const QString& named : {Fixture::shipNames(300).first(), ship})
            QVERIFY(nameIsBold(w, named));
    }

    // Scrolled to the far right and bottom: the captions stay on top and the ship names at
    // the left, and no drill cell is shown under them.
    void shipNamesAndCaptionsStayInViewWithNothingUnderThem()
    {
        LoadedWindow w(300);
        QVERIFY(w.loadAndShow());
        DrillGridView* grid = w.grid();
        const QString ship = Fixture::shipNames(300).at(40);
        const QRect name = grid->cellRect(w.cellOf(ship, C::ShipName));
        const QRect date = grid->cellRect(w.cellOf(ship, C::DrillDate));
        const int captionsTop = grid->horizontalHeader()->mapTo(grid, QPoint()).y();
        grid->verticalScrollBar()->setValue(grid->verticalScrollBar()->maximum());
        grid->horizontalScrollBar()->setValue(grid->horizontalScrollBar()->maximum());
        QVERIFY(grid->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(grid->horizontalHeader()->mapTo(grid, QPoint()).y(), captionsTop);
        QCOMPARE(grid->cellRect(w.cellOf(ship, C::ShipName)).left(), name.left());
        QVERIFY(grid->cellRect(w.cellOf(ship, C::ShipName)).top() < name.top());
        QVERIFY(grid->cellRect(w.cellOf(ship, C::DrillDate)).left() < date.left());

        const QRect frozen(grid->frozenView()->mapTo(grid, QPoint()), grid->frozenView()->size());
        const QRect body(grid->viewport()->mapTo(grid, QPoint()), grid->viewport()->size());
        QVERIFY(body.left() > frozen.right());
        for (const C field : {C::DrillDate, C::DoneDate, C::CompEval, C::Master}) {
            const QRect cell = grid->cellRect(w.cellOf(ship, field));
            QVERIFY2(cell.left() >= body.left() || cell.right() < body.left(),
                     "a drill column begins under the ship names");
        }
        QCOMPARE(grid->childAt(frozen.center()), grid->frozenView()->viewport());
    }

    // The current cell is framed wherever it is, the ship names' column included; only it.
    void theCurrentCellIsFramedInEveryColumn_data()
    {
        QTest::addColumn<int>("column");
        QTest::newRow("Ship Name") << int(C::ShipName);
        QTest::newRow("a date") << int(C::DrillDate);
        QTest::newRow("a master") << int(C::Master1);
    }
    void theCurrentCellIsFramedInEveryColumn()
    {
        QFETCH(int, column);
        const C field = C(column);
        LoadedWindow w({Alpha, Bravo});
        QVERIFY(w.loadAndShow());
        QVERIFY(w.clickCell(Bravo, field));
        if (w.box()) // the box lies over the frame until it is closed
            QTest::keyClick(w.box(), Qt::Key_Escape);
        QVERIFY(!w.box());
        QVERIFY(isFramed(w, Bravo, field));
        QVERIFY(!isFramed(w, Alpha, field));
        QVERIFY(w.clickCell(Alpha, C::ShipName));
        QVERIFY(!isFramed(w, Bravo, field));
        QVERIFY(isFramed(w, Alpha, C::ShipName));
    }

    // A name cut by its column shows whole as the tip where the mouse rests; one shown
    // whole needs none.
    void aCutNameShowsWholeAsItsTip_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<bool>("cut");
        QTest::newRow("a long ship name") << int(C::ShipName) << true;
        QTest::newRow("a long master's name") << int(C::Master) << true;
        QTest::newRow("a short ship name") << int(C::ShipName) << false;
        QTest::newRow("a short master's name") << int(C::Master) << false;
    }
    void aCutNameShowsWholeAsItsTip()
    {
        QFETCH(int, column);
        QFETCH(bool, cut);
        const C field = C(column);
        const QString ship =
            cut ? QStringLiteral("MV Northern Lights of the Western Isles") : Bravo;
        const QString master = cut ? QStringLiteral("Capt. Alexandros Papadopoulos-Konstantinou")
                                   : QStringLiteral("Berg");
        LoadedWindow w({ship});
        w.fixture.exec(QStringLiteral("INSERT INTO Drills (IDShip, ShipName, YearDrill, Master) "
                                      "VALUES (?, ?, 2026, ?)"),
                       {w.fixture.shipId(ship), ship, master});
        QVERIFY(w.loadAndShow());
        const QString whole = w.cellText(ship, field);
        const QRect cell = w.grid()->cellRect(w.cellOf(ship, field));
        QCOMPARE(viewOf(w, field)->fontMetrics().horizontalAdvance(whole) > cell.width(), cut);
        QCOMPARE(tipOf(w, ship, field), cut ? whole : QString());
        QToolTip::hideText();
    }
};

QTEST_MAIN(TestDrillGrid)
#include "tst_drillgrid.moc"
