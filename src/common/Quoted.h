#pragma once

#include <QString>

// A file name, table or setting as a message names it: between double quotes.
inline QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}
