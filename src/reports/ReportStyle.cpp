#include "reports/ReportStyle.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

// A length in points from "8pt", "3px" (1/96 inch) or a bare number (points).
std::optional<qreal> points(const QString& value)
{
    static const QRegularExpression length(QStringLiteral(R"(^\s*([\d.]+)\s*(pt|px)?\s*$)"));
    const auto match = length.match(value);
    if (!match.hasMatch())
        return std::nullopt;
    const qreal number = match.captured(1).toDouble();
    return match.captured(2) == u"px" ? number * 72.0 / 96.0 : number;
}

QStringList families(const QString& value)
{
    QStringList names;
    for (QString name : value.split(u',', Qt::SkipEmptyParts)) {
        name = name.trimmed();
        name.remove(u'"').remove(u'\'');
        if (!name.isEmpty())
            names.append(name);
    }
    return names;
}

bool isBold(const QString& value)
{
    return value == u"bold" || value == u"bolder" || value.toInt() >= 600;
}

void setProperty(CellLook& look, const QString& name, const QString& value)
{
    if (name == u"color" && QColor::isValidColorName(value))
        look.ink = QColor::fromString(value);
    else if ((name == u"background-color" || name == u"background") &&
             QColor::isValidColorName(value))
        look.fill = QColor::fromString(value);
    else if (name == u"font-family" && !families(value).isEmpty())
        look.font.setFamilies(families(value));
    else if (name == u"font-size" && points(value))
        look.font.setPointSizeF(*points(value));
    else if (name == u"font-weight")
        look.font.setBold(isBold(value));
    else if (name == u"font-style")
        look.font.setItalic(value == u"italic" || value == u"oblique");
}

} // namespace

ReportStyle::ReportStyle(const QString& css)
{
    QString text = css;
    static const QRegularExpression comments(QStringLiteral(R"(/\*.*?\*/)"),
                                             QRegularExpression::DotMatchesEverythingOption);
    text.remove(comments);
    static const QRegularExpression rule(QStringLiteral(R"(([^{}]+)\{([^{}]*)\})"));
    auto it = rule.globalMatch(text);
    while (it.hasNext()) {
        const auto match = it.next();
        addRules(match.captured(1), match.captured(2));
    }
    std::stable_sort(m_rules.begin(), m_rules.end(),
                     [](const Rule& a, const Rule& b) { return a.specificity < b.specificity; });
}

void ReportStyle::addRules(const QString& selectors, const QString& declarations)
{
    QList<std::pair<QString, QString>> properties;
    for (const QString& declaration : declarations.split(u';', Qt::SkipEmptyParts)) {
        const QString name = declaration.section(u':', 0, 0).trimmed().toLower();
        const QString value = declaration.section(u':', 1).trimmed();
        if (!name.isEmpty() && !value.isEmpty())
            properties.append({name, value});
    }
    // A selector with blanks or other combinators is for the HTML parts only.
    static const QRegularExpression combinators(QStringLiteral(R"([\s>+~#\[:])"));
    for (const QString& selector : selectors.split(u',', Qt::SkipEmptyParts)) {
        QStringList parts = selector.trimmed().split(u'.');
        if (parts.isEmpty() || selector.trimmed().contains(combinators))
            continue;
        Rule rule;
        rule.tag = parts.takeFirst().toLower();
        rule.classes = parts;
        rule.properties = properties;
        rule.specificity = int(rule.classes.size()) * 10 + (rule.tag.isEmpty() ? 0 : 1);
        for (const auto& [name, value] : properties) {
            if (name == u"border-color" && rule.tag == u"table" && QColor::isValidColorName(value))
                m_gridColor = QColor::fromString(value);
            if (name == u"padding" && (rule.tag == u"td" || rule.tag == u"th") && points(value))
                m_padding = *points(value);
        }
        m_rules.append(rule);
    }
}

void ReportStyle::apply(const QString& tag, const QStringList& classes, CellLook& look) const
{
    for (const Rule& rule : m_rules) {
        if (!rule.tag.isEmpty() && rule.tag != tag)
            continue;
        const bool matches = std::all_of(rule.classes.cbegin(), rule.classes.cend(),
                                         [&](const QString& c) { return classes.contains(c); });
        if (!matches)
            continue;
        for (const auto& [name, value] : rule.properties)
            setProperty(look, name, value);
    }
}

CellLook ReportStyle::look(const QString& tag, const QStringList& classes,
                           const QStringList& rowClasses) const
{
    CellLook look;
    look.font.setPointSizeF(9);
    apply(QStringLiteral("body"), {}, look);
    apply(QStringLiteral("table"), {}, look);
    look.fill = QColor(); // a table's background is the grid, not the cells'
    CellLook row = look;
    apply(QStringLiteral("tr"), rowClasses, row);
    look = row;
    look.fill = QColor(); // painted once for the row
    apply(tag, classes, look);
    return look;
}

QColor ReportStyle::rowFill(const QStringList& rowClasses) const
{
    CellLook row;
    apply(QStringLiteral("tr"), rowClasses, row);
    return row.fill;
}
