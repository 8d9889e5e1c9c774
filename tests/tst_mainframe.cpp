// The main window's frame: load, buttons, clock, panels and their shadow, links, and leaving.
#include "LoadedWindow.h"
#include "common/Clock.h"
#include "common/Twips.h"
#include "widgets/QtMessages.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

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

QRect twipsOf(const QWidget* widget)
{
    return QRect(Twips::fromPx(widget->x()), Twips::fromPx(widget->y()),
                 Twips::fromPx(widget->width()), Twips::fromPx(widget->height()));
}

} // namespace

class TestMainFrame : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setFixed(QDateTime(QDate(2026, 12, 6), QTime(16, 5, 30))); }
    void cleanup() { Clock::reset(); }

    // A window of a fixed size offers no maximise button; the main window can still be
    // minimised and closed.
    void fixedWindowsOfferNoMaximiseButton()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        QVERIFY(w.loadAndShow());
        const Qt::WindowFlags frame = w.window->windowHandle()->flags();
        QVERIFY(frame.testFlag(Qt::WindowMinimizeButtonHint));
        QVERIFY(frame.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!frame.testFlag(Qt::WindowMaximizeButtonHint));

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
    }

    void loadFillsTheFrame()
    {
        LoadedWindow w({QStringLiteral("MV Alpha")});
        w.fixture.exec(QStringLiteral("UPDATE Company SET Name = ?"),
                       {QStringLiteral("O'Hara Shipping")});
        QVERIFY(w.load());
        QCOMPARE(w.window->windowTitle(), QStringLiteral("HBQ ORX DRILL ORGANIZER "));
        QCOMPARE(w.window->size(), QSize(Twips::toPx(15105), Twips::toPx(8895)));
        QCOMPARE(w.child<QLabel>("yearLabel")->text(), QStringLiteral("Year - 2026"));
        QCOMPARE(w.window->shownYear(), 2026);
        QCOMPARE(w.child<QLabel>("companyLabel")->text(), QStringLiteral("O'Hara Shipping"));
        QCOMPARE(w.child<QLabel>("gridTitle")->text(), QStringLiteral("HBQ ORX - DRILL STATUS"));
        QCOMPARE(w.child<QLabel>("statusPanel1")->text(),
                 QStringLiteral("HBQ ORX DRILL ORGANIZER"));
        QCOMPARE(w.child<QLabel>("statusPanel5")->text(),
                 QStringLiteral("Sunday, 06 December 2026 16:05"));
        QVERIFY(w.messages.shown.isEmpty());
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void buttonBarHasItsSevenButtons()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        const QList<std::tuple<const char*, QString, int>> buttons = {
            {"companyButton", "Company", 2190},
            {"fleetButton", "Update Fleet", 2580},
            {"evaluationFormButton", "Evaluation Form", 2970},
            {"printPreviewButton", "Print Preview", 3360},
            {"presentationButton", "Drill Presentation", 7200},
            {"aboutButton", "About Program", 7590},
            {"endProgramButton", "End Program", 7980}};
        for (const auto& [name, caption, top] : buttons) {
            auto* button = w.child<QPushButton>(name);
            QVERIFY2(button, name);
            QCOMPARE(button->text(), caption);
            QCOMPARE(button->parentWidget()->objectName(), QStringLiteral("commandColumn"));
            QCOMPARE(button->geometry(), Twips::rect(0, top, 2145, 375));
        }
        QCOMPARE(w.child<QPushButton>("previousYearButton")->text(),
                 QStringLiteral("< Previous Year"));
        QCOMPARE(w.child<QPushButton>("nextYearButton")->text(), QStringLiteral("Next Year >"));
    }

    void clockRefreshesEveryMinuteFromLoad()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        auto* timer = w.child<QTimer>("clockTimer");
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 60000);
        Clock::setFixed(QDateTime(QDate(2026, 12, 7), QTime(8, 0)));
        QCOMPARE(w.child<QLabel>("statusPanel5")->text(),
                 QStringLiteral("Sunday, 06 December 2026 16:05"));
        QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
        QCOMPARE(w.child<QLabel>("statusPanel5")->text(),
                 QStringLiteral("Monday, 07 December 2026 08:00"));
    }

    void shadeLiesBehindThePanelOffsetBy100Twips()
    {
        LoadedWindow w;
        QVERIFY(w.load());
        auto* panel = new QFrame(w.window.get());
        panel->setGeometry(Twips::rect(2280, 120, 6000, 3000));
        panel->hide();
        auto* shade = w.child<QFrame>("shade");
        w.window->layShade(panel, shade);
        QVERIFY(panel->isVisibleTo(w.window.get()));
        QVERIFY(shade->isVisibleTo(w.window.get()));
        QCOMPARE(twipsOf(shade).topLeft(), QPoint(2385, 225)); // 2380, 220 on the pixel grid
        QCOMPARE(shade->size(), panel->size());
        QCOMPARE(shade->palette().color(QPalette::Window), QColor(0x40, 0x40, 0x40));
        w.window->hidePanels();
        QVERIFY(!shade->isVisibleTo(w.window.get()));
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
