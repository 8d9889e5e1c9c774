#pragma once

#include <QString>
#include <QVariant>

// A text as a bound value. Qt binds a null QString (an empty label's text, for one) as NULL,
// which compares equal to nothing and is stored as no text at all; empty text stays text here.
inline QVariant boundText(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}
