#pragma once

#include <QList>
#include <QPageLayout>
#include <QString>
#include <QVariantMap>

#include <optional>

// Values the template sees, by name. Field names stand as the table spells them, blanks
// included ({{Drill Date}}). An empty value counts as false in a section ({{#Master}}).
using ReportValues = QVariantMap;

struct ReportData
{
    ReportValues report;      // report-wide values, at the template's top level
    QList<ReportValues> rows; // one per table row, as the list {{#rows}} ... {{/rows}}
};

// A report template: Mustache producing HTML. Its first line is a comment that names the
// table the report reads, and may set the paper orientation:
//     {{! table: PrintDrills; orientation: landscape }}
class ReportTemplate
{
public:
    // Reads and checks the file afresh. Empty on success; otherwise a sentence for the user
    // that names the file.
    QString load(const QString& filePath);

    const QString& table() const { return m_table; }
    std::optional<QPageLayout::Orientation> orientation() const { return m_orientation; }

    // Empty on success, with the HTML in html; otherwise a sentence for the user.
    QString render(const ReportData& data, QString& html) const;

private:
    QString readSettings(const QString& firstLine);
    QString broken(const QString& reason) const;

    QString m_filePath;
    std::string m_text;
    QString m_table;
    std::optional<QPageLayout::Orientation> m_orientation;
};
