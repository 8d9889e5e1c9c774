// The paths users take that helpers tend to smooth over: clicks where the pointer really is,
// typing at once after a click, Enter twice, the grid clicked while a panel is open.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "widgets/ElidingLabel.h"
#include "widgets/Fonts.h"

#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextDocument>
#include <QToolTip>
#include <QWheelEvent>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");

constexpr int AlphaRow = 2;
constexpr int BravoRow = 3;
constexpr int MasterCol = 7;
constexpr int DrillTwoEvaluationCol = 10;
constexpr int DrillTwoMasterCol = 11;

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

// The first drill row that the bottom edge of the grid's body cuts through; 0 when none.
int rowCutOffAtTheBottom(const FlexGrid* grid, int col)
{
    const int bottom = grid->viewport()->geometry().bottom();
    for (int row = grid->fixedRows(); row < grid->rows(); ++row) {
        const QRect cell = grid->cellRect(row, col);
        if (cell.top() < bottom - 4 && cell.bottom() > bottom)
            return row;
    }
    return 0;
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
        QVERIFY(w.clickCell(AlphaRow, DrillTwoEvaluationCol));
        w.press("pickButton");
        auto* panel = w.child<QWidget>("evaluationPanel");
        QVERIFY(panel->isVisible());

        // Meanwhile the user clicks the part of another ship's row that the panel leaves
        // uncovered, at the right edge of the grid.
        const QRect master = w.grid->cellRect(BravoRow, DrillTwoMasterCol);
        QVERIFY(w.clickCell(BravoRow, DrillTwoMasterCol,
                            QPoint(master.width() - 10, master.height() / 2)));
        QVERIFY(!w.child<QLineEdit>("editBox")->isVisible());

        for (int question = 1; question <= 9; ++question)
            w.press(qPrintable(QStringLiteral("question%1_0").arg(question)));
        w.press("confirmButton");
        QVERIFY(!panel->isVisible());
        QVERIFY(w.settle());
        QVERIFY(w.clickCell(AlphaRow, MasterCol));
        QVERIFY(w.settle());

        QCOMPARE(field(w.fixture, Alpha, "CompEval1").toString(), QStringLiteral("18"));
        QVERIFY(field(w.fixture, Alpha, "CompEval").isNull());
        QVERIFY(field(w.fixture, Bravo, "Master1").isNull());
        QVERIFY(field(w.fixture, Bravo, "CompEval1").isNull());
        QCOMPARE(w.grid->textMatrix(BravoRow, DrillTwoMasterCol), QString());
        QVERIFY(w.messages.shown.isEmpty());
    }

    void aClickOnARowCutOffAtTheBottomOpensItsEditor()
    {
        LoadedWindow w(60);
        QVERIFY(w.loadAndShow());
        // Dragged a little way down, the grid shows a row cut through at its bottom.
        w.grid->verticalScrollBar()->setValue(10);
        QVERIFY(w.settle());
        const int row = rowCutOffAtTheBottom(w.grid, MasterCol);
        QVERIFY(row > 0);
        const QRect cell = w.grid->cellRect(row, MasterCol);
        const int visibleHeight = w.grid->viewport()->geometry().bottom() - cell.top();
        QVERIFY(w.clickCell(row, MasterCol, QPoint(cell.width() / 2, visibleHeight / 2)));

        auto* box = w.child<QLineEdit>("editBox");
        QVERIFY(box->isVisible());
        QCOMPARE(w.grid->row(), row);
        QCOMPARE(w.grid->col(), MasterCol);
        // The row came into view, and the box lies over it.
        // The view would bring the pressed cell into view a double-click interval later.
        QTest::qWait(QApplication::doubleClickInterval() + 200);
        QVERIFY(w.settle());
        QVERIFY(box->isVisible());
        const QRect shown = w.grid->cellRect(row, MasterCol).translated(w.grid->pos());
        QVERIFY(shown.bottom() <=
                w.grid->mapTo(w.window.get(), w.grid->viewport()->geometry().bottomLeft()).y());
        QCOMPARE(box->x(), shown.x());

        typeAtFocus(QStringLiteral("A. Master"));
        pressAtFocus(Qt::Key_Return);
        QVERIFY(w.settle());
        const QString ship = w.grid->textMatrix(row, 3);
        QCOMPARE(field(w.fixture, ship, "Master").toString(), QStringLiteral("A. Master"));
    }

    // One wheel step down a fleet of 40, then a click on the master of the row the bottom edge
    // cuts through: the window lives on and the box opens on that ship.
    void aClickOnTheCutOffRowAfterOneWheelStepOpensItsBox()
    {
        LoadedWindow w(40);
        QVERIFY(w.loadAndShow());
        w.wheelDown();
        QVERIFY(w.settle());
        const int row = rowCutOffAtTheBottom(w.grid, MasterCol);
        QVERIFY(row > 0);
        const QString ship = w.grid->textMatrix(row, 3);
        const QRect cell = w.grid->cellRect(row, MasterCol);
        const int visibleHeight = w.grid->viewport()->geometry().bottom() - cell.top();
        QVERIFY(
            w.clickCell(ship, DrillRecord::Master, QPoint(cell.width() / 2, visibleHeight / 2)));
        QTest::qWait(QApplication::doubleClickInterval() + 200);
        QVERIFY(w.settle());
        typeAtFocus(QStringLiteral("Cut"));
        pressAtFocus(Qt::Key_Return);
        QVERIFY(w.settle());
        QCOMPARE(field(w.fixture, ship, "Master").toString(), QStringLiteral("Cut"));
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
            const QPoint inGrid = w.grid->cellRect(w.rowOf(ship), w.colOf(field)).center();
            QWidget* target = w.window->childAt(w.grid->mapTo(w.window.get(), inGrid));
            const QPoint local = target->mapFrom(w.grid, inGrid);
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
        QVERIFY(w.clickCell(AlphaRow, MasterCol));
        typeAtFocus(QStringLiteral("J. Smith"));
        pressAtFocus(Qt::Key_Return);
        QVERIFY(w.settle());
        QCOMPARE(QApplication::focusWidget(), w.grid);
        // Enter stored and moved down a row; Enter or Space on the grid opens the cell it is on.
        auto* box = w.child<QLineEdit>("editBox");
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Space}) {
            pressAtFocus(key);
            QVERIFY(w.settle());
            QVERIFY(box->isVisible());
            QCOMPARE(w.grid->row(), BravoRow);
            QCOMPARE(box->text(), field(w.fixture, Bravo, "Master").toString());
            pressAtFocus(Qt::Key_Return);
            QVERIFY(w.settle());
            QCOMPARE(QApplication::focusWidget(), w.grid);
        }
        QVERIFY(w.shell.opened.isEmpty());
        QCOMPARE(field(w.fixture, Alpha, "Master").toString(), QStringLiteral("J. Smith"));
    }

    void theWheelEndsAnEditAndLeavesTheFocusInTheGrid()
    {
        LoadedWindow w(60);
        QVERIFY(w.loadAndShow());
        QVERIFY(w.clickCell(AlphaRow, MasterCol));
        typeAtFocus(QStringLiteral("Wheeled"));
        QWidget* body = w.grid->viewport();
        const QPoint at = body->rect().center();
        QWheelEvent wheel(at, body->mapToGlobal(at), {}, QPoint(0, -120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(body, &wheel);
        QVERIFY(w.grid->verticalScrollBar()->value() > 0);
        QVERIFY(w.settle());
        QVERIFY(!w.child<QLineEdit>("editBox")->isVisible());
        QCOMPARE(QApplication::focusWidget(), w.grid);
        QCOMPARE(field(w.fixture, w.grid->textMatrix(AlphaRow, 3), "Master").toString(),
                 QStringLiteral("Wheeled"));
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
        w.window->loadYear();
        QVERIFY(w.settle());
        QVERIFY(w.clickCell(AlphaRow, DrillTwoEvaluationCol));
        w.press("pickButton");
        QVERIFY(w.child<QWidget>("evaluationPanel")->isVisible());

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
