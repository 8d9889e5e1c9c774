#pragma once

#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// Puts a report document on paper: laid out for the device's page, with the document's title
// and "Page n of m" at the foot of every page.
namespace ReportPages {

// A4 with the report's margins.
QPageLayout a4(QPageLayout::Orientation orientation);

// Paints pages fromPage to toPage (counted from 1; 0 for "from the first" / "to the last").
// False when the device cannot be painted on.
bool paint(const QTextDocument& document, QPagedPaintDevice& device, int fromPage = 0,
           int toPage = 0);

// Writes the whole report as a PDF file. Empty on success; otherwise a sentence for the user.
QString writePdf(const QTextDocument& document, const QPageLayout& layout, const QString& fileName);

} // namespace ReportPages
