#pragma once

#include <QList>
#include <QPageLayout>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>
#include <string>

// Values the template sees, by name. Field names stand as the table spells them, blanks
// included ({{Drill Date}}). An empty value counts as false in a section ({{#Master}}).
using ReportValues = QVariantMap;

struct ReportData
{
    ReportValues report;      // report-wide values, at the template's top level
    QList<ReportValues> rows; // one per table row
    QStringList fields;       // the names every row has; none: not checked
};

// What the program needs of one of its report files.
struct ReportShape
{
    QString table;             // the table it reads
    bool paintedTable = false; // whether it must list the columns of a painted table
};

// One column of the painted table.
struct ReportColumn
{
    QString group; // a title over neighbouring columns of the same group
    QString title;
    qreal widthPercent = 0; // of the page's width
    QString field;          // the row's value shown in the column
    Qt::Alignment alignment = Qt::AlignLeft;
    QStringList classes; // style classes; "{Field}" takes the class from the row's field
};

// A template filled with one run's values: HTML parts around a table that is painted.
struct RenderedReport
{
    QString styleSheet;          // for the HTML parts and the table
    QString headerHtml;          // before the table; without a table, the whole report
    QString footerHtml;          // after the table
    QString emptyText;           // the table's one line when it has no rows
    QList<ReportColumn> columns; // none: the report has no painted table
    QStringList rowClasses;      // style classes of every row, "{Field}" as for a column
};

// A report template: Mustache producing HTML, in parts. Its first line is a comment that
// names the table the report reads, and may set the paper orientation:
//     {{! table: PrintDrills; orientation: landscape }}
// A line {{! style }}, {{! header }}, {{! columns }}, {{! empty }} or {{! footer }} starts
// that part; text before the first such line is the header. Without a columns part, the
// header is the whole report and sees the rows as the list {{#rows}} ... {{/rows}}.
class ReportTemplate
{
public:
    // Reads and checks the file afresh against what the program needs of it. Empty on
    // success; otherwise a sentence for the user that names the file.
    QString load(const QString& filePath, const ReportShape& shape = {});

    const QString& table() const { return m_table; }
    std::optional<QPageLayout::Orientation> orientation() const { return m_orientation; }
    bool hasTable() const { return !m_parts.columns.empty(); }

    // Empty on success, with the parts in report; otherwise a sentence for the user.
    QString render(const ReportData& data, RenderedReport& report) const;

private:
    struct Parts
    {
        std::string style, header, columns, empty, footer;
    };

    QString readSettings(const QString& firstLine);
    QString readColumns(const QString& text, const QStringList& fields,
                        RenderedReport& report) const;
    QString checkColumns(const RenderedReport& report, const QStringList& fields) const;
    QString broken(const QString& reason) const;

    QString m_filePath;
    ReportShape m_shape;
    bool m_hasColumnsPart = false;
    Parts m_parts;
    QString m_table;
    std::optional<QPageLayout::Orientation> m_orientation;
};
