// The history and the closing of years in the main window, as a user works them: keys and
// clicks on the grid, the year caption's commands, the questionnaire, the fleet panel.
#include "LoadedWindow.h"
#include "ProgramRun.h"
#include "common/LoginName.h"
#include "data/DrillChange.h"
#include "data/DrillDataSource.h"
#include "data/DrillDatabase.h"
#include "history/HistoryWindow.h"
#include "reports/ReportPreview.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QSqlQuery>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QWindow>

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

    // Exports the history window's list by its button, as a user does; the CSV file's text.
    QString exportedCsv(HistoryWindow* history) const
    {
        const QString csv = fixture.folder() + QStringLiteral("/history.csv");
        history->setFileChooser([&](QWidget*, const QString&) { return csv; });
        QTest::mouseClick(history->findChild<QAbstractButton*>(QStringLiteral("exportCsvButton")),
                          Qt::LeftButton);
        QFile file(csv);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

// Changes to the first ship's drills of a year, made through a connection of the program's
// data layer of their own.
void writeFields(const QString& path, int year,
                 const QList<std::pair<DrillRecord::Column, QString>>& values)
{
    DrillDatabase db(path);
    QVERIFY(db.open().isEmpty());
    DrillDataSource data(db);
    data.setYear(year);
    QVERIFY(data.refresh());
    if (data.records().isEmpty())
        QVERIFY(data.addFleetYear() && data.refresh());
    for (const auto& [field, value] : values)
        QVERIFY(data.write(DrillChange::of(data.records().at(0), field, value)).stored());
}

void writeMasters(const QString& path, const QStringList& values)
{
    for (const QString& value : values)
        writeFields(path, 2026, {{DrillRecord::Master, value}});
}

enum ListColumn
{
    When,
    Year,
    Who,
    Field,
    From,
    To
};

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
        // The year bar says so.
        const auto* yearLabel = w.child<QLabel>("yearLabel");
        QVERIFY2(yearLabel->text().startsWith(QLatin1String("Year - 2026 ")) &&
                     yearLabel->text().contains(QLatin1String("(Closed on ")) &&
                     yearLabel->text().contains(LoginName::current()),
                 qPrintable(yearLabel->text()));

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
        QVERIFY(w.openedQuestionnaire());
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
        QCOMPARE(yearLabel->text(), QStringLiteral("Year - 2026"));
    }

    // Also when another program held the file as the window opened: the list says so, and
    // shows the changes once the lock ends.
    void ctrlHListsTheDrillsChangesNewestFirstToPrintAndSave_data()
    {
        QTest::addColumn<bool>("lockedAtOpening");
        QTest::newRow("opened freely") << false;
        QTest::newRow("opened under a lock") << true;
    }
    void ctrlHListsTheDrillsChangesNewestFirstToPrintAndSave()
    {
        QFETCH(bool, lockedAtOpening);
        HistoryTestWindow w;
        QVERIFY(w.loadAndShow());
        writeMasters(w.fixture.databasePath(),
                     {QStringLiteral("Capt. Berg"), QStringLiteral("=Capt. Lund")});
        QVERIFY(w.clickCell(Alpha, DrillRecord::Master));
        QSqlQuery lock(w.fixture.db());
        if (lockedAtOpening)
            QVERIFY(lock.exec(QStringLiteral("BEGIN EXCLUSIVE")));
        w.keys(QKeySequence(Qt::CTRL | Qt::Key_H));
        HistoryWindow* history = w.historyWindow();
        QVERIFY(history && history->isVisible());
        auto* list = history->findChild<QTreeWidget*>();
        if (lockedAtOpening) {
            QTRY_VERIFY(list->topLevelItem(0) &&
                        list->topLevelItem(0)->text(0).contains(QStringLiteral("lock")));
            QVERIFY(lock.exec(QStringLiteral("COMMIT")));
        }
        QTRY_VERIFY(list->hasFocus());
        QTRY_COMPARE(list->topLevelItemCount(), 2);
        QVERIFY(w.messages.shown.isEmpty());
        QCOMPARE(list->topLevelItem(0)->text(To), QStringLiteral("=Capt. Lund"));
        QCOMPARE(list->topLevelItem(1)->text(From), QString());
        QVERIFY(list->isColumnHidden(Year)); // one drill, one year

        const QString text = w.exportedCsv(history);
        QCOMPARE(text.count(QStringLiteral("\r\n")), 3);
        QVERIFY2(text.contains(QStringLiteral(",\"'=Capt. Lund\"")), qPrintable(text));

        QTest::mouseClick(history->findChild<QAbstractButton*>(QStringLiteral("printFormButton")),
                          Qt::LeftButton);
        auto* preview = history->findChild<ReportPreview*>();
        QVERIFY(preview && preview->pageCount() >= 1);
        QTest::keyClick(list, Qt::Key_Escape);
        QTRY_VERIFY(!w.historyWindow());
    }

    // The keyboard's menu keys open a grid's menu at its current cell, where the user works.
    void theMenuKeysOpenTheMenuAtTheCurrentCell_data()
    {
        QTest::addColumn<QKeySequence>("key"); // none: the Menu key
        QTest::newRow("Menu") << QKeySequence();
        QTest::newRow("Shift+F10") << QKeySequence(Qt::SHIFT | Qt::Key_F10);
    }
    void theMenuKeysOpenTheMenuAtTheCurrentCell()
    {
        QFETCH(QKeySequence, key);
        HistoryTestWindow w;
        QVERIFY(w.loadAndShow());
        QAbstractItemView* grid = w.grid();
        grid->setFocus();
        grid->setCurrentIndex(w.cellOf(Bravo, DrillRecord::DoneDate));
        const QRect cell(
            grid->viewport()->mapToGlobal(grid->visualRect(grid->currentIndex()).topLeft()),
            grid->visualRect(grid->currentIndex()).size());
        QPoint menuAt;
        QStringList offered;
        // The menu runs its own loop: it is read and closed from within it.
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
                menuAt = menu->pos();
                for (const QAction* action : menu->actions())
                    offered << action->text();
                menu->close();
            }
        });
        watch.start(10);
        if (key.isEmpty()) {
            // The Menu key reaches the widget with the focus as a menu event of the keyboard.
            QWidget* focus = QApplication::focusWidget();
            QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(),
                                      focus->mapToGlobal(QPoint()));
            QApplication::sendEvent(focus, &menuKey);
        } else {
            QTest::keySequence(w.window->windowHandle(), key);
        }
        QTRY_VERIFY(!menuAt.isNull());
        QVERIFY2(cell.contains(menuAt),
                 qPrintable(QStringLiteral("%1,%2").arg(menuAt.x()).arg(menuAt.y())));
        QCOMPARE(offered, QStringList{QStringLiteral("History...")});
    }

    // Ctrl+H over a panel: the questionnaire's drill shows its history; otherwise the user is
    // told why nothing shows.
    void ctrlHOverAPanelShowsItsDrillOrSaysWhy_data()
    {
        QTest::addColumn<QString>("panel");
        QTest::addColumn<QString>("told"); // empty: the history window opens
        QTest::newRow("a drill's questionnaire") << "drill"
                                                 << "";
        QTest::newRow("a blank questionnaire") << "blank"
                                               << "Choose a cell";
        QTest::newRow("the company panel") << "company"
                                           << "Close the open panel";
        QTest::newRow("the fleet panel, its first ship at hand") << "fleet"
                                                                 << "";
    }
    void ctrlHOverAPanelShowsItsDrillOrSaysWhy()
    {
        QFETCH(QString, panel);
        QFETCH(QString, told);
        HistoryTestWindow w;
        QVERIFY(w.loadAndShow());
        writeMasters(w.fixture.databasePath(), {QStringLiteral("Capt. Berg")});
        if (panel == QLatin1String("drill")) {
            QVERIFY(w.clickCell(Alpha, DrillRecord::CompEval));
            w.press("pickButton");
        } else {
            w.press(qPrintable(panel == QLatin1String("blank")
                                   ? QStringLiteral("evaluationFormButton")
                                   : panel + QStringLiteral("Button")));
        }
        // At once: a drill's questionnaire may still be opening, and the key follows it.
        w.keys(QKeySequence(Qt::CTRL | Qt::Key_H));
        QVERIFY(QTest::qWaitFor([&] { return w.historyWindow() || !w.lastMessage().isEmpty(); }));
        HistoryWindow* history = w.historyWindow();
        QCOMPARE(history != nullptr, told.isEmpty());
        if (history)
            QVERIFY2(history->windowTitle().contains(Alpha), qPrintable(history->windowTitle()));
        else
            QVERIFY2(w.lastMessage().startsWith(told), qPrintable(w.lastMessage()));
    }

    void theFleetPanelListsAShipsChangesInTheGridsWords_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shown");
        QTest::newRow("master of drill 2")
            << int(DrillRecord::Master1) << QStringLiteral("Capt. Lund")
            << QStringLiteral("Drill No 2 · Ship's Master Name") << QStringLiteral("Capt. Lund");
        QTest::newRow("scheduled date of drill 1")
            << int(DrillRecord::DrillDate) << QStringLiteral("2026-03-05")
            << QStringLiteral("Drill No 1 · Scheduled Date") << QStringLiteral("3/5/2026");
        QTest::newRow("date done of drill 2")
            << int(DrillRecord::DoneDate1) << QStringLiteral("2026-11-30")
            << QStringLiteral("Drill No 2 · Date Done") << QStringLiteral("11/30/2026");
    }

    // A ship's history holds the entries of several years: each says its year.
    void theFleetPanelListsAShipsChangesInTheGridsWords()
    {
        QFETCH(int, field);
        QFETCH(QString, value);
        QFETCH(QString, caption);
        QFETCH(QString, shown);
        HistoryTestWindow w;
        w.fixture.exec(QStringLiteral("UPDATE Company SET Name = 'Nordic Lines'"));
        QVERIFY(w.loadAndShow());
        writeFields(w.fixture.databasePath(), 2025, {{DrillRecord::Master, "Capt. Berg"}});
        writeFields(w.fixture.databasePath(), 2026, {{DrillRecord::Column(field), value}});
        w.press("fleetButton");
        auto* ships = w.child<QTableView>("shipGrid");
        ships->setFocus();
        ships->setCurrentIndex(ships->model()->index(0, 1));
        w.keys(QKeySequence(Qt::CTRL | Qt::Key_H));
        HistoryWindow* history = w.historyWindow();
        QVERIFY(history);
        QVERIFY2(history->windowTitle().contains(Alpha), qPrintable(history->windowTitle()));
        auto* list = history->findChild<QTreeWidget*>();
        QTRY_VERIFY(list->topLevelItemCount() > 1);
        QVERIFY(!list->isColumnHidden(Year));
        const QStringList newest = {list->topLevelItem(0)->text(Year),
                                    list->topLevelItem(0)->text(Field),
                                    list->topLevelItem(0)->text(To)};
        QCOMPARE(newest, (QStringList{"2026", caption, shown}));
        QVERIFY(list->columnWidth(Field) > list->fontMetrics().horizontalAdvance(caption));
        QCOMPARE(list->topLevelItem(1)->text(Year), QStringLiteral("2025"));

        // The CSV keeps the stored value, with the caption beside the stored name.
        const QString line = w.exportedCsv(history).split(QStringLiteral("\r\n")).value(1);
        QVERIFY2(line.endsWith(u',' + caption + QStringLiteral(",,") + value), qPrintable(line));

        // Printed as the other reports are: titled, with the company, the day and page numbers.
        QTest::mouseClick(history->findChild<QAbstractButton*>(QStringLiteral("printFormButton")),
                          Qt::LeftButton);
        auto* preview = history->findChild<ReportPreview*>();
        const QString pdf = w.fixture.folder() + QStringLiteral("/history.pdf");
        QVERIFY(preview && preview->exportPdf(pdf));
        const QString printed =
            ProgramRun::of(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")})
                .out.simplified();
        for (const QString& expected :
             {QStringLiteral("History - MV Alpha"), QStringLiteral("Nordic Lines"),
              QStringLiteral("15 June 2026"), QStringLiteral("Page 1 of 1"), caption, shown})
            QVERIFY2(printed.contains(expected), qPrintable(printed));
    }
};

QTEST_MAIN(TestHistoryWindow)
#include "tst_historywindow.moc"
