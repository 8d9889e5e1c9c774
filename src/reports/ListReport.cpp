#include "reports/ListReport.h"

#include "common/Clock.h"
#include "common/DateText.h"

QString ListReport::styleSheet()
{
    return QStringLiteral(
        "body { font-family: \"Liberation Sans\", Arial, sans-serif; font-size: 9pt; }\n"
        ".title { font-size: 16pt; font-weight: bold; color: #000080; }\n"
        ".company { font-size: 11pt; font-weight: bold; }\n"
        ".stamp { font-size: 8pt; color: #4d4d4d; }\n"
        "table { border-color: #8c8c8c; }\n"
        "th { background-color: #000080; color: #ffffff; font-weight: bold; padding: 3px; }\n"
        "td { padding: 3px; }\n");
}

QString ListReport::headerHtml(const QString& title, const QString& company, const QString& line)
{
    const QDateTime now = Clock::now();
    return QStringLiteral("<html><head><title>%1</title></head><body>"
                          "<p><span class=\"title\">HBQ ORX - %1</span><br />"
                          "<span class=\"company\">%2</span><br />"
                          "<span class=\"stamp\">As of %3, %4</span></p>"
                          "<p>%5</p></body></html>")
        .arg(title.toHtmlEscaped(), company.toHtmlEscaped(), DateText::longDate(now.date()),
             DateText::timeText(now.time()), line.toHtmlEscaped());
}
