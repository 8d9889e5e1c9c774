#include "calendar/CalendarDate.h"

#include "common/DateText.h"

CalendarDate CalendarDate::emptyText()
{
    CalendarDate value;
    value.m_kind = Kind::EmptyText;
    return value;
}

CalendarDate CalendarDate::fromDate(const QDate& date)
{
    CalendarDate value;
    if (!date.isValid())
        return value;
    value.m_kind = Kind::DateValue;
    value.m_date = date;
    return value;
}

CalendarDate CalendarDate::fromText(const QString& text)
{
    if (text.isEmpty())
        return emptyText();
    CalendarDate value;
    value.m_kind = Kind::DateText;
    value.m_text = text;
    return value;
}

std::optional<QDate> CalendarDate::toDate() const
{
    switch (m_kind) {
    case Kind::DateValue:
        return m_date;
    case Kind::DateText:
        return DateText::read(m_text);
    case Kind::NeverAssigned:
    case Kind::EmptyText:
        break;
    }
    return std::nullopt;
}

std::optional<QString> CalendarDate::textForEditBox() const
{
    switch (m_kind) {
    case Kind::DateValue:
        return DateText::toShort(m_date);
    case Kind::DateText:
        return m_text;
    case Kind::NeverAssigned:
    case Kind::EmptyText:
        break;
    }
    return std::nullopt;
}
