#include "reports/ReportTemplate.h"

#include "common/Quoted.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <kainjow/mustache.hpp>

namespace mustache = kainjow::mustache;

namespace {

// Longer values are cut in the HTML parts, so that one name cannot push a page's content
// off the page; the table's cells cut theirs to the column's width.
constexpr qsizetype MaxPartValueLength = 200;

// Empty text is false, so that a template can leave out what a row does not have.
mustache::data toMustache(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return mustache::data(value.toBool());
    QString text = value.toString();
    if (text.isEmpty())
        return mustache::data(false);
    if (text.size() > MaxPartValueLength)
        text = text.left(MaxPartValueLength - 1) + QChar(0x2026);
    return mustache::data(text.toStdString());
}

mustache::data toMustache(const ReportValues& values)
{
    mustache::data object(mustache::data::type::object);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        object.set(it.key().toStdString(), toMustache(it.value()));
    return object;
}

mustache::data toMustache(const ReportData& data, bool withRows)
{
    mustache::data top = toMustache(data.report);
    if (withRows) {
        mustache::data rows(mustache::data::type::list);
        for (const ReportValues& row : data.rows)
            rows.push_back(toMustache(row));
        top.set("rows", rows);
    }
    return top;
}

std::string* partNamed(const QString& line, auto& parts)
{
    static const QRegularExpression marker(
        QStringLiteral(R"(^\s*\{\{!\s*(style|header|columns|empty|footer)\s*\}\}\s*$)"));
    const auto match = marker.match(line);
    if (!match.hasMatch())
        return nullptr;
    const QString name = match.captured(1);
    if (name == u"style")
        return &parts.style;
    if (name == u"columns")
        return &parts.columns;
    if (name == u"empty")
        return &parts.empty;
    if (name == u"footer")
        return &parts.footer;
    return &parts.header;
}

// Where a tag is opened and not closed before the next one opens: Mustache would take the text
// up to the next tag's end for a name, and show nothing in its place. Empty when every tag closes.
QString unclosedTag(const QString& text)
{
    qsizetype from = 0;
    while (true) {
        const qsizetype open = text.indexOf(QStringLiteral("{{"), from);
        if (open < 0)
            return {};
        qsizetype name = open + 2;
        while (name < text.size() && text.at(name) == u'{')
            ++name;
        const qsizetype close = text.indexOf(QStringLiteral("}}"), name);
        const qsizetype next = text.indexOf(QStringLiteral("{{"), name);
        if (close < 0 || (next >= 0 && next < close)) {
            const QString tag = text.mid(open).section(u'\n', 0, 0).left(30).trimmed();
            return QStringLiteral("the tag %1 on line %2 is not closed with }}")
                .arg(quoted(tag))
                .arg(text.left(open).count(u'\n') + 1);
        }
        from = close + 2;
    }
}

// Mustache names a fault by its place in the text; a user finds it by its line.
QString faultWithLine(const std::string& fault, const QByteArray& content)
{
    const QString told = QString::fromStdString(fault);
    static const QRegularExpression place(QStringLiteral(" at (\\d+)$"));
    const QRegularExpressionMatch at = place.match(told);
    if (!at.hasMatch())
        return told;
    const qsizetype offset = at.captured(1).toLongLong();
    return told.left(at.capturedStart()) +
           QStringLiteral(" on line %1").arg(content.left(offset).count('\n') + 1);
}

// The field a style class "{Field}" takes its name from; empty for a plain class.
QString classField(const QString& word)
{
    return word.size() > 2 && word.startsWith(u'{') && word.endsWith(u'}')
               ? word.mid(1, word.size() - 2)
               : QString();
}

Qt::Alignment alignmentOf(const QString& word)
{
    if (word.compare(u"right", Qt::CaseInsensitive) == 0)
        return Qt::AlignRight;
    if (word.compare(u"center", Qt::CaseInsensitive) == 0)
        return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

} // namespace

QString ReportTemplate::load(const QString& filePath, const ReportShape& shape)
{
    m_filePath = filePath;
    m_shape = shape;
    m_hasColumnsPart = false;
    m_parts = {};
    m_table.clear();
    m_orientation.reset();

    QFile file(filePath);
    if (QFileInfo(filePath).isDir())
        return QStringLiteral("The report template %1 is a folder, not a file.")
            .arg(quoted(filePath));
    if (!QFileInfo(filePath).isFile())
        return QStringLiteral("The report template %1 was not found.").arg(quoted(filePath));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The report template %1 cannot be read: %2")
            .arg(quoted(filePath), file.errorString());
    QByteArray content = file.readAll();
    if (content.startsWith("\xEF\xBB\xBF")) // a byte order mark some editors write
        content.remove(0, 3);

    const QString text = QString::fromUtf8(content);
    if (const QString unclosed = unclosedTag(text); !unclosed.isEmpty())
        return broken(unclosed);
    const mustache::mustache parsed(content.toStdString());
    if (!parsed.is_valid())
        return broken(faultWithLine(parsed.error_message(), content));
    const QStringList lines = text.split(u'\n');
    std::string* part = &m_parts.header;
    for (const QString& line : lines.mid(1)) {
        if (std::string* next = partNamed(line, m_parts)) {
            part = next;
            m_hasColumnsPart = m_hasColumnsPart || next == &m_parts.columns;
        } else {
            part->append(line.toStdString()).append("\n");
        }
    }
    if (const QString settings = readSettings(lines.first()); !settings.isEmpty())
        return settings;
    if (m_shape.paintedTable && !m_hasColumnsPart)
        return broken(QStringLiteral("it has no {{! columns }} part, the line of its own before "
                                     "the lines that list the table's columns"));
    return {};
}

QString ReportTemplate::readSettings(const QString& firstLine)
{
    static const QRegularExpression comment(QStringLiteral(R"(^\s*\{\{!(.*)\}\}\s*$)"));
    const QString example =
        QStringLiteral("{{! table: %1 }}")
            .arg(m_shape.table.isEmpty() ? QStringLiteral("TableName") : m_shape.table);
    const auto match = comment.match(firstLine);
    if (!match.hasMatch())
        return broken(
            QStringLiteral("its first line must be a comment that names the table, such as %1")
                .arg(example));

    const QStringList settings = match.captured(1).split(u';', Qt::SkipEmptyParts);
    for (const QString& setting : settings) {
        const QString key = setting.section(u':', 0, 0).trimmed().toLower();
        const QString value = setting.section(u':', 1).trimmed();
        if (key == u"table" && !value.isEmpty())
            m_table = value;
        else if (key == u"orientation" && value.compare(u"landscape", Qt::CaseInsensitive) == 0)
            m_orientation = QPageLayout::Landscape;
        else if (key == u"orientation" && value.compare(u"portrait", Qt::CaseInsensitive) == 0)
            m_orientation = QPageLayout::Portrait;
        else if (!setting.trimmed().isEmpty())
            return broken(QStringLiteral("the setting %1 on its first line is not understood")
                              .arg(quoted(setting.trimmed())));
    }
    if (m_table.isEmpty())
        return broken(
            QStringLiteral("its first line does not name the table, as in %1").arg(example));
    return {};
}

QString ReportTemplate::render(const ReportData& data, RenderedReport& report) const
{
    const mustache::data values = toMustache(data, !hasTable());
    QString failure;
    const auto fill = [&](const std::string& part) {
        mustache::mustache parsed(part);
        const std::string output = parsed.render(values);
        if (!parsed.is_valid() && failure.isEmpty())
            failure = broken(QString::fromStdString(parsed.error_message()));
        return QString::fromStdString(output);
    };
    report = {};
    report.styleSheet = QString::fromStdString(m_parts.style);
    report.headerHtml = fill(m_parts.header);
    report.footerHtml = fill(m_parts.footer);
    report.emptyText = fill(m_parts.empty).simplified();
    const QString columns = fill(m_parts.columns);
    if (!failure.isEmpty())
        return failure;
    return readColumns(columns, data.fields, report);
}

// Each line: group | title | width in % | field | left, center or right | style classes.
// A line "row class: ..." gives every row its classes.
QString ReportTemplate::readColumns(const QString& text, const QStringList& fields,
                                    RenderedReport& report) const
{
    static const QRegularExpression rowClass(QStringLiteral(R"(^\s*row class\s*:(.*)$)"));
    static const QRegularExpression percent(QStringLiteral(R"(^\s*([\d.]+)\s*%?\s*$)"));
    for (const QString& line : text.split(u'\n')) {
        if (line.trimmed().isEmpty())
            continue;
        if (const auto match = rowClass.match(line); match.hasMatch()) {
            report.rowClasses = match.captured(1).split(u' ', Qt::SkipEmptyParts);
            continue;
        }
        const QStringList cells = line.split(u'|');
        const auto width = percent.match(cells.value(2));
        if (cells.size() < 4 || !width.hasMatch() || cells.at(3).trimmed().isEmpty())
            return broken(QStringLiteral("the column line %1 does not read as "
                                         "group | title | width | field | alignment | classes")
                              .arg(quoted(line.trimmed())));
        ReportColumn column;
        column.group = cells.at(0).trimmed();
        column.title = cells.at(1).trimmed();
        column.widthPercent = width.captured(1).toDouble();
        column.field = cells.at(3).trimmed();
        column.alignment = alignmentOf(cells.value(4).trimmed());
        column.classes = cells.value(5).split(u' ', Qt::SkipEmptyParts);
        report.columns.append(column);
    }
    return checkColumns(report, fields);
}

QString ReportTemplate::checkColumns(const RenderedReport& report, const QStringList& fields) const
{
    if (m_shape.paintedTable && report.columns.isEmpty())
        return broken(QStringLiteral("its {{! columns }} part lists no column"));
    if (fields.isEmpty())
        return {};
    const auto unknown = [&](const QString& field) {
        return !field.isEmpty() && !fields.contains(field);
    };
    for (const ReportColumn& column : report.columns) {
        QStringList named{column.field};
        for (const QString& word : column.classes)
            named.append(classField(word));
        for (const QString& field : std::as_const(named)) {
            if (unknown(field))
                return broken(QStringLiteral("the column %1 names the field %2, which the rows "
                                             "of %3 do not have")
                                  .arg(quoted(column.title), quoted(field), quoted(m_table)));
        }
    }
    for (const QString& word : report.rowClasses) {
        if (unknown(classField(word)))
            return broken(QStringLiteral("the row class names the field %1, which the rows of "
                                         "%2 do not have")
                              .arg(quoted(classField(word)), quoted(m_table)));
    }
    return {};
}

QString ReportTemplate::broken(const QString& reason) const
{
    return QStringLiteral("The report template %1 cannot be used: %2.")
        .arg(quoted(m_filePath), reason);
}
