// The main window's frame: load, buttons, clock, panels and their shadow, links, and leaving.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "mainwindow/PanelHost.h"
#include "widgets/QtMessages.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QHelpEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

namespace {

// Runs the application's event loop until the program asks to end, or gives up after two
// seconds with 99; returns the exit code.
int runUntilProgramEnds(const std::function<void()>& trigger)
{
    QTimer giveUp;
    giveUp.setSingleShot(true);
    QObject::connect(&giveUp, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    giveUp.start(2000);
    QTimer::singleShot(0, trigger);
    return QCoreApplication::exec();
}

// What a screen reader says for a control: its name, or the text of the label that names it.
QString spokenName(QAccessibleInterface* control)
{
    if (!control)
        return QStringLiteral("(not accessible)");
    const auto labels = control->relations(QAccessible::Label);
    return labels.isEmpty() ? control->text(QAccessible::Name)
                            : labels.first().first->text(QAccessible::Name);
}

// The header cell a screen reader reads with a cell of a table.
QAccessibleInterface* headerOf(QWidget* table, int row, int column, bool ofColumn)
{
    QAccessibleInterface* view = QAccessible::queryAccessibleInterface(table);
    QAccessibleInterface* cell = view->tableInterface()->cellAt(row, column);
    const auto headers = ofColumn ? cell->tableCellInterface()->columnHeaderCells()
                                  : cell->tableCellInterface()->rowHeaderCells();
    return headers.isEmpty() ? nullptr : headers.first();
}

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setFixed(QDateTime(QDate(2026, 12, 6), QTime(16, 5, 30))); }
    void cleanup() { Clock::reset(); }

    // The main window can be minimised, maximised and closed; a message box of a fixed size
    // offers no maximise button.
    void fixedWindowsOfferNoMaximiseButton()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        QVERIFY(w.loadAndShow());
        const Qt::WindowFlags frame = w.window->windowHandle()->flags();
        QVERIFY(frame.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(frame.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(frame.testFlag(Qt::WindowMaximizeButtonHint));
        QVERIFY(w.window->minimumSize() != w.window->maximumSize());

        QtMessages messages;
        QList<Qt::WindowFlags> boxes;
        const auto answerBox = [&boxes] {
            QTimer::singleShot(0, [&boxes] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                if (!box)
                    return;
                boxes.append(box->windowHandle()->flags());
                box->done(QMessageBox::No);
            });
        };
        answerBox();
        messages.tell(Messages::Icon::Information, QStringLiteral("Title"), QStringLiteral("Text"));
        answerBox();
        messages.askYesNo(QStringLiteral("Title"), QStringLiteral("Question?"));
        QCOMPARE(boxes.size(), 2);
        for (const Qt::WindowFlags box : boxes) {
            QVERIFY(box.testFlag(Qt::WindowCloseButtonHint));
            QVERIFY(!box.testFlag(Qt::WindowMaximizeButtonHint));
        }
        // A box whose words no longer hold is closed by the program; else by a user after 2 s.
        QTimer::singleShot(0, [&messages] { messages.withdraw(); });
        QTimer userPresses;
        userPresses.setSingleShot(true);
        QObject::connect(&userPresses, &QTimer::timeout, [] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->done(QMessageBox::Ok);
        });
        userPresses.start(2000);
        QElapsedTimer open;
        open.start();
        messages.tell(Messages::Icon::Critical, QStringLiteral("Title"), QStringLiteral("Lost"));
        QVERIFY2(open.elapsed() < 1500, qPrintable(QString::number(open.elapsed())));
    }

    void aScreenReaderTellsTheControlsApart_data()
    {
        QTest::addColumn<QStringList>("opening"); // the buttons pressed to show the control
        QTest::addColumn<QString>("control");
        QTest::addColumn<int>("row"); // of the cell whose header is read; -1: the control itself
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("spoken");
        const auto column = [](DrillRecord::Column field) { return DrillColumns::columnOf(field); };
        const QStringList none;
        QTest::newRow("drill 1 scheduled")
            << none << "drillGrid" << 0 << column(DrillRecord::DrillDate)
            << "Drill No 1, Scheduled Date";
        QTest::newRow("drill 2 scheduled")
            << none << "drillGrid" << 0 << column(DrillRecord::DrillDate1)
            << "Drill No 2, Scheduled Date";
        QTest::newRow("drill 2 master") << none << "drillGrid" << 1 << column(DrillRecord::Master1)
                                        << "Drill No 2, Ship's Master Name";
        QTest::newRow("ship name")
            << none << "drillGrid" << 0 << column(DrillRecord::ShipName) << "Ship Name";
        const QStringList fleet = {"fleetButton"};
        QTest::newRow("a ship's record selector")
            << fleet << "shipGrid" << 1 << 1 << "Select MV Bravo";
        QTest::newRow("the new ship's record selector")
            << fleet << "shipGrid" << 2 << 1 << "New ship";
        QTest::newRow("preview zoom")
            << QStringList{"dueDrillsButton", "printFormButton"} << "zoomBox" << -1 << -1 << "Zoom";
    }

    void aScreenReaderTellsTheControlsApart()
    {
        QFETCH(QStringList, opening);
        QFETCH(QString, control);
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, spoken);
        LoadedWindow w({QStringLiteral("MV Alpha"), QStringLiteral("MV Bravo")});
        QVERIFY(w.loadAndShow());
        for (const QString& name : opening) {
            QAbstractButton* button = nullptr;
            QTRY_VERIFY((button = w.shown<QAbstractButton>(qPrintable(name))) &&
                        button->isEnabled());
            QTest::mouseClick(button, Qt::LeftButton);
        }
        QWidget* widget = nullptr;
        QTRY_VERIFY((widget = w.window->findChild<QWidget*>(control)));
        if (row < 0) {
            QCOMPARE(spokenName(QAccessible::queryAccessibleInterface(widget)), spoken);
            return;
        }
        QCOMPARE(spokenName(headerOf(widget, row, column, control == QLatin1String("drillGrid"))),
                 spoken);
    }

    // What the program waits for is told whole, in the status line's tip where it is cut.
    void aLockWaitIsToldWhole()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        QVERIFY(w.loadAndShow());
        const QString waiting = QStringLiteral(
            "Waiting for another user to store Ship's Master Name of MV ALPHA OF THE NORTHERN "
            "SEAS, Drill No 1 ...");
        emit w.window->findChild<DrillGridEditor*>()->waitingForLock(waiting);
        auto* panel = w.child<QLabel>("statusPanel2");
        QCOMPARE(panel->text(), waiting);
        QHelpEvent tip(QEvent::ToolTip, panel->rect().center(),
                       panel->mapToGlobal(panel->rect().center()));
        QApplication::sendEvent(panel, &tip);
        QTRY_COMPARE(QToolTip::text(), waiting);
        QToolTip::hideText();
    }

    // Enter in a question box presses its first button: on a question whose Yes replaces
    // another user's stored value, that is No.
    void enterInAQuestionPressesItsSafeAnswer_data()
    {
        QTest::addColumn<bool>("replaces");
        QTest::addColumn<bool>("answer");
        QTest::newRow("Yes replaces what is stored") << true << false;
        QTest::newRow("an ordinary question") << false << true;
    }
    void enterInAQuestionPressesItsSafeAnswer()
    {
        QFETCH(bool, replaces);
        QFETCH(bool, answer);
        QtMessages messages;
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                QTest::keyClick(box, Qt::Key_Return);
        });
        const QString title = QStringLiteral("Title");
        const QString text = QStringLiteral("Question?");
        QCOMPARE(replaces ? messages.askToReplace(title, text) : messages.askYesNo(title, text),
                 answer);
    }

    void loadFillsTheFrame()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        w.fixture.exec(QStringLiteral("UPDATE Company SET Name = ?"),
                       {QStringLiteral("O'Hara Shipping")});
        QVERIFY(w.load());
        QCOMPARE(w.window->windowTitle(), QStringLiteral("HBQ ORX DRILL ORGANIZER "));
        for (const char* part : {"commandColumn", "drillGrid", "statusPanel1", "statusPanel5"}) {
            const QWidget* shown = w.child<QWidget>(part);
            const QRect inWindow(shown->mapTo(w.window.get(), QPoint()), shown->size());
            QVERIFY2(w.window->rect().contains(inWindow), part);
        }
        QCOMPARE(w.child<QLabel>("yearLabel")->text(), QStringLiteral("Year - 2026"));
        QCOMPARE(w.shownYear(), 2026);
        QCOMPARE(w.child<QLabel>("companyLabel")->text(), QStringLiteral("O'Hara Shipping"));
        QCOMPARE(w.child<QLabel>("gridTitle")->text(), QStringLiteral("HBQ ORX - DRILL STATUS"));
        QCOMPARE(w.child<QLabel>("statusPanel1")->text(),
                 QStringLiteral("HBQ ORX DRILL ORGANIZER"));
        QCOMPARE(w.child<QLabel>("statusPanel5")->text(),
                 QStringLiteral("Sunday, 06 December 2026 16:05"));
        QVERIFY(w.messages.shown.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // The seven buttons stand in one column, top to bottom in this order, of one width, apart,
    // each caption whole.
    void buttonColumnHasItsSevenButtonsInOrder()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        const QList<std::pair<const char*, QString>> buttons = {
            {"companyButton", "Company"},
            {"fleetButton", "Update Fleet"},
            {"evaluationFormButton", "Evaluation Form"},
            {"printPreviewButton", "Print Preview"},
            {"presentationButton", "Drill Presentation"},
            {"aboutButton", "About Program"},
            {"endProgramButton", "End Program"}};
        auto* column = w.child<QWidget>("commandColumn");
        QRect above;
        for (const auto& [name, caption] : buttons) {
            auto* button = w.child<QPushButton>(name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->parentWidget(), column);
            QVERIFY(column->rect().contains(button->geometry()));
            QVERIFY(button->fontMetrics().horizontalAdvance(caption) < button->width());
            if (!above.isNull()) {
                QCOMPARE(button->x(), above.x());
                QCOMPARE(button->width(), above.width());
                QVERIFY(button->y() > above.bottom());
            }
            above = button->geometry();
        }
        QCOMPARE(w.child<QPushButton>("previousYearButton")->text(),
                 QStringLiteral("< Previous Year"));
        QCOMPARE(w.child<QPushButton>("nextYearButton")->text(), QStringLiteral("Next Year >"));
    }

    void clockRefreshesEveryMinuteFromLoad()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        const Ticker* clock = w.tickers[Ticker::Step::Clock];
        QVERIFY(clock->isActive());
        QVERIFY(clock->interval() <= std::chrono::minutes(1)); // the minute shown is never late
        Clock::setFixed(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
        QCOMPARE(w.child<QLabel>("statusPanel5")->text(),
                 QStringLiteral("Sunday, 06 December 2026 16:05"));
        w.tickers.fire(Ticker::Step::Clock);
        QCOMPARE(w.child<QLabel>("statusPanel5")->text(),
                 QStringLiteral("Monday, 07 December 2026 08:00"));
    }

    // A dark shade of the panel's size lies behind it, moved as far down as to the right.
    void shadeLiesBehindThePanelDownAndRight()
    {
        QWidget window;
        window.resize(1000, 600);
        PanelHost panels(window);
        auto* panel = new QFrame(&window);
        panel->setGeometry(200, 10, 400, 200);
        panel->hide();
        auto* shade = window.findChild<QFrame*>(QStringLiteral("shade"));
        panels.showPlaced(panel);
        QVERIFY(panel->isVisibleTo(&window));
        QVERIFY(shade->isVisibleTo(&window));
        const QPoint offset = shade->pos() - panel->pos();
        QVERIFY(offset.x() > 0);
        QCOMPARE(offset.y(), offset.x());
        QCOMPARE(shade->size(), panel->size());
        const QObjectList stack = window.children();
        QVERIFY(stack.indexOf(shade) < stack.indexOf(panel));
        QVERIFY(shade->palette().color(QPalette::Window).lightness() <
                window.palette().color(QPalette::Window).lightness() / 2);
        panels.hideAll();
        QVERIFY(!shade->isVisibleTo(&window));
    }

    void answeringNoLeavesEverythingAsItWas()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        QVERIFY(w.load());
        w.window->show();
        w.messages.answerYes = false;
        const int code = runUntilProgramEnds([&] {
            w.child<QPushButton>("endProgramButton")->click();
            w.window->close();
        });
        QCOMPARE(code, 99);
        QCOMPARE(w.messages.shown.size(), 2);
        for (const auto& shown : w.messages.shown) {
            QCOMPARE(shown.title, QStringLiteral("EXIT"));
            QCOMPARE(shown.text, QStringLiteral("Do you really want to exit P R O G R A M ?"));
            QCOMPARE(shown.icon, Messages::Icon::Question);
        }
        QVERIFY(w.window->isVisible());
        QCOMPARE(w.rowOf(QStringLiteral("MV Alpha")), 0);
    }

    void answeringYesEndsTheProgram_data()
    {
        QTest::addColumn<bool>("byButton");
        QTest::newRow("End Program") << true;
        QTest::newRow("closing the window") << false;
    }
    void answeringYesEndsTheProgram()
    {
        QFETCH(bool, byButton);
        LoadedWindow w;
        QVERIFY(w.load());
        w.window->show();
        w.messages.answerYes = true;
        bool goneAtTheAnswer = false;
        const int code = runUntilProgramEnds([&] {
            if (byButton)
                w.child<QPushButton>("endProgramButton")->click();
            else
                w.window->close();
            goneAtTheAnswer = !w.window->isVisible();
        });
        QCOMPARE(code, 0);
        QCOMPARE(w.messages.shown.size(), 1);
        QVERIFY(goneAtTheAnswer);
    }

    void linksGoToTheShellAndTheSiteLinkLightsUp()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        w.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.window.get()));
        const QStringList icons = {"facebookLink", "linkedinLink", "twitterLink", "blogLink",
                                   "mailLink"};
        for (const QString& name : icons) {
            auto* icon = w.window->findChild<QLabel*>(name);
            QVERIFY(!icon->toolTip().isEmpty());
            QCOMPARE(icon->cursor().shape(), Qt::PointingHandCursor);
            QTest::mouseClick(icon, Qt::LeftButton);
        }
        QCOMPARE(w.shell.opened.size(), 5);
        QCOMPARE(w.shell.opened.last().scheme(), QStringLiteral("mailto"));
        QCOMPARE(w.window->findChild<QLabel*>("mailLink")->toolTip(),
                 QStringLiteral("email to HBQ Sales"));

        auto* site = w.child<QLabel>("siteLink");
        QCOMPARE(site->toolTip(), QStringLiteral("HBQ Website"));
        QTest::mouseMove(site);
        QTRY_COMPARE(site->palette().color(QPalette::WindowText), QColor(0, 0, 0xFF));
        QTest::mouseMove(w.child<QLabel>("statusPanel1"));
        QTRY_COMPARE(site->palette().color(QPalette::WindowText), QColor(Qt::black));
        QTest::mouseClick(site, Qt::LeftButton);
        QCOMPARE(w.shell.opened.size(), 6);
        QCOMPARE(w.shell.opened.last().scheme(), QStringLiteral("https"));
    }

    void thePresentationGoesToTheDesktopQuietly()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        w.window->show();
        QTest::mouseClick(w.child<QPushButton>("fleetButton"), Qt::LeftButton);
        QVERIFY(w.child<QWidget>("fleetPanel")->isVisible());
        QTest::mouseClick(w.child<QPushButton>("presentationButton"), Qt::LeftButton);
        QVERIFY(!w.child<QWidget>("fleetPanel")->isVisible());
        QVERIFY(!w.child<QWidget>("shade")->isVisible());
        QVERIFY(w.shell.opened.isEmpty());
        QVERIFY(w.messages.shown.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());

        const QString slides =
            QDir(w.fixture.folder()).filePath(QStringLiteral("HBQORXDRILLGUIDANCE.pps"));
        QFile file(slides);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QTest::mouseClick(w.child<QPushButton>("presentationButton"), Qt::LeftButton);
        QCOMPARE(w.shell.opened, QList<QUrl>{QUrl::fromLocalFile(slides)});
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void aboutProgramClosesThePanelsFirst()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        w.window->show();
        QTest::mouseClick(w.child<QPushButton>("companyButton"), Qt::LeftButton);
        bool panelHidden = false;
        QString caption;
        QTimer::singleShot(0, [&] {
            panelHidden = !w.child<QWidget>("companyPanel")->isVisible();
            if (QWidget* about = QApplication::activeModalWidget()) {
                caption = about->windowTitle();
                about->close();
            }
        });
        QTest::mouseClick(w.child<QPushButton>("aboutButton"), Qt::LeftButton);
        QVERIFY(panelHidden);
        QCOMPARE(caption, QStringLiteral("About HBQ ORX DRILL ORGANIZER"));
    }

    void anUnusableDatabaseEndsTheLoadWithAMessage()
    {
        LoadedWindow w;
        QFile::remove(w.fixture.databasePath());
        QFile junk(w.fixture.databasePath());
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write("Standard Jet DB");
        junk.close();
        QVERIFY(!w.load());
        QCOMPARE(w.messages.shown.size(), 1);
        QCOMPARE(w.messages.shown.first().icon, Messages::Icon::Critical);
        QVERIFY(w.messages.shown.first().text.contains(w.fixture.databasePath()));
        QVERIFY(!QGuiApplication::overrideCursor());
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
