#include "CsvRecords.h"

#include <utility>

QList<QStringList> csvRecords(const QString& text)
{
    QList<QStringList> records;
    QStringList record;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (quoted) {
            if (c == u'"' && text.mid(i + 1, 1) == QStringLiteral("\""))
                field += text.at(++i);
            else if (c == u'"')
                quoted = false;
            else
                field += c;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            record.append(std::exchange(field, QString()));
        } else if (c == u'\n' || (c == u'\r' && text.mid(i + 1, 1) == QStringLiteral("\n"))) {
            record.append(std::exchange(field, QString()));
            records.append(std::exchange(record, QStringList()));
            i += c == u'\r' ? 1 : 0;
        } else {
            field += c;
        }
    }
    return records;
}
