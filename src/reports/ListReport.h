#pragma once

#include <QString>

// The look shared by the lists the program prints from its own data (due drills, history): the
// style, and the heading with the title, the company and when it was printed.
namespace ListReport {

QString styleSheet();
// "HBQ ORX - TITLE", the company, "As of DATE, TIME", then `line`; TITLE also names the pages.
QString headerHtml(const QString& title, const QString& company, const QString& line);

} // namespace ListReport
