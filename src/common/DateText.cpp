#include "common/DateText.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>

namespace {

// Widen a two-digit year pattern to four digits; leave other patterns alone.
QString withFourDigitYear(QString format)
{
    static const QRegularExpression twoDigitYear(QStringLiteral("(?<!y)yy(?!y)"));
    return format.replace(twoDigitYear, QStringLiteral("yyyy"));
}

std::optional<QDate> ifValid(const QDate& date)
{
    return date.isValid() ? std::optional(date) : std::nullopt;
}

int yearFromDigits(const QString& digits)
{
    const int value = digits.toInt();
    if (digits.size() == 4)
        return value;
    if (digits.size() <= 2)
        return value < 30 ? 2000 + value : 1900 + value;
    return -1;
}

// The order in which day, month and year stand in a numeric short format, e.g. "dMy".
// Empty when the format names the month in letters.
QString numericFieldOrder(const QString& format)
{
    if (format.contains(QStringLiteral("MMM")))
        return {};
    QString order;
    for (const QChar c : format) {
        if ((c == u'd' || c == u'M' || c == u'y') && !order.contains(c))
            order += c;
    }
    return order.size() == 3 ? order : QString();
}

// The locale's formats, worked out once per default locale rather than for every date: the
// grid shows thousands of them.
struct LocaleFormats
{
    QLocale locale;
    QString shortFormat; // what the program writes: four-digit year
    QString typedFormat; // the locale's own short form, widened to a four-digit year
    QString fieldOrder;  // e.g. "dMy"; empty for a format with month names
    QString longFormat;
    QHash<qint64, QString> shown; // short texts already made, by Julian day
};

LocaleFormats& formats()
{
    thread_local LocaleFormats cached{QLocale(QLocale::C), {}, {}, {}, {}, {}};
    thread_local bool filled = false;
    const QLocale current;
    if (!filled || cached.locale != current) {
        const QString localeShort = current.dateFormat(QLocale::ShortFormat);
        const QString typed = withFourDigitYear(localeShort);
        // The C locale of a bare Linux set-up writes "20 Jan 2027", too wide for a date
        // column; its users expect ISO dates.
        cached = {current,
                  current.language() == QLocale::C ? QStringLiteral("yyyy-MM-dd") : typed,
                  typed,
                  numericFieldOrder(localeShort),
                  current.dateFormat(QLocale::LongFormat),
                  {}};
        filled = true;
    }
    return cached;
}

// Between numbers: a separator sign with blanks after it, or between blanks, or blanks alone.
// A sign after a blank and before a number is that number's sign, which no date part has.
std::optional<QDate> readNumeric(const QString& text)
{
    static const QString between = QStringLiteral(R"((?:[./\-]\s*|\s+[./\-]\s+|\s+))");
    static const QRegularExpression threeNumbers(
        QStringLiteral(R"(^(\d{1,4})%1(\d{1,4})%1(\d{1,4})\.?$)").arg(between));
    const QString& order = formats().fieldOrder;
    const auto match = threeNumbers.match(text);
    if (order.isEmpty() || !match.hasMatch())
        return std::nullopt;
    int day = 0, month = 0, year = -1;
    for (int i = 0; i < 3; ++i) {
        const QString part = match.captured(i + 1);
        switch (order.at(i).unicode()) {
        case 'd':
            day = part.size() <= 2 ? part.toInt() : 0;
            break;
        case 'M':
            month = part.size() <= 2 ? part.toInt() : 0;
            break;
        default:
            year = yearFromDigits(part);
        }
    }
    return ifValid(QDate(year, month, day));
}

// "yyyy-MM-dd" with ASCII digits only; read by hand, as every stored date of a year passes here.
std::optional<QDate> readIso(const QString& text)
{
    if (text.size() != 10 || text.at(4) != u'-' || text.at(7) != u'-')
        return std::nullopt;
    const auto number = [&text](int from, int length) {
        int value = 0;
        for (int i = from; i < from + length; ++i) {
            const char16_t c = text.at(i).unicode();
            if (c < u'0' || c > u'9')
                return -1;
            value = value * 10 + (c - u'0');
        }
        return value;
    };
    const int year = number(0, 4);
    const int month = number(5, 2);
    const int day = number(8, 2);
    if (year < 0 || month < 0 || day < 0)
        return std::nullopt;
    return ifValid(QDate(year, month, day));
}

std::optional<QDate> readWithLocaleFormats(const QString& text)
{
    const LocaleFormats& known = formats();
    const QLocale& locale = known.locale;
    const QString tried[] = {
        known.typedFormat,
        known.longFormat,
        QStringLiteral("dddd, dd MMMM yyyy"),
    };
    for (const QString& format : tried) {
        if (auto date = ifValid(locale.toDate(text, format)))
            return date;
    }
    return std::nullopt;
}

std::optional<QDate> readAnyForm(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    if (auto date = readIso(text))
        return date;
    if (auto date = readNumeric(text))
        return date;
    return readWithLocaleFormats(text);
}

std::optional<QDate> accepted(std::optional<QDate> date)
{
    if (date && date->year() >= DateText::FirstYear && date->year() <= DateText::LastYear)
        return date;
    return std::nullopt;
}

} // namespace

QString DateText::shortFormat()
{
    return formats().shortFormat;
}

// Formatting by a pattern is slow, and a year shows the same few hundred days again and again.
QString DateText::toShort(const QDate& date)
{
    constexpr qsizetype KeptTexts = 4096;
    LocaleFormats& known = formats();
    const auto kept = known.shown.constFind(date.toJulianDay());
    if (kept != known.shown.cend())
        return *kept;
    if (known.shown.size() >= KeptTexts)
        known.shown.clear();
    const QString text = known.locale.toString(date, known.shortFormat);
    known.shown.insert(date.toJulianDay(), text);
    return text;
}

std::optional<QDate> DateText::read(const QString& text)
{
    return accepted(readAnyForm(text.trimmed()));
}

QString DateText::toIso(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

std::optional<QDate> DateText::readStored(const QString& stored)
{
    return accepted(readIso(stored));
}

QString DateText::storedToShort(const QString& stored)
{
    const auto date = readStored(stored);
    return date ? toShort(*date) : stored;
}

QString DateText::longDate(const QDate& date)
{
    return QLocale(QLocale::English, QLocale::UnitedKingdom)
        .toString(date, QStringLiteral("dddd, dd MMMM yyyy"));
}

QString DateText::clockText(const QDateTime& moment)
{
    return QLocale().toString(moment, QStringLiteral("dddd, dd MMMM yyyy HH:mm"));
}

QString DateText::timeText(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}
