#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

#include <optional>

// The one place where the program turns dates into text and back. Everything follows the
// default QLocale (the user's LANG / LC_TIME), except the stored form, which is ISO, and the
// reports' English stamps.
namespace DateText {

// The user's short date form with a four-digit year, e.g. "M/d/yyyy" for en_US; ISO
// "yyyy-MM-dd" where the locale is C or POSIX.
QString shortFormat();

// A date in the short form with a four-digit year.
QString toShort(const QDate& date);

// The years a date may have, wherever it comes from. Outside them a date has no four-digit
// stored form (a negative year, year 0) or is surely a typing slip (1/1/0001).
inline constexpr int FirstYear = 1900;
inline constexpr int LastYear = 2100;

// Reads what a user types or the program shows: the short form with a two-digit year
// (00-29 is 2000-2029, 30-99 is 1930-1999) or a four-digit one, the long form, and ISO.
// A date outside FirstYear..LastYear is no date.
std::optional<QDate> read(const QString& text);

// Stored form, "yyyy-MM-dd".
QString toIso(const QDate& date);
// Reads the stored form; a value that is not an accepted ISO date is no date.
std::optional<QDate> readStored(const QString& stored);
// The display form of a stored date; a value that is not an accepted ISO date is shown as it
// stands.
QString storedToShort(const QString& stored);

// "dddd, dd mmmm yyyy" in English, e.g. "Sunday, 06 December 2026": the reports' stamps, which
// stand in English sentences ("Status as of ...") whatever the user's locale.
QString longDate(const QDate& date);
// "dddd, dd mmmm yyyy hh:mm", e.g. "Sunday, 06 December 2026 16:05".
QString clockText(const QDateTime& moment);
// "hh:mm:ss", 24-hour clock.
QString timeText(const QTime& time);

} // namespace DateText
