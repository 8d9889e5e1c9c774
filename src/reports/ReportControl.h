#pragma once

#include "reports/ReportTemplate.h"

#include <QPageLayout>
#include <QString>
#include <QVariant>

#include <functional>
#include <optional>

class Messages;
class QTextDocument;
class QWidget;

// Runs a report: reads the table its template names from the database file, renders the
// template and sends the pages to a preview window or to a PDF file. Set the data file, the
// template and the destination, then run. Every failure is told to the user, naming the file.
class ReportControl
{
public:
    enum class Destination
    {
        Window,
        File
    };

    // Adds computed values to a row; report holds the report-wide values, for totals.
    using RowHook = std::function<void(ReportValues& row, ReportValues& report)>;

    // Preview windows become windows of the owner, and close with it.
    explicit ReportControl(Messages& messages, QWidget* previewOwner = nullptr);

    // Data file 0: the database file the report reads.
    void setDataFile(const QString& filePath) { m_dataFile = filePath; }
    void setReportFileName(const QString& filePath) { m_reportFileName = filePath; }
    void setDestination(Destination destination) { m_destination = destination; }
    // The PDF file written for Destination::File.
    void setPrintFileName(const QString& filePath) { m_printFileName = filePath; }
    // Overrides the orientation the template asks for (portrait when it asks for none).
    void setOrientation(QPageLayout::Orientation orientation) { m_orientation = orientation; }
    // A report-wide value for a table without rows: the first row's fields win over it.
    void setDefault(const QString& name, const QVariant& value) { m_defaults[name] = value; }
    void setRowHook(RowHook hook) { m_rowHook = std::move(hook); }

    // Action = 1. True when the report reached its destination; otherwise the user was told
    // why, and nothing else happened.
    bool run();

private:
    QString produce();
    QString deliver(std::unique_ptr<QTextDocument> document, QPageLayout::Orientation orientation);

    Messages& m_messages;
    QWidget* m_previewOwner;
    QString m_dataFile;
    QString m_reportFileName;
    Destination m_destination = Destination::Window;
    QString m_printFileName;
    std::optional<QPageLayout::Orientation> m_orientation;
    ReportValues m_defaults;
    RowHook m_rowHook;
};
