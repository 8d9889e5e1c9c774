#include "reports/ReportTemplate.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <kainjow/mustache.hpp>

namespace mustache = kainjow::mustache;

namespace {

QString quoted(const QString& text)
{
    return QStringLiteral("\"%1\"").arg(text);
}

// Empty text is false, so that a template can leave out what a row does not have.
mustache::data toMustache(const QVariant& value)
{
    if (value.typeId() == QMetaType::Bool)
        return mustache::data(value.toBool());
    const QString text = value.toString();
    if (text.isEmpty())
        return mustache::data(false);
    return mustache::data(text.toStdString());
}

mustache::data toMustache(const ReportValues& values)
{
    mustache::data object(mustache::data::type::object);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        object.set(it.key().toStdString(), toMustache(it.value()));
    return object;
}

mustache::data toMustache(const ReportData& data)
{
    mustache::data rows(mustache::data::type::list);
    for (const ReportValues& row : data.rows)
        rows.push_back(toMustache(row));
    mustache::data top = toMustache(data.report);
    top.set("rows", rows);
    return top;
}

} // namespace

QString ReportTemplate::load(const QString& filePath)
{
    m_filePath = filePath;
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
    m_text = content.toStdString();

    const mustache::mustache parsed(m_text);
    if (!parsed.is_valid())
        return broken(QString::fromStdString(parsed.error_message()));
    const qsizetype lineEnd = content.indexOf('\n');
    return readSettings(QString::fromUtf8(lineEnd < 0 ? content : content.left(lineEnd)));
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

QString ReportTemplate::render(const ReportData& data, QString& html) const
{
    mustache::mustache parsed(m_text);
    const std::string output = parsed.render(toMustache(data));
    if (!parsed.is_valid())
        return broken(QString::fromStdString(parsed.error_message()));
    html = QString::fromStdString(output);
    return {};
}

QString ReportTemplate::broken(const QString& reason) const
{
    return QStringLiteral("The report template %1 cannot be used: %2.")
        .arg(quoted(m_filePath), reason);
}
