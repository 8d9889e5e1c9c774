#pragma once

#include <QDate>
#include <QString>

#include <optional>

// The value the date picker hands back to its opener. On opening it is the anchor (the picker
// shows its month); on closing it is the result. The opener keeps it, so the next opening
// starts where the last one ended.
class CalendarDate
{
public:
    enum class Kind
    {
        NeverAssigned, // from program start until the picker first runs
        EmptyText,     // the picker was cancelled
        DateValue,     // the anchor after navigation, or today standing in for a missing anchor
        DateText,      // the day the user picked, as short-date text
    };

    // Never assigned.
    CalendarDate() = default;
    static CalendarDate emptyText();
    // An invalid date names nothing, like a value never assigned.
    static CalendarDate fromDate(const QDate& date);
    // The empty text counts as a cancel, not as a date text.
    static CalendarDate fromText(const QString& text);

    Kind kind() const { return m_kind; }
    // The date it names; nothing when it names none (never assigned, empty, unreadable text).
    std::optional<QDate> toDate() const;
    // What the opener writes into its edit box: a date text as it stands, a date value as
    // short-date text; nothing when it was never assigned or the picker was cancelled.
    std::optional<QString> textForEditBox() const;

    bool operator==(const CalendarDate& other) const = default;

private:
    Kind m_kind = Kind::NeverAssigned;
    QDate m_date;
    QString m_text;
};
