// Reading and writing date text under the user's regional settings.
#include "common/DateText.h"

#include <QLocale>
#include <QTest>

class TestDateText : public QObject
{
    Q_OBJECT

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void readsWhatUsersType_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");

        QTest::newRow("us four-digit year") << "en_US" << "12/05/2020" << QDate(2020, 12, 5);
        QTest::newRow("us two-digit year is this century") << "en_US" << "3/5/26" << QDate(2026, 3, 5);
        QTest::newRow("us 29 maps to 2029") << "en_US" << "1/1/29" << QDate(2029, 1, 1);
        QTest::newRow("us 30 maps to 1930") << "en_US" << "1/1/30" << QDate(1930, 1, 1);
        QTest::newRow("us leap day of 2000 typed short") << "en_US" << "2/29/00" << QDate(2000, 2, 29);
        QTest::newRow("us blanks around") << "en_US" << "  7/4/2026 " << QDate(2026, 7, 4);
        QTest::newRow("gb day first") << "en_GB" << "12/05/2020" << QDate(2020, 5, 12);
        QTest::newRow("de dots") << "de_DE" << "05.03.26" << QDate(2026, 3, 5);
        QTest::newRow("de four digits") << "de_DE" << "5.3.2026" << QDate(2026, 3, 5);
        QTest::newRow("el day first") << "el_GR" << "5/3/2026" << QDate(2026, 3, 5);
        QTest::newRow("iso in any locale") << "de_DE" << "2026-03-05" << QDate(2026, 3, 5);
        QTest::newRow("c locale short form") << "C" << "5 Mar 2026" << QDate(2026, 3, 5);
        QTest::newRow("us long form") << "en_US" << "Thursday, March 5, 2026" << QDate(2026, 3, 5);
    }
    void readsWhatUsersType()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QLocale::setDefault(QLocale(locale));
        const auto date = DateText::read(text);
        QVERIFY2(date.has_value(), qPrintable(text));
        QCOMPARE(*date, expected);
    }

    void rejectsWhatIsNotADate_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << "en_US" << "";
        QTest::newRow("word") << "en_US" << "tomorrow";
        QTest::newRow("no 13th month") << "en_US" << "13/13/2020";
        QTest::newRow("no 29 February 2023") << "en_US" << "2/29/2023";
        QTest::newRow("gb has no month 31") << "en_GB" << "05/31/2020";
        QTest::newRow("three-digit year") << "en_US" << "1/2/202";
        QTest::newRow("bad iso") << "en_US" << "2026-02-30";
        QTest::newRow("quote") << "en_US" << "1/2/2020'";
    }
    void rejectsWhatIsNotADate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QVERIFY(!DateText::read(text).has_value());
    }

    void shortTextHasFourDigitsAndReadsBack_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("en_US") << "en_US" << "3/5/1999";
        QTest::newRow("en_GB") << "en_GB" << "05/03/1999";
        QTest::newRow("de_DE") << "de_DE" << "05.03.1999";
        QTest::newRow("el_GR") << "el_GR" << "5/3/1999";
        // A bare C or POSIX set-up gets ISO, which fits the date columns.
        QTest::newRow("C") << "C" << "1999-03-05";
        QTest::newRow("POSIX") << "POSIX" << "1999-03-05";
    }
    void shortTextHasFourDigitsAndReadsBack()
    {
        QFETCH(QString, locale);
        QFETCH(QString, expected);
        QLocale::setDefault(QLocale(locale));
        const QDate date(1999, 3, 5);
        QCOMPARE(DateText::toShort(date), expected);
        QCOMPARE(DateText::read(DateText::toShort(date)), std::optional(date));
        // A date far from the two-digit window survives the round trip too.
        const QDate old(1901, 12, 31);
        QCOMPARE(DateText::read(DateText::toShort(old)), std::optional(old));
    }

    void storedDatesAreIsoAndShownShort()
    {
        QCOMPARE(DateText::toIso(QDate(2026, 3, 5)), QStringLiteral("2026-03-05"));
        QCOMPARE(DateText::storedToShort(QStringLiteral("2026-03-05")), QStringLiteral("3/5/2026"));
        // A value written by other means is shown as it stands.
        QCOMPARE(DateText::storedToShort(QStringLiteral("soon")), QStringLiteral("soon"));
        QCOMPARE(DateText::storedToShort(QString()), QString());
    }

    void longFormsFollowTheLocale()
    {
        const QDateTime moment(QDate(2026, 12, 6), QTime(16, 5, 9));
        QCOMPARE(DateText::clockText(moment), QStringLiteral("Sunday, 06 December 2026 16:05"));
        QCOMPARE(DateText::longDate(moment.date()), QStringLiteral("Sunday, 06 December 2026"));
        QCOMPARE(DateText::timeText(QTime(7, 5, 9)), QStringLiteral("07:05:09"));
        QLocale::setDefault(QLocale(QStringLiteral("el_GR")));
        // In a full date the Greek month takes its genitive form.
        QCOMPARE(DateText::longDate(moment.date()),
                 QStringLiteral("Κυριακή, 06 Δεκεμβρίου 2026"));
    }
};

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"
