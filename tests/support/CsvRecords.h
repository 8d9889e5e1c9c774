#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// A CSV reader of the tests' own, independent of the program's writer: RFC 4180 records of
// fields, quoted or not, with quotes doubled; lines end with CRLF or LF.
QList<QStringList> csvRecords(const QString& text);
