#include "common/DateText.h"

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

std::optional<QDate> readNumeric(const QString& text)
{
    static const QRegularExpression threeNumbers(
        QStringLiteral(R"(^(\d{1,4})\s*[./\- ]\s*(\d{1,4})\s*[./\- ]\s*(\d{1,4})\.?$)"));
    const QString order = numericFieldOrder(QLocale().dateFormat(QLocale::ShortFormat));
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

std::optional<QDate> readIso(const QString& text)
{
    static const QRegularExpression iso(QStringLiteral(R"(^\d{4}-\d{2}-\d{2}$)"));
    if (!iso.match(text).hasMatch())
        return std::nullopt;
    return ifValid(QDate::fromString(text, Qt::ISODate));
}

std::optional<QDate> readWithLocaleFormats(const QString& text)
{
    const QLocale locale;
    const QString formats[] = {
        withFourDigitYear(locale.dateFormat(QLocale::ShortFormat)),
        locale.dateFormat(QLocale::LongFormat),
        QStringLiteral("dddd, dd MMMM yyyy"),
    };
    for (const QString& format : formats) {
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
    // The C locale of a bare Linux set-up writes "20 Jan 2027", too wide for a date column;
    // its users expect ISO dates.
    if (QLocale().language() == QLocale::C)
        return QStringLiteral("yyyy-MM-dd");
    return withFourDigitYear(QLocale().dateFormat(QLocale::ShortFormat));
}

QString DateText::toShort(const QDate& date)
{
    return QLocale().toString(date, shortFormat());
}

std::optional<QDate> DateText::read(const QString& text)
{
    return accepted(readAnyForm(text.trimmed()));
}

QString DateText::toIso(const QDate& date)
{
    return date.toString(Qt::ISODate);
}

QString DateText::storedToShort(const QString& stored)
{
    const auto date = accepted(readIso(stored));
    return date ? toShort(*date) : stored;
}

QString DateText::longDate(const QDate& date)
{
    return QLocale().toString(date, QStringLiteral("dddd, dd MMMM yyyy"));
}

QString DateText::clockText(const QDateTime& moment)
{
    return QLocale().toString(moment, QStringLiteral("dddd, dd MMMM yyyy HH:mm"));
}

QString DateText::timeText(const QTime& time)
{
    return time.toString(QStringLiteral("HH:mm:ss"));
}
