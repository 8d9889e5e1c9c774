// The calendar date picker: month layout, navigation, headings, pick, cancel, and the value it
// shares with its opener.
#include "calendar/CalendarDate.h"
#include "calendar/DatePicker.h"
#include "common/Clock.h"
#include "common/DateText.h"
#include "common/Twips.h"

#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>

using namespace Qt::Literals::StringLiterals;
using Cells = QList<QPoint>; // x = column, y = row

Q_DECLARE_METATYPE(CalendarDate)

// Readable QCOMPARE failures.
char* toString(const CalendarDate& value)
{
    return QTest::toString(QString::number(int(value.kind())) + u' ' +
                           value.textForEditBox().value_or(QString()));
}

namespace {

const QDate Today(2026, 6, 15); // a Monday

QTableView* grid(const DatePicker& p)
{
    return p.findChild<QTableView*>(u"dayGrid"_s);
}
QString cellText(QTableView* grid, int row, int col)
{
    return grid->model()->index(row, col).data().toString();
}
QString text(const DatePicker& p, const QString& label)
{
    return p.findChild<QLabel*>(label)->text();
}
QPushButton* button(const DatePicker& p, const QString& name)
{
    return p.findChild<QPushButton*>(name);
}
void click(const DatePicker& p, const QString& name)
{
    QTest::mouseClick(button(p, name), Qt::LeftButton);
}

void clickCell(QTableView* grid, int row, int col)
{
    const QPoint centre = grid->visualRect(grid->model()->index(row, col)).center();
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, centre);
}

// The days as the user reads them, row by row, with the position of each in `where`.
QStringList days(QTableView* grid, Cells* where = nullptr)
{
    QStringList found;
    for (int row = 1; row < 7; ++row) {
        for (int col = 0; col < 7; ++col) {
            if (cellText(grid, row, col).isEmpty())
                continue;
            found.append(cellText(grid, row, col));
            if (where)
                where->append(QPoint(col, row));
        }
    }
    return found;
}

QStringList oneTo(int last)
{
    QStringList numbers;
    for (int n = 1; n <= last; ++n)
        numbers.append(QString::number(n));
    return numbers;
}

QString forEditBox(const CalendarDate& value)
{
    return value.textForEditBox().value_or(u"<nothing>"_s);
}

} // namespace

class TestCalendar : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        Clock::setFixed(QDateTime(Today, QTime(9, 30)));
        QLocale::setDefault(QLocale(u"en_US"_s));
    }
    void cleanup()
    {
        init();
        Clock::reset();
    }

    void monthLayout_data()
    {
        QTest::addColumn<QDate>("anchor");
        QTest::addColumn<Cells>("cells"); // of day 1, the second last and the last day
        QTest::newRow("31 days from a Saturday: six weeks")
            << QDate(2026, 8, 20) << Cells{{6, 1}, {0, 6}, {1, 6}};
        QTest::newRow("28 days from a Sunday: four weeks")
            << QDate(2026, 2, 10) << Cells{{0, 1}, {5, 4}, {6, 4}};
        QTest::newRow("leap February from a Tuesday")
            << QDate(2028, 2, 29) << Cells{{2, 1}, {1, 5}, {2, 5}};
    }
    void monthLayout()
    {
        QFETCH(QDate, anchor);
        QFETCH(Cells, cells);
        DatePicker picker(CalendarDate::fromDate(anchor));
        Cells where;
        QCOMPARE(days(grid(picker), &where), oneTo(anchor.daysInMonth()));
        QCOMPARE((Cells{where.first(), where.at(where.size() - 2), where.last()}), cells);
        // The keyboard starts on the anchor's day.
        QCOMPARE(grid(picker)->currentIndex().data().toString(), QString::number(anchor.day()));
    }

    void navigation_data()
    {
        QTest::addColumn<QDate>("anchor");
        QTest::addColumn<QStringList>("buttons");
        QTest::addColumn<QDate>("expected");
        QTest::addColumn<QString>("title");
        const QDate jan31(2026, 1, 31), feb29(2028, 2, 29);
        QTest::newRow("31 Jan, month up")
            << jan31 << QStringList{"monthUpButton"} << QDate(2026, 2, 28) << "February - 2026";
        QTest::newRow("31 Jan, up and down")
            << jan31 << QStringList{"monthUpButton", "monthDownButton"} << QDate(2026, 1, 28)
            << "January - 2026";
        QTest::newRow("Jan, month down") << QDate(2026, 1, 15) << QStringList{"monthDownButton"}
                                         << QDate(2025, 12, 15) << "December - 2025";
        QTest::newRow("29 Feb, year up")
            << feb29 << QStringList{"yearUpButton"} << QDate(2029, 2, 28) << "February - 2029";
        QTest::newRow("29 Feb, year down")
            << feb29 << QStringList{"yearDownButton"} << QDate(2027, 2, 28) << "February - 2027";
        // Each step starts from the day the last one left.
        QTest::newRow("29 Feb, 4 x year up") << feb29 << QStringList(4, u"yearUpButton"_s)
                                             << QDate(2032, 2, 28) << "February - 2032";
    }
    void navigation()
    {
        QFETCH(QDate, anchor);
        QFETCH(QStringList, buttons);
        QFETCH(QDate, expected);
        QFETCH(QString, title);
        DatePicker picker(CalendarDate::fromDate(anchor));
        picker.show();
        for (const QString& name : buttons)
            click(picker, name);
        QVERIFY(picker.isVisible());
        QCOMPARE(picker.value(), CalendarDate::fromDate(expected));
        QCOMPARE(text(picker, u"monthTitle"_s), title);
        QCOMPARE(days(grid(picker)), oneTo(expected.daysInMonth())); // no leftovers either
    }

    void headingsFollowTheLocale_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QStringList>("headings");
        QTest::addColumn<QStringList>("texts"); // panel 1, panel 2, title
        const QStringList english = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
        // Tuesday: Latin T and Greek rho; Wednesday: Greek Tau.
        const QStringList greek = {u"Κυ"_s, u"Δε"_s, u"\u0054\u03C1"_s, u"\u03A4ε"_s, u"Πε"_s,
                                   u"Πα"_s, u"Σα"_s};
        QTest::newRow("en_US") << "en_US" << english
                               << QStringList{"Today", "Monday, 15 - Jun - 2026", "March - 2027"};
        // A month standing alone takes its standalone name.
        QTest::newRow("el_GR") << "el_GR" << greek
                               << QStringList{u"Σήμερα"_s, u"Δευτέρα, 15 - Ιουν - 2026"_s,
                                              u"Μάρτιος - 2027"_s};
        QTest::newRow("fr_FR") << "fr_FR" << greek
                               << QStringList{u"Σήμερα"_s, "lundi, 15 - juin - 2026",
                                              "mars - 2027"};
        // The test of "Su" minds the case.
        QTest::newRow("fi_FI") << "fi_FI" << greek
                               << QStringList{u"Σήμερα"_s, u"maanantaina, 15 - kesäk. - 2026"_s,
                                              "maaliskuu - 2027"};
    }
    void headingsFollowTheLocale()
    {
        QFETCH(QString, locale);
        QFETCH(QStringList, headings);
        QFETCH(QStringList, texts);
        QLocale::setDefault(QLocale(locale));
        DatePicker picker(CalendarDate::fromDate(QDate(2027, 3, 20)));
        for (int col = 0; col < 7; ++col)
            QCOMPARE(cellText(grid(picker), 0, col), headings.at(col));
        QCOMPARE((QStringList{text(picker, u"todayWord"_s), text(picker, u"todayDate"_s),
                              text(picker, u"monthTitle"_s)}),
                 texts);
    }

    void aPickedDayComesBackAsShortDateText_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("picked");
        QTest::addColumn<QString>("title");
        QTest::newRow("en_US") << "en_US"
                               << "3/5/2027"
                               << "March - 2027";
        QTest::newRow("el_GR") << "el_GR"
                               << "5/3/2027" << u"Μάρτιος - 2027"_s;
        QTest::newRow("de_DE") << "de_DE"
                               << "05.03.2027" << u"März - 2027"_s;
    }
    void aPickedDayComesBackAsShortDateText()
    {
        QFETCH(QString, locale);
        QFETCH(QString, picked);
        QFETCH(QString, title);
        QLocale::setDefault(QLocale(locale));
        CalendarDate handedBack;
        {
            DatePicker picker(CalendarDate::fromDate(QDate(2027, 3, 20)));
            picker.show();
            clickCell(grid(picker), 1, 5); // March 2027 begins on a Monday
            QCOMPARE(picker.result(), int(QDialog::Accepted));
            QVERIFY(!picker.isVisible());
            handedBack = picker.value();
        }
        QCOMPARE(forEditBox(handedBack), picked);
        QCOMPARE(DateText::read(picked), std::optional(QDate(2027, 3, 5)));
        DatePicker next(handedBack);
        QCOMPARE(grid(next)->currentIndex().data().toString(), u"5"_s);
        QCOMPARE(text(next, u"monthTitle"_s), title);
    }

    void theKeyboardPicksTheFocusedDay_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Return") << int(Qt::Key_Return) << int(Qt::NoModifier);
        QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << int(Qt::KeypadModifier);
        QTest::newRow("Space") << int(Qt::Key_Space) << int(Qt::NoModifier);
    }
    void theKeyboardPicksTheFocusedDay()
    {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        DatePicker picker;
        picker.show();
        QTest::keyClick(grid(picker), Qt::Key_Right, Qt::KeypadModifier);
        QTest::keyClick(grid(picker), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QVERIFY(!picker.isVisible());
        QCOMPARE(forEditBox(picker.value()), u"6/16/2026"_s);
    }

    // The day keys move the anchor itself, across the month's edges; Escape cancels.
    void theDayKeysCrossIntoOtherMonths()
    {
        DatePicker picker(CalendarDate::fromDate(QDate(2026, 6, 30)));
        picker.show();
        picker.focusDays();
        QTest::keyClick(grid(picker), Qt::Key_Right);
        QCOMPARE(text(picker, u"monthTitle"_s), u"July - 2026"_s);
        QCOMPARE(grid(picker)->currentIndex().data().toString(), u"1"_s);
        QTest::keyClick(grid(picker), Qt::Key_Up);
        QCOMPARE(picker.value(), CalendarDate::fromDate(QDate(2026, 6, 24)));
        QTest::keyClick(grid(picker), Qt::Key_PageDown);
        QTest::keyClick(grid(picker), Qt::Key_Down);
        QCOMPARE(picker.value(), CalendarDate::fromDate(QDate(2026, 7, 31)));
        QTest::keyClick(grid(picker), Qt::Key_PageUp);
        QCOMPARE(picker.value(), CalendarDate::fromDate(QDate(2026, 6, 30)));
        QTest::keyClick(grid(picker), Qt::Key_Escape);
        QVERIFY(!picker.isVisible());
        QCOMPARE(picker.value(), CalendarDate::emptyText());
    }

    void everyCloseWithoutAPickCancels_data()
    {
        QTest::addColumn<int>("way");
        QTest::newRow("close button") << 0;
        QTest::newRow("Escape") << 1;
        QTest::newRow("window manager") << 2;
    }
    void everyCloseWithoutAPickCancels()
    {
        QFETCH(int, way);
        CalendarDate handedBack;
        {
            DatePicker picker(CalendarDate::fromText(u"3/5/2027"_s)); // an earlier pick
            picker.show();
            click(picker, u"yearUpButton"_s);
            if (way == 0)
                click(picker, u"closeButton"_s);
            else if (way == 1)
                QTest::keyClick(&picker, Qt::Key_Escape);
            else
                picker.close();
            QCOMPARE(picker.result(), int(QDialog::Rejected));
            QVERIFY(!picker.isVisible());
            handedBack = picker.value();
        }
        QCOMPARE(handedBack, CalendarDate::emptyText());
        QCOMPARE(DatePicker(handedBack).findChild<QLabel*>(u"monthTitle"_s)->text(),
                 u"June - 2026"_s);
    }

    void clicksBesideTheDaysKeepThePickerOpen_data()
    {
        QTest::addColumn<QDate>("anchor");
        QTest::addColumn<QPoint>("cell");
        QTest::newRow("heading") << QDate(2026, 2, 10) << QPoint(3, 0);
        QTest::newRow("fifth week of February 2026") << QDate(2026, 2, 10) << QPoint(0, 5);
        QTest::newRow("before day 1") << QDate(2026, 8, 10) << QPoint(0, 1);
    }
    void clicksBesideTheDaysKeepThePickerOpen()
    {
        QFETCH(QDate, anchor);
        QFETCH(QPoint, cell);
        DatePicker picker(CalendarDate::fromDate(anchor));
        picker.show();
        clickCell(grid(picker), cell.y(), cell.x());
        QVERIFY(picker.isVisible());
        QCOMPARE(picker.value(), CalendarDate::fromDate(anchor));
    }

    void theAnchorComesFromTheOpener_data()
    {
        QTest::addColumn<CalendarDate>("anchor");
        QTest::addColumn<QString>("written"); // by an opener, before the picker opens again
        QTest::addColumn<QString>("title");
        QTest::addColumn<CalendarDate>("afterOpening");
        const auto today = CalendarDate::fromDate(Today);
        const auto picked = CalendarDate::fromText(u"3/5/2027"_s);
        const auto navigated = CalendarDate::fromDate(QDate(2030, 11, 2));
        const QString nothing = u"<nothing>"_s;
        QTest::newRow("never assigned") << CalendarDate() << nothing << "June - 2026" << today;
        QTest::newRow("cancelled")
            << CalendarDate::fromText({}) << nothing << "June - 2026" << today;
        QTest::newRow("no date") << CalendarDate::fromText(u"soon"_s) << "soon"
                                 << "June - 2026" << today;
        QTest::newRow("picked") << picked << "3/5/2027"
                                << "March - 2027" << picked;
        QTest::newRow("navigated") << navigated << "11/2/2030"
                                   << "November - 2030" << navigated;
    }
    void theAnchorComesFromTheOpener()
    {
        QFETCH(CalendarDate, anchor);
        QFETCH(QString, written);
        QFETCH(QString, title);
        QFETCH(CalendarDate, afterOpening);
        QCOMPARE(forEditBox(anchor), written);
        DatePicker picker(anchor);
        QCOMPARE(text(picker, u"monthTitle"_s), title);
        QCOMPARE(picker.value(), afterOpening);
    }

    void theOpenerProtocolThroughExec()
    {
        QWidget opener;
        opener.show();
        QString box = u"1/1/2026"_s;
        CalendarDate anchor; // the opener keeps it from one opening to the next
        const auto open = [&](const std::function<void(DatePicker&)>& act) {
            DatePicker picker(anchor, &opener);
            picker.move(opener.mapToGlobal(QPoint(40, 30)));
            QTimer::singleShot(0, &picker, [&] { act(picker); });
            picker.exec();
            anchor = picker.value();
            box = anchor.textForEditBox().value_or(box);
        };
        open([](DatePicker& p) { clickCell(grid(p), 2, 3); });
        QCOMPARE(box, u"6/10/2026"_s);
        open([](DatePicker& p) {
            click(p, u"monthUpButton"_s);
            click(p, u"closeButton"_s);
        });
        QCOMPARE(box, u"6/10/2026"_s);
    }

    // Under a window manager: a blank title, a close box and no minimise or maximise button.
    void theFrameHasACloseBoxOnly()
    {
        QCoreApplication::setApplicationName(u"program name"_s);
        DatePicker picker;
        picker.show();
        // An empty title would reach the window system as the program's name.
        const QString title = picker.windowHandle()->title();
        QVERIFY(!title.isEmpty());
        QVERIFY(title.trimmed().isEmpty());
        const Qt::WindowFlags flags = picker.windowHandle()->flags();
        QVERIFY(flags.testFlag(Qt::CustomizeWindowHint)); // no buttons but those asked for
        QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
        QVERIFY(!flags.testAnyFlags(Qt::WindowMinMaxButtonsHint));
        QCOMPARE(picker.minimumSize(), picker.maximumSize());
    }

    void layoutNamesAndTabOrder()
    {
        DatePicker picker;
        // The whole month is in view without scrolling, each text whole in its cell.
        QTableView* days = grid(picker);
        QVERIFY(picker.rect().contains(days->geometry()));
        const QFontMetrics metrics(days->font());
        for (int row = 0; row < 7; ++row) {
            for (int col = 0; col < 7; ++col) {
                const QRect cell = days->visualRect(days->model()->index(row, col));
                QVERIFY(days->viewport()->rect().contains(cell));
                QCOMPARE(cell.width(), days->visualRect(days->model()->index(0, 0)).width());
                QVERIFY(metrics.horizontalAdvance(cellText(days, row, col)) < cell.width());
            }
        }
        const QList<std::pair<const char*, QString>> arrows = {
            {"yearDownButton", u"One Year Down"_s},
            {"monthDownButton", u"One Month Down"_s},
            {"monthUpButton", u"One Month Up"_s},
            {"yearUpButton", u"One Year Up"_s}};
        for (const auto& [name, tip] : arrows) {
            QPushButton* arrow = button(picker, QString::fromLatin1(name));
            QCOMPARE(arrow->toolTip(), tip);
            QCOMPARE(arrow->accessibleName(), tip);
        }
        QCOMPARE(button(picker, u"closeButton"_s)->accessibleName(), u"Close"_s);

        picker.show();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        QCOMPARE(QApplication::focusWidget()->objectName(), u"monthUpButton"_s);
        for (const QString& next : {u"monthDownButton"_s, u"dayGrid"_s, u"yearUpButton"_s,
                                    u"yearDownButton"_s, u"closeButton"_s, u"monthUpButton"_s}) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget()->objectName(), next);
        }
    }
};

QTEST_MAIN(TestCalendar)
#include "tst_calendar.moc"
