// The paths users take that helpers tend to smooth over: clicks where the pointer really is,
// typing at once after a click, Enter twice, the grid clicked while a panel is open.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "widgets/ElidingLabel.h"
#include "widgets/Fonts.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QWheelEvent>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");

using C = DrillRecord::Column;

QVariant field(const Fixture& fixture, const QString& ship, const char* name)
{
    return fixture.scalar(
        QStringLiteral("SELECT \"%1\" FROM Drills WHERE ShipName = ?").arg(QLatin1String(name)),
        {ship});
}

// Each key goes where the keyboard focus is at that moment, as it does for a user.
void typeAtFocus(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

// A user's next key comes after the event loop has had its turn.
void pressAtFocus(Qt::Key key)
{
    QTest::keyClick(QApplication::focusWidget(), key);
    QCoreApplication::processEvents();
}

QString plainText(const QLabel* label)
{
    if (label->textFormat() == Qt::PlainText || !Qt::mightBeRichText(label->text()))
        return label->text();
    QTextDocument document;
    document.setHtml(label->text());
    return document.toPlainText();
}

// The ship whose row the bottom edge of the grid's body cuts through; empty when none.
QString shipCutOffAtTheBottom(const LoadedWindow& w)
{
    const int bottom = w.grid()->viewport()->geometry().bottom();
    for (int row = 0; row < w.shipRows(); ++row) {
        const QString ship = w.model()->index(row, DrillColumns::ShipNameColumn).data().toString();
        const QRect cell = w.grid()->cellRect(w.cellOf(ship, C::Master));
        if (cell.top() < bottom - 4 && cell.bottom() > bottom)
            return ship;
    }
    return {};
}

// Fonts decide whether the bottom edge of the body cuts a row; where it cuts none, the grid is
// made half a row shorter, as other fonts show it.
void cutARowAtTheBottom(const LoadedWindow& w)
{
    if (shipCutOffAtTheBottom(w).isEmpty())
        w.grid()->resize(w.grid()->width(), w.grid()->height() - w.grid()->rowHeight(0) / 2);
}

QString accessibleName(QWidget* widget)
{
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// Labels of plain text that are shown and must be read whole on screen.
QList<QLabel*> shownTextLabels(const QWidget* window)
{
    QList<QLabel*> labels;
    for (QLabel* label : window->findChildren<QLabel*>()) {
        if (label->isVisible() && !label->text().isEmpty() && !label->wordWrap() &&
            !qobject_cast<ElidingLabel*>(label) && plainText(label) == label->text())
            labels.append(label);
    }
    return labels;
}

} // namespace

class TestUserPaths : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Fonts::installSubstitutes(); }
    void init() { setTheTestDay(); }
    void cleanup() { Clock::reset(); }

    void theEvaluationTotalReachesOnlyTheEvaluatedDrill()
    {
        LoadedWindow w({Alpha, Bravo});
        QVERIFY(w.loadAndShow());
        QVERIFY(w.clickCell(Alpha, C::CompEval1));
        QTest::mouseClick(w.pickButton(), Qt::LeftButton);
        auto* panel = w.openedQuestionnaire();
        QVERIFY(panel);

        // Meanwhile the user clicks the part of another ship's row that the panel leaves
        // uncovered, at the right edge of the grid.
        const QRect master = w.grid()->cellRect(w.cellOf(Bravo, C::Master1));
        QVERIFY(w.clickCell(Bravo, C::Master1, QPoint(master.width() - 10, master.height() / 2)));
        QVERIFY(!w.box());

        for (int question = 1; question <= 9; ++question)
            w.press(qPrintable(QStringLiteral("question%1_0").arg(question)));
        w.press("confirmButton");
        QVERIFY(!panel->isVisible());
        QVERIFY(w.clickCell(Alpha, C::Master));

        QCOMPARE(field(w.fixture, Alpha, "CompEval1").toString(), QStringLiteral("18"));
        QCOMPARE(w.cellText(Alpha, C::CompEval1), QStringLiteral("18"));
        QVERIFY(field(w.fixture, Alpha, "CompEval").isNull());
        QVERIFY(field(w.fixture, Bravo, "Master1").isNull());
        QVERIFY(field(w.fixture, Bravo, "CompEval1").isNull());
        QCOMPARE(w.cellText(Bravo, C::Master1), QString());
        QVERIFY(w.messages.shown.isEmpty());
    }

    // Scrolled a little way down, the grid shows a row cut through at its bottom. A click on
    // the part of its master cell in view opens that ship's box, which stays over the cell as
    // the row comes into view, and stores there; the window lives on.
    void aClickOnTheRowCutOffAtTheBottomOpensItsBox_data()
    {
        QTest::addColumn<int>("ships");
        QTest::addColumn<bool>("wheel");
        QTest::newRow("40 ships, one wheel step") << 40 << true;
        QTest::newRow("60 ships, scroll bar dragged") << 60 << false;
    }
    void aClickOnTheRowCutOffAtTheBottomOpensItsBox()
    {
        QFETCH(int, ships);
        QFETCH(bool, wheel);
        LoadedWindow w(ships);
        QVERIFY(w.loadAndShow());
        cutARowAtTheBottom(w);
        if (wheel)
            w.wheelDown();
        else
            w.grid()->verticalScrollBar()->setValue(10);
        QVERIFY(w.grid()->verticalScrollBar()->value() > 0);
        const QString ship = shipCutOffAtTheBottom(w);
        QVERIFY(!ship.isEmpty());
        const QRect cell = w.grid()->cellRect(w.cellOf(ship, C::Master));
        const int visibleHeight = w.grid()->viewport()->geometry().bottom() - cell.top();
        QVERIFY(w.clickCell(ship, C::Master, QPoint(cell.width() / 2, visibleHeight / 2)));
        QVERIFY(w.box());
        QCOMPARE(w.grid()->currentIndex(), w.cellOf(ship, C::Master));

        // The view brings the pressed cell into view a double-click interval later.
        QTest::qWait(QApplication::doubleClickInterval() + 200);
        QVERIFY(w.box());
        const QRect shown = w.grid()->cellRect(w.cellOf(ship, C::Master));
        QVERIFY(shown.bottom() <= w.grid()->viewport()->geometry().bottom());
        QCOMPARE(w.box()->mapTo(w.grid(), QPoint(0, 0)).x(), shown.x());

        typeAtFocus(QStringLiteral("A. Master"));
        pressAtFocus(Qt::Key_Return);
        QCOMPARE(field(w.fixture, ship, "Master").toString(), QStringLiteral("A. Master"));
        QVERIFY(w.messages.shown.isEmpty());
    }

    // A ship or master name longer than its cell shows whole in a tip where the pointer
    // rests; a name that fits shows none.
    void aCutNameShowsWholeWhereThePointerRests()
    {
        const QString longName =
            QStringLiteral("MV Extraordinarily Long Name Of The Northern Fleet");
        LoadedWindow w({Alpha, longName});
        QVERIFY(w.loadAndShow());
        w.fixture.exec(QStringLiteral("UPDATE Drills SET Master = ShipName"));
        QTRY_COMPARE(w.cellText(longName, DrillRecord::Master), longName);
        const auto tipAt = [&](const QString& ship, DrillRecord::Column field) {
            const QPoint inGrid = w.grid()->cellRect(w.cellOf(ship, field)).center();
            QWidget* target = w.window->childAt(w.grid()->mapTo(w.window.get(), inGrid));
            const QPoint local = target->mapFrom(w.grid(), inGrid);
            QHelpEvent help(QEvent::ToolTip, local, target->mapToGlobal(local));
            QToolTip::hideText();
            if (!QTest::qWaitFor([] { return !QToolTip::isVisible(); }))
                return QStringLiteral("a tip that stays");
            QApplication::sendEvent(target, &help);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        for (const DrillRecord::Column field : {DrillRecord::ShipName, DrillRecord::Master}) {
            QCOMPARE(tipAt(longName, field), longName);
            QCOMPARE(tipAt(Alpha, field), QString());
        }
    }

    void aSecondEnterStaysInTheGrid()
    {
        LoadedWindow w({Alpha, Bravo});
        QVERIFY(w.loadAndShow());
        QVERIFY(w.clickCell(Alpha, C::Master));
        typeAtFocus(QStringLiteral("J. Smith"));
        pressAtFocus(Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.grid());
        // Enter stored and moved down a row; Enter or Space on the grid opens the cell it is on.
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
            pressAtFocus(key);
            QVERIFY(w.box());
            QCOMPARE(w.grid()->currentIndex(), w.cellOf(Bravo, C::Master));
            QCOMPARE(w.box()->text(), field(w.fixture, Bravo, "Master").toString());
            pressAtFocus(Qt::Key_Return);
            QVERIFY(!w.box());
            QCOMPARE(QApplication::focusWidget(), w.grid());
        }
        QVERIFY(w.shell.opened.isEmpty());
        QCOMPARE(field(w.fixture, Alpha, "Master").toString(), QStringLiteral("J. Smith"));
    }

    void theWheelEndsAnEditAndLeavesTheFocusInTheGrid()
    {
        LoadedWindow w(60);
        QVERIFY(w.loadAndShow());
        const QString first = Fixture::shipNames(60).first();
        QVERIFY(w.clickCell(first, C::Master));
        typeAtFocus(QStringLiteral("Wheeled"));
        w.wheelDown();
        QVERIFY(w.grid()->verticalScrollBar()->value() > 0);
        QTRY_VERIFY(!w.box());
        QCOMPARE(QApplication::focusWidget(), w.grid());
        QCOMPARE(field(w.fixture, first, "Master").toString(), QStringLiteral("Wheeled"));
        QCOMPARE(w.cellText(first, C::Master), QStringLiteral("Wheeled"));
    }

    // Every way out of an open box stores what was typed, or leaves the box open and shown with
    // it; none leaves an edit pending unseen.
    void everyWayOutOfABoxStoresItOrLeavesItShown_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("stored");
        QTest::newRow("scroll bar arrow") << "arrow" << true;
        QTest::newRow("scroll bar handle dragged") << "drag" << true;
        QTest::newRow("another window, and back") << "window" << false;
        QTest::newRow("minimised and restored") << "minimise" << false;
        QTest::newRow("previous year") << "year" << true;
        QTest::newRow("closing the year") << "close" << true;
        QTest::newRow("End Program, answered No") << "end" << true;
        QTest::newRow("arrow key down") << "down" << true;
    }
    void everyWayOutOfABoxStoresItOrLeavesItShown()
    {
        QFETCH(QString, way);
        QFETCH(bool, stored);
        LoadedWindow w(60);
        QVERIFY(w.loadAndShow());
        const QString first = Fixture::shipNames(60).first();
        QVERIFY(w.clickCell(first, C::Master));
        typeAtFocus(QStringLiteral("Typed"));
        QScrollBar* rows = w.grid()->verticalScrollBar();
        QWidget other;
        if (way == QLatin1String("arrow") || way == QLatin1String("drag")) {
            QStyleOptionSlider bar;
            bar.initFrom(rows);
            bar.orientation = Qt::Vertical;
            bar.minimum = rows->minimum();
            bar.maximum = rows->maximum();
            bar.sliderPosition = bar.sliderValue = rows->value();
            bar.pageStep = rows->pageStep();
            bar.singleStep = rows->singleStep();
            const auto part = [&](QStyle::SubControl control) {
                return rows->style()->subControlRect(QStyle::CC_ScrollBar, &bar, control, rows);
            };
            if (way == QLatin1String("arrow")) {
                for (int click = 0; click < 3; ++click)
                    QTest::mouseClick(rows, Qt::LeftButton, {},
                                      part(QStyle::SC_ScrollBarAddLine).center());
            } else {
                const QPoint handle = part(QStyle::SC_ScrollBarSlider).center();
                QTest::mousePress(rows, Qt::LeftButton, {}, handle);
                QTest::mouseMove(rows, handle + QPoint(0, rows->height() / 4));
                QTest::mouseRelease(rows, Qt::LeftButton, {},
                                    handle + QPoint(0, rows->height() / 4));
            }
            QVERIFY(rows->value() > 0);
        } else if (way == QLatin1String("window")) {
            other.show();
            QVERIFY(QTest::qWaitForWindowExposed(&other));
            QApplication::setActiveWindow(&other);
            QCoreApplication::processEvents();
            QVERIFY(!w.box() || !w.box()->hasFocus());
            QApplication::setActiveWindow(w.window.get());
        } else if (way == QLatin1String("minimise")) {
            w.window->showMinimized();
            QApplication::setActiveWindow(nullptr); // as the desktop does to a minimised window
            QCoreApplication::processEvents();
            w.window->showNormal();
            QApplication::setActiveWindow(w.window.get());
        } else if (way == QLatin1String("year")) {
            w.press("previousYearButton");
            QCOMPARE(w.shownYear(), 2025);
        } else if (way == QLatin1String("down")) {
            pressAtFocus(Qt::Key_Down);
            QCOMPARE(w.grid()->currentIndex(), w.cellOf(Fixture::shipNames(60).at(1), C::Master));
        } else if (way == QLatin1String("close")) {
            w.messages.answerYes = true;
            w.child<QAction>("ActCloseYear")->trigger();
        } else {
            w.press("endProgramButton");
        }
        QCoreApplication::processEvents();
        QCOMPARE(field(w.fixture, first, "Master").toString(),
                 stored ? QStringLiteral("Typed") : QString());
        if (stored) {
            QVERIFY(!w.box());
            return;
        }
        QVERIFY(w.box());
        QCOMPARE(w.box()->text(), QStringLiteral("Typed"));
        QCOMPARE(QApplication::focusWidget(), w.box());
        pressAtFocus(Qt::Key_Return);
        QCOMPARE(field(w.fixture, first, "Master").toString(), QStringLiteral("Typed"));
    }

    // Another program closes the year while a box is open: Enter is refused with who closed
    // it and when, as any edit in a closed year, and the box goes.
    void anEditInAYearClosedMeanwhileIsRefusedWithWhoAndWhen()
    {
        LoadedWindow w({Alpha, Bravo});
        QVERIFY(w.loadAndShow());
        QVERIFY(w.clickCell(Alpha, C::Master));
        typeAtFocus(QStringLiteral("Too late"));
        w.fixture.exec(QStringLiteral("INSERT INTO ClosedYears (YearDrill, ClosedAt, ClosedBy) "
                                      "VALUES (2026, '2026-06-15T08:00:00Z', 'auditor')"));
        pressAtFocus(Qt::Key_Return);
        QCOMPARE(w.messages.shown.size(), 1);
        const QString told = w.messages.shown.first().text;
        QVERIFY2(told.contains(QStringLiteral("auditor")) &&
                     !told.contains(QStringLiteral("Error No")),
                 qPrintable(told));
        QVERIFY(!w.box());
        QVERIFY(field(w.fixture, Alpha, "Master").isNull());
    }

    void typingIntoAClickedShipNameReachesThatShip()
    {
        LoadedWindow w(Fixture::shipNames(8));
        QVERIFY(w.loadAndShow());
        w.press("fleetButton");
        auto* list = w.child<QTableView>("shipGrid");
        const auto clickName = [list](int row) {
            const QRect cell = list->visualRect(list->model()->index(row, 1));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
        };
        const QString fifth = list->model()->index(4, 1).data().toString();
        const QString sixth = list->model()->index(5, 1).data().toString();

        clickName(4);
        pressAtFocus(Qt::Key_Escape);
        clickName(4);
        typeAtFocus(QStringLiteral("MV Hermes"));
        pressAtFocus(Qt::Key_Return);

        // The numbers are the database's own: typing there changes nothing and moves nowhere.
        const QModelIndex secondId = list->model()->index(1, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualRect(secondId).center());
        typeAtFocus(QStringLiteral("7"));
        QCOMPARE(list->currentIndex(), secondId);

        // The row marked * takes a new ship after a single click.
        const int newRow = list->model()->rowCount() - 1;
        clickName(newRow);
        typeAtFocus(QStringLiteral("Delta"));
        pressAtFocus(Qt::Key_Return);
        w.press("saveFleetButton");
        QVERIFY(w.settle());

        const auto count = [&w](const QString& name) {
            return w.fixture
                .scalar(QStringLiteral("SELECT COUNT(*) FROM Ships WHERE ShipName = ?"), {name})
                .toInt();
        };
        QCOMPARE(count(QStringLiteral("MV Hermes")), 1);
        QCOMPARE(count(fifth), 0);
        QCOMPARE(count(sixth), 1);
        QCOMPARE(count(QStringLiteral("Delta")), 1);
        QCOMPARE(w.fixture.scalar(QStringLiteral("SELECT COUNT(*) FROM Ships")).toInt(), 9);
    }

    void labelsThatShowDataAreReadAsThatData()
    {
        LoadedWindow w({Alpha, Bravo});
        w.fixture.exec(QStringLiteral("UPDATE Company SET Name = 'Aegean Ship Management'"));
        QVERIFY(w.loadAndShow());
        w.fixture.exec(QStringLiteral("UPDATE Drills SET \"Done Date1\" = '2026-05-04', "
                                      "Master1 = 'Sean O''Brien' WHERE ShipName = ?"),
                       {Alpha});
        w.reloadYear();
        QVERIFY(w.clickCell(Alpha, C::CompEval1));
        QTest::mouseClick(w.pickButton(), Qt::LeftButton);
        QVERIFY(w.openedQuestionnaire());

        const QList<QLabel*> labels = w.window->findChildren<QLabel*>();
        QVERIFY(labels.size() > 20);
        for (QLabel* label : labels) {
            if (!label->isVisible() || label->text().isEmpty())
                continue;
            QVERIFY2(
                accessibleName(label) == plainText(label),
                qPrintable(label->objectName() + QStringLiteral(": ") + accessibleName(label)));
        }
        QCOMPARE(accessibleName(w.child<QLabel>("shipLabel")), Alpha);
        QCOMPARE(accessibleName(w.child<QLabel>("masterLabel")), QStringLiteral("Sean O'Brien"));
        QCOMPARE(accessibleName(w.child<QLabel>("totalLabel")), QStringLiteral("0"));
    }

    void fixedTextsAreShownWhole()
    {
        LoadedWindow w({Alpha});
        QVERIFY(w.loadAndShow());
        const auto checkShown = [&w] {
            for (QLabel* label : shownTextLabels(w.window.get())) {
                const int needed = label->fontMetrics().horizontalAdvance(label->text());
                if (needed > label->contentsRect().width())
                    return label->objectName() + QStringLiteral(": ") + label->text();
            }
            return QString();
        };
        QCOMPARE(checkShown(), QString());
        w.press("companyButton");
        QCOMPARE(checkShown(), QString());
        w.press("fleetButton");
        QCOMPARE(checkShown(), QString());
        w.press("evaluationFormButton");
        QCOMPARE(checkShown(), QString());
    }

    void aLongCompanyNameEndsInAnEllipsisAndPrintsWhole()
    {
        const QString name = QStringLiteral("Aegean, Ionian and Levantine Ship Management and "
                                            "Crewing Services of the Eastern Mediterranean");
        LoadedWindow w({Alpha});
        w.fixture.exec(QStringLiteral("UPDATE Company SET Name = ?"), {name});
        QVERIFY(w.loadAndShow());
        w.press("evaluationFormButton");
        auto* company = qobject_cast<ElidingLabel*>(w.child<QLabel>("companyLabel"));
        QVERIFY(company);
        QCOMPARE(company->text(), name);
        QVERIFY(company->shownText().endsWith(QChar(0x2026)));
        QVERIFY(company->fontMetrics().horizontalAdvance(company->shownText()) <=
                company->contentsRect().width());
    }
};

QTEST_MAIN(TestUserPaths)
#include "tst_userpaths.moc"
