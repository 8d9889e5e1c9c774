#include "common/Csv.h"

#include <QDir>
#include <QSaveFile>

namespace {

bool startsLikeAFormula(const QString& text)
{
    if (text.isEmpty())
        return false;
    switch (text.front().unicode()) {
    case u'=':
    case u'+':
    case u'-':
    case u'@':
    case u'\t':
    case u'\r':
        return true;
    default:
        return false;
    }
}

bool needsQuotes(const QString& text)
{
    if (text.isEmpty())
        return false;
    return text.contains(u',') || text.contains(u'"') || text.contains(u'\n') ||
           text.contains(u'\r') || text.front().isSpace() || text.back().isSpace();
}

} // namespace

QString Csv::field(const QString& text)
{
    QString value = startsLikeAFormula(text) ? u'\'' + text : text;
    // CSV has no escape for NUL, and many readers end the text there: it is shown as its symbol.
    value.replace(QChar(0), QChar(0x2400));
    if (!needsQuotes(value) && !startsLikeAFormula(text))
        return value;
    value.replace(u'"', QStringLiteral("\"\""));
    return u'"' + value + u'"';
}

QString Csv::record(const QStringList& fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString& text : fields)
        out.append(field(text));
    return out.join(u',') + QStringLiteral("\r\n");
}

void Csv::Writer::write(const QStringList& fields)
{
    m_out.write(record(fields).toUtf8());
}

QString Csv::writeFile(const QString& fileName, const std::function<void(Writer&)>& fill)
{
    QSaveFile file(fileName);
    if (file.open(QIODevice::WriteOnly)) {
        Writer writer(file);
        fill(writer);
        if (file.commit())
            return {};
    }
    return QStringLiteral("The CSV file \"%1\" cannot be written: %2")
        .arg(QDir::toNativeSeparators(fileName), file.errorString());
}
