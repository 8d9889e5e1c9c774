// The splash window: hand-over after 3.5 seconds or on a key, and the way out by its frame.
#include "KeptTickers.h"
#include "app/SplashScreen.h"
#include "widgets/ProgramIcon.h"

#include <QFrame>
#include <QGuiApplication>
#include <QTest>

class TestSplash : public QObject
{
    Q_OBJECT

private slots:
    void handsOverOnceOnAKey()
    {
        int handOvers = 0;
        KeptTickers tickers;
        SplashScreen splash([&] { ++handOvers; }, tickers);
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QCOMPARE(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        const Ticker* timer = tickers[Ticker::Step::SplashHandOver];
        QCOMPARE(timer->interval(), std::chrono::milliseconds(3500));
        QVERIFY(timer->isActive());

        QTest::keyClick(&splash, Qt::Key_Space);
        QCOMPARE(handOvers, 1);
        QVERIFY(!splash.isVisible());
        QVERIFY(!timer->isActive());
        QVERIFY(!QGuiApplication::overrideCursor());
        QTest::keyClick(&splash, Qt::Key_A);
        QCOMPARE(handOvers, 1);
    }

    void handsOverWhenTheTimerTicks()
    {
        int handOvers = 0;
        KeptTickers tickers;
        SplashScreen splash([&] { ++handOvers; }, tickers);
        splash.show();
        tickers.fire(Ticker::Step::SplashHandOver); // the same tick, sooner
        QTRY_COMPARE(handOvers, 1);
        QVERIFY(!splash.isVisible());
    }

    void clickingTheFrameEndsWithoutHandingOver()
    {
        int handOvers = 0;
        SplashScreen splash([&] { ++handOvers; });
        splash.show();
        QVERIFY(QTest::qWaitForWindowExposed(&splash));
        QTest::mouseClick(splash.findChild<QFrame*>(QStringLiteral("splashFrame")), Qt::LeftButton);
        QVERIFY(!splash.isVisible());
        QTest::qWait(20);
        QCOMPARE(handOvers, 0);
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    // Window managers show the program's own icon, drawn sharp at the sizes they ask for.
    void theProgramHasItsIconAtEverySize()
    {
        const QIcon icon = ProgramIcon::icon();
        for (int side : {16, 32, 48}) {
            const QImage image = icon.pixmap(side).toImage();
            QCOMPARE(image.size(), QSize(side, side));
            QCOMPARE(image.pixelColor(0, 0).alpha(), 0); // a rounded corner
            QCOMPARE(image.pixelColor(side / 2, side / 2), QColor(0x00, 0x00, 0x80)); // the hole
        }
    }
};

QTEST_MAIN(TestSplash)
#include "tst_splash.moc"
