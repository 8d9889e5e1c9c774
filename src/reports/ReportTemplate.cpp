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

Qt::Alignment alignmentOf(const QString& word)
{
    if (word.compare(u"right", Qt::CaseInsensitive) == 0)
        return Qt::AlignRight;
    if (word.compare(u"center", Qt::CaseInsensitive) == 0)
        return Qt::AlignHCenter;
    return Qt::AlignLeft;
}

} // namespace

QString ReportTemplate::load(const QString& filePath)
{
    m_filePath = filePath;
    m_parts = {};
    m_table.clear();
    m_orientation.reset();

    QFile file(filePath);
    if (!QFileInfo(filePath).isFile())
        return QStringLiteral("The report template %1 was not found.").arg(quoted(filePath));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("The report template %1 cannot be read: %2")
            .arg(quoted(filePath), file.errorString());
    QByteArray content = file.readAll();
    if (content.startsWith("\xEF\xBB\xBF")) // a byte order mark some editors write
        content.remove(0, 3);

    const mustache::mustache parsed(content.toStdString());
    if (!parsed.is_valid())
        return broken(QString::fromStdString(parsed.error_message()));
    const QStringList lines = QString::fromUtf8(content).split(u'\n');
    std::string* part = &m_parts.header;
    for (const QString& line : lines.mid(1)) {
        if (std::string* next = partNamed(line, m_parts))
            part = next;
        else
            part->append(line.toStdString()).append("\n");
    }
    return readSettings(lines.first());
}

QString ReportTemplate::readSettings(const QString& firstLine)
{
    static const QRegularExpression comment(QStringLiteral(R"(^\s*\{\{!(.*)\}\}\s*$)"));
    const auto match = comment.match(firstLine);
    if (!match.hasMatch())
        return broken(QStringLiteral("its first line must be a comment that names the table, "
                                     "such as {{! table: PrintDrills }}"));

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
        return broken(QStringLiteral("its first line does not name the table, as in "
                                     "{{! table: PrintDrills }}"));
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
    return readColumns(columns, report);
}

// Each line: group | title | width in % | field | left, center or right | style classes.
// A line "row class: ..." gives every row its classes.
QString ReportTemplate::readColumns(const QString& text, RenderedReport& report) const
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
    return {};
}

QString ReportTemplate::broken(const QString& reason) const
{
    return QStringLiteral("The report template %1 cannot be used: %2.")
        .arg(quoted(m_filePath), reason);
}
