#pragma once

#include "reports/ReportTemplate.h"

#include <QPageLayout>
#include <QString>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

class DrillDatabase;
class Messages;
class QWidget;
class ReportPages;
class ReportProgress;
struct ReportTable;

// Runs a report: reads the table its template names from the database, lays the
// template out into pages and sends them to a preview window or to a PDF file. Set the data
// file, the template and the destination, then run. Every failure is told to the user,
// naming the file; a report the user cancels is dropped without a word.
class ReportControl
{
public:
    enum class Destination
    {
        Window,
        File
    };

    // Adds computed values to the rows, all at once, and report-wide ones (totals) to report.
    using RowHook = std::function<void(QList<ReportValues>& rows, ReportValues& report)>;
    // Writes the rows read as a CSV file; empty on success, otherwise a sentence for the user.
    using CsvExport = std::function<QString(const ReportTable& table, const QString& fileName)>;

    // Preview windows become windows of the owner, and close with it.
    explicit ReportControl(Messages& messages, QWidget* previewOwner = nullptr);

    // A database file whose table the report reads through a read-only connection of its own.
    void setDataFile(const QString& filePath);
    // The program's database, read through its own connection: on a server the report tables
    // are the connection's own. It must outlive the runs.
    void setDatabase(const DrillDatabase& db);
    void setReportFileName(const QString& filePath) { m_reportFileName = filePath; }
    // What the report file must hold; it is checked for that before it is used.
    void setReportShape(const ReportShape& shape) { m_shape = shape; }
    void setDestination(Destination destination) { m_destination = destination; }
    // The PDF file written for Destination::File.
    void setPrintFileName(const QString& filePath) { m_printFileName = filePath; }
    // Overrides the orientation the template asks for (portrait when it asks for none).
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    // A report-wide value for a table without rows: the first row's fields win over it.
    void setDefault(const QString& name, const QVariant& value) { m_defaults[name] = value; }
    void setRowHook(RowHook hook) { m_rowHook = std::move(hook); }
    const RowHook& rowHook() const { return m_rowHook; }
    // Offers "Export CSV" in the preview window.
    void setCsvExport(CsvExport csvExport) { m_csvExport = std::move(csvExport); }

    // What a run reads: the template, and the rows of the table it names; or why not.
    struct Source
    {
        std::shared_ptr<const ReportTemplate> report;
        std::shared_ptr<const ReportTable> table;
        QString failure;
    };
    // Reads the template as set now, and the table it names from the program's database. It
    // touches the file and `db` only, so it runs on the thread of the database's connection.
    using Reader = std::function<Source(const DrillDatabase& db)>;
    Reader reader() const;

    // Makes the report. True when it reached its destination; otherwise the user was told why
    // (or cancelled it), and nothing else happened.
    bool run();
    // The same from what a reader read.
    bool run(const Source& source);

private:
    enum class Outcome
    {
        Done,
        Cancelled,
        Failed
    };

    Outcome produce(const Source& source, ReportProgress& progress, QString& failure);
    Outcome deliver(const std::shared_ptr<const ReportPages>& pages,
                    const std::shared_ptr<const ReportTable>& table, ReportProgress& progress,
                    QString& failure);

    Messages& m_messages;
    QWidget* m_previewOwner;
    QString m_dataFile;
    const DrillDatabase* m_database = nullptr;
    QString m_reportFileName;
    ReportShape m_shape;
    Destination m_destination = Destination::Window;
    QString m_printFileName;
    std::optional<QPageLayout::Orientation> m_orientation;
    ReportValues m_defaults;
    RowHook m_rowHook;
    CsvExport m_csvExport;
};
