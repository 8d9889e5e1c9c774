// The history and the closing of years in the main window, as a user works them: keys and
// clicks on the grid, the year caption's commands, the questionnaire, the fleet panel.
#include "LoadedWindow.h"
#include "common/LoginName.h"
#include "data/DrillChange.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "history/HistoryWindow.h"
#include "reports/ReportPreview.h"

#include <QAbstractButton>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QString Alpha = QStringLiteral("MV Alpha");
const QString Bravo = QStringLiteral("MV Bravo");

class HistoryTestWindow : public LoadedWindow
{
public:
    HistoryTestWindow() : LoadedWindow({Alpha, Bravo}) {}

    void keys(QKeySequence key) const { QTest::keySequence(QApplication::focusWidget(), key); }
    QVariant master(const QString& ship) const
    {
        return fixture.scalar(QStringLiteral("SELECT Master FROM Drills WHERE ShipName = ?"),
                              {ship});
    }
    QString lastMessage() const
    {
        return messages.shown.isEmpty() ? QString() : messages.shown.last().text;
    }
    HistoryWindow* historyWindow() const { return window->findChild<HistoryWindow*>(); }
};

// Changes made through a connection of the program's data layer of their own.
void writeMasters(const QString& path, const QStringList& values)
{
    DrillDatabase db(path);
    QVERIFY(db.open().isEmpty());
    DrillDataSource data(db);
    data.setYear(2026);
    QVERIFY(data.refresh());
    for (const QString& value : values)
        QVERIFY(data.write(DrillChange::of(data.records().at(0), DrillDataSource::Master, value))
                    .stored());
}

const QKeySequence CloseYear(Qt::CTRL | Qt::SHIFT | Qt::Key_L);
const QKeySequence ReopenYear(Qt::CTRL | Qt::SHIFT | Qt::Key_U);

} // namespace

class TestHistoryWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { setTheTestDay(); }
    void cleanup() { Clock::reset(); }

    void aClosedYearTakesNoEditUntilReopenedWithAReason()
    {
        HistoryTestWindow w;
        QVERIFY(w.loadAndShow());
        w.messages.answerYes = true;
        w.keys(CloseYear);
        QCOMPARE(w.fixture
                     .scalar(QStringLiteral("SELECT ClosedBy FROM ClosedYears WHERE "
                                            "YearDrill = 2026"))
                     .toString(),
                 LoginName::current());

        // By mouse and by keyboard: no edit box, and the user is told by whom.
        QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
        QVERIFY(!w.box());
        QVERIFY2(w.lastMessage().contains(LoginName::current()), qPrintable(w.lastMessage()));
        w.grid()->setFocus();
        QTest::keyClicks(w.grid(), QStringLiteral("X"));
        QVERIFY(!w.box());
        QVERIFY(w.master(Alpha).isNull());

        // The questionnaire shows the answers, and offers nothing to change or save.
        QVERIFY(w.clickCell(Alpha, DrillRecord::CompEval));
        w.press("pickButton");
        QVERIFY(w.child<QWidget>("evaluationPanel")->isVisible());
        QVERIFY(!w.child<QAbstractButton>("confirmButton")->isVisible());
        const auto options = w.child<QWidget>("evaluationPanel")->findChildren<QRadioButton*>();
        QVERIFY(!options.isEmpty());
        QVERIFY(std::none_of(options.cbegin(), options.cend(),
                             [](const QRadioButton* option) { return option->isEnabled(); }));
        w.press("cancelFormButton");

        w.messages.answerText = QStringLiteral("  ");
        w.keys(ReopenYear);
        QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
        QVERIFY(!w.box()); // still closed
        w.messages.answerText = QStringLiteral("Class asked for a correction");
        w.keys(ReopenYear);
        QCOMPARE(w.fixture
                     .scalar(QStringLiteral("SELECT NewValue FROM History WHERE TableName "
                                            "= 'ClosedYears' ORDER BY IDHistory DESC"))
                     .toString(),
                 QStringLiteral("Reopened: Class asked for a correction"));
        QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
        QVERIFY(w.box());
    }

    void ctrlHListsTheDrillsChangesNewestFirstToPrintAndSave()
    {
        HistoryTestWindow w;
        QVERIFY(w.loadAndShow());
        writeMasters(w.fixture.databasePath(),
                     {QStringLiteral("Capt. Berg"), QStringLiteral("=Capt. Lund")});
        QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
        w.keys(QKeySequence(Qt::CTRL | Qt::Key_H));
        HistoryWindow* history = w.historyWindow();
        QVERIFY(history && history->isVisible());
        auto* list = history->findChild<QTreeWidget*>();
        QTRY_VERIFY(list->hasFocus());
        QCOMPARE(list->topLevelItemCount(), 2);
        QCOMPARE(list->topLevelItem(0)->text(4), QStringLiteral("=Capt. Lund"));
        QCOMPARE(list->topLevelItem(1)->text(3), QString());

        const QString csv = w.fixture.folder() + QStringLiteral("/history.csv");
        history->setFileChooser([&](QWidget*, const QString&) { return csv; });
        QTest::mouseClick(history->findChild<QAbstractButton*>(QStringLiteral("exportCsvButton")),
                          Qt::LeftButton);
        QFile file(csv);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        QCOMPARE(text.count(QStringLiteral("\r\n")), 3);
        QVERIFY2(text.contains(QStringLiteral(",\"'=Capt. Lund\"")), qPrintable(text));

        QTest::mouseClick(history->findChild<QAbstractButton*>(QStringLiteral("printFormButton")),
                          Qt::LeftButton);
        auto* preview = history->findChild<ReportPreview*>();
        QVERIFY(preview && preview->pageCount() >= 1);
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!w.historyWindow());
    }

    void theFleetPanelListsAShipsChanges()
    {
        HistoryTestWindow w;
        QVERIFY(w.loadAndShow());
        writeMasters(w.fixture.databasePath(), {QStringLiteral("Capt. Berg")});
        w.press("fleetButton");
        auto* ships = w.child<QTableView>("shipGrid");
        ships->setFocus();
        ships->setCurrentIndex(ships->model()->index(0, 1));
        w.keys(QKeySequence(Qt::CTRL | Qt::Key_H));
        HistoryWindow* history = w.historyWindow();
        QVERIFY(history);
        QVERIFY2(history->windowTitle().contains(Alpha), qPrintable(history->windowTitle()));
        QCOMPARE(history->findChild<QTreeWidget*>()->topLevelItem(0)->text(4),
                 QStringLiteral("Capt. Berg"));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
