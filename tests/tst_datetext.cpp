// Reading and writing date text under the user's regional settings.
#include "common/DateText.h"

#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

namespace {

const char* const FuzzLocales[] = {"en_US", "en_GB", "de_DE", "el_GR", "ja_JP",
                                   "fr_FR", "ko_KR", "ar_EG", "hi_IN", "C"};

// Dates as the program and its users write them, with years far beyond the accepted ones.
QStringList writtenForms(QRandomGenerator& random)
{
    const QDate date = QDate(1, 1, 1).addDays(random.bounded(-800000, 4400000));
    const QLocale locale;
    return {DateText::toShort(date), locale.toString(date, QLocale::ShortFormat),
            locale.toString(date, QLocale::LongFormat),
            locale.toString(date, QStringLiteral("dddd, dd MMMM yyyy")),
            date.toString(Qt::ISODate)};
}

// A written date with a few slips: signs, digits, separators and letters put in, taken out or
// swapped.
QString mutated(QString text, QRandomGenerator& random)
{
    static const QString pieces =
        QStringLiteral("0123456789-+/.,: '\u00a0\u200f\u0660\u0669\u5e74\u6708xX\u00e9\u03b1");
    const int slips = random.bounded(1, 4);
    for (int i = 0; i < slips; ++i) {
        const int at = text.isEmpty() ? 0 : random.bounded(int(text.size()));
        const QChar piece = pieces.at(random.bounded(int(pieces.size())));
        switch (random.bounded(4)) {
        case 0:
            text.insert(at, piece);
            break;
        case 1:
            text.remove(at, 1);
            break;
        case 2:
            text.replace(at, 1, piece);
            break;
        default:
            text.insert(at, text.mid(at, random.bounded(1, 5)));
        }
    }
    return text;
}

} // namespace

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

        QTest::newRow("us four-digit year") << "en_US"
                                            << "12/05/2020" << QDate(2020, 12, 5);
        QTest::newRow("us two-digit year is this century") << "en_US"
                                                           << "3/5/26" << QDate(2026, 3, 5);
        QTest::newRow("us 29 maps to 2029") << "en_US"
                                            << "1/1/29" << QDate(2029, 1, 1);
        QTest::newRow("us 30 maps to 1930") << "en_US"
                                            << "1/1/30" << QDate(1930, 1, 1);
        QTest::newRow("us leap day of 2000 typed short") << "en_US"
                                                         << "2/29/00" << QDate(2000, 2, 29);
        QTest::newRow("us blanks around") << "en_US"
                                          << "  7/4/2026 " << QDate(2026, 7, 4);
        QTest::newRow("gb day first") << "en_GB"
                                      << "12/05/2020" << QDate(2020, 5, 12);
        QTest::newRow("de dots") << "de_DE"
                                 << "05.03.26" << QDate(2026, 3, 5);
        QTest::newRow("de four digits") << "de_DE"
                                        << "5.3.2026" << QDate(2026, 3, 5);
        QTest::newRow("el day first") << "el_GR"
                                      << "5/3/2026" << QDate(2026, 3, 5);
        QTest::newRow("de dots and blanks") << "de_DE"
                                            << "5. 3. 2026" << QDate(2026, 3, 5);
        QTest::newRow("gb dashes between blanks") << "en_GB"
                                                  << "5 - 3 - 2026" << QDate(2026, 3, 5);
        QTest::newRow("gb blanks only") << "en_GB"
                                        << "5 3 2026" << QDate(2026, 3, 5);
        QTest::newRow("iso in any locale") << "de_DE"
                                           << "2026-03-05" << QDate(2026, 3, 5);
        QTest::newRow("c locale short form") << "C"
                                             << "5 Mar 2026" << QDate(2026, 3, 5);
        QTest::newRow("us long form") << "en_US"
                                      << "Thursday, March 5, 2026" << QDate(2026, 3, 5);
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
        QTest::newRow("empty") << "en_US"
                               << "";
        QTest::newRow("word") << "en_US"
                              << "tomorrow";
        QTest::newRow("no 13th month") << "en_US"
                                       << "13/13/2020";
        QTest::newRow("no 29 February 2023") << "en_US"
                                             << "2/29/2023";
        QTest::newRow("gb has no month 31") << "en_GB"
                                            << "05/31/2020";
        QTest::newRow("three-digit year") << "en_US"
                                          << "1/2/202";
        QTest::newRow("bad iso") << "en_US"
                                 << "2026-02-30";
        QTest::newRow("quote") << "en_US"
                               << "1/2/2020'";
        // Years that have no four-digit stored form, or lie far outside any drill.
        QTest::newRow("us negative year") << "en_US"
                                          << "3/5/-2020";
        QTest::newRow("us long form, negative year") << "en_US"
                                                     << "Thursday, March 5, -2020";
        QTest::newRow("de negative year") << "de_DE"
                                          << "05.03.-2020";
        QTest::newRow("ja negative year") << "ja_JP"
                                          << "-2020/03/05";
        // A year with a sign, after a blank, is not a separator and a year.
        QTest::newRow("gb signed short year") << "en_GB"
                                              << "01/03 -5";
        QTest::newRow("de signed year") << "de_DE"
                                        << "1.3 -2026";
        QTest::newRow("us signed day") << "en_US"
                                       << "3 -5 2026";
        QTest::newRow("gb plus-signed year") << "en_GB"
                                             << "01/03/+2026";
        QTest::newRow("gb plus after a blank") << "en_GB"
                                               << "01/03 +26";
        QTest::newRow("us year 1") << "en_US"
                                   << "1/1/0001";
        QTest::newRow("us year 999") << "en_US"
                                     << "12/31/0999";
        QTest::newRow("de year 1899") << "de_DE"
                                      << "31.12.1899";
        QTest::newRow("us year 2101") << "en_US"
                                      << "1/1/2101";
        QTest::newRow("iso year 9999") << "en_US"
                                       << "9999-12-31";
        QTest::newRow("long form, year 10000") << "en_US"
                                               << "Saturday, January 1, 10000";
    }
    void rejectsWhatIsNotADate()
    {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QVERIFY(!DateText::read(text).has_value());
    }

    void theAcceptedYearsEndWhereTheyShould()
    {
        const QDate first(DateText::FirstYear, 1, 1);
        const QDate last(DateText::LastYear, 12, 31);
        QCOMPARE(DateText::read(DateText::toShort(first)), std::optional(first));
        QCOMPARE(DateText::read(DateText::toShort(last)), std::optional(last));
        QVERIFY(!DateText::read(DateText::toShort(first.addDays(-1))));
        QVERIFY(!DateText::read(DateText::toShort(last.addDays(1))));
        // A stored value from outside the years is shown as it stands, never re-dated.
        QCOMPARE(DateText::storedToShort(QStringLiteral("0001-01-01")),
                 QStringLiteral("0001-01-01"));
    }

    // Whatever is typed, in whichever locale: no crash, and nothing accepted that cannot be
    // stored as a four-digit ISO date of an accepted year. Written forms of accepted dates
    // read back as the same date.
    void fuzzedInputNeverYieldsADateOutsideTheYears()
    {
        const quint32 seed = QRandomGenerator::global()->generate();
        QRandomGenerator random(seed);
        static const QRegularExpression storable(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}$)"));
        QElapsedTimer clock;
        clock.start();
        int tried = 0;
        for (const char* name : FuzzLocales) {
            QLocale::setDefault(QLocale(QString::fromLatin1(name)));
            for (int round = 0; round < 600 && clock.elapsed() < 4000; ++round) {
                const QStringList forms = writtenForms(random);
                for (const QString& form : forms) {
                    for (const QString& text : {form, mutated(form, random)}) {
                        ++tried;
                        const auto date = DateText::read(text);
                        if (!date)
                            continue;
                        const QString stored = DateText::toIso(*date);
                        QVERIFY2(date->year() >= DateText::FirstYear &&
                                     date->year() <= DateText::LastYear &&
                                     storable.match(stored).hasMatch(),
                                 qPrintable(QStringLiteral("%1: \"%2\" read as %3 (seed %4)")
                                                .arg(QLatin1String(name), text, stored)
                                                .arg(seed)));
                    }
                }
                const auto written = QDate::fromString(forms.last(), Qt::ISODate);
                if (written.year() < DateText::FirstYear || written.year() > DateText::LastYear)
                    continue;
                // The locale's own short form has two year digits: only 1930-2029 come back.
                QStringList exact = forms;
                if (written.year() < 1930 || written.year() > 2029)
                    exact.removeAt(1);
                for (const QString& form : std::as_const(exact)) {
                    QVERIFY2(DateText::read(form) == std::optional(written),
                             qPrintable(QStringLiteral("%1: \"%2\" (seed %3)")
                                            .arg(QLatin1String(name), form)
                                            .arg(seed)));
                }
            }
        }
        QVERIFY2(tried > 10000, qPrintable(QString::number(tried)));
    }

    void shortTextHasFourDigitsAndReadsBack_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("expected");
        QTest::newRow("en_US") << "en_US"
                               << "3/5/1999";
        QTest::newRow("en_GB") << "en_GB"
                               << "05/03/1999";
        QTest::newRow("de_DE") << "de_DE"
                               << "05.03.1999";
        QTest::newRow("el_GR") << "el_GR"
                               << "5/3/1999";
        // A bare C or POSIX set-up gets ISO, which fits the date columns.
        QTest::newRow("C") << "C"
                           << "1999-03-05";
        QTest::newRow("POSIX") << "POSIX"
                               << "1999-03-05";
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

    // The clock follows the locale; the reports' stamps stand in English sentences.
    void longFormsOfTheClockAndOfTheReports()
    {
        const QDateTime moment(QDate(2026, 12, 6), QTime(16, 5, 9));
        QCOMPARE(DateText::clockText(moment), QStringLiteral("Sunday, 06 December 2026 16:05"));
        QCOMPARE(DateText::longDate(moment.date()), QStringLiteral("Sunday, 06 December 2026"));
        QCOMPARE(DateText::timeText(QTime(7, 5, 9)), QStringLiteral("07:05:09"));
        QLocale::setDefault(QLocale(QStringLiteral("el_GR")));
        // In a full date the Greek month takes its genitive form.
        QCOMPARE(DateText::clockText(moment), QStringLiteral("Κυριακή, 06 Δεκεμβρίου 2026 16:05"));
        QCOMPARE(DateText::longDate(moment.date()), QStringLiteral("Sunday, 06 December 2026"));
    }
};

QTEST_GUILESS_MAIN(TestDateText)
#include "tst_datetext.moc"
