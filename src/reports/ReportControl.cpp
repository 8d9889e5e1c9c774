#include "reports/ReportControl.h"

#include "common/Messages.h"
#include "data/ReportTable.h"
#include "reports/ReportPages.h"
#include "reports/ReportPreview.h"

#include <QGuiApplication>
#include <QTextDocument>

#include <memory>

namespace {

// Shows the wait cursor while a report is made, and never leaves it behind.
class WaitCursor
{
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

ReportValues valuesOf(const QStringList& columns, const QVariantList& row)
{
    ReportValues values;
    for (int i = 0; i < columns.size(); ++i)
        values.insert(columns.at(i), row.value(i));
    return values;
}

ReportData dataOf(const ReportTable& table, const ReportValues& defaults,
                  const ReportControl::RowHook& hook)
{
    ReportData data;
    data.report = defaults;
    if (!table.rows.isEmpty())
        data.report.insert(valuesOf(table.columns, table.rows.first()));
    data.rows.reserve(table.rows.size());
    for (const QVariantList& row : table.rows) {
        ReportValues values = valuesOf(table.columns, row);
        if (hook)
            hook(values, data.report);
        data.rows.append(std::move(values));
    }
    return data;
}

std::unique_ptr<QTextDocument> documentOf(const QString& html)
{
    auto document = std::make_unique<QTextDocument>();
    document->setDocumentMargin(0); // the page layout has the margins
    document->setHtml(html);
    return document;
}

} // namespace

ReportControl::ReportControl(Messages& messages, QWidget* previewOwner)
    : m_messages(messages), m_previewOwner(previewOwner)
{
}

bool ReportControl::run()
{
    QString failure;
    {
        const WaitCursor wait;
        failure = produce();
    }
    if (failure.isEmpty())
        return true;
    m_messages.tell(Messages::Icon::Critical, QStringLiteral("Report"), failure);
    return false;
}

QString ReportControl::produce()
{
    ReportTemplate report;
    QString failure = report.load(m_reportFileName);
    if (!failure.isEmpty())
        return failure;
    ReportTable table;
    failure = ReportTableReader::read(m_dataFile, report.table(), table);
    if (!failure.isEmpty())
        return failure;
    QString html;
    failure = report.render(dataOf(table, m_defaults, m_rowHook), html);
    if (!failure.isEmpty())
        return failure;
    return deliver(documentOf(html),
                   m_orientation.value_or(report.orientation().value_or(QPageLayout::Portrait)));
}

QString ReportControl::deliver(std::unique_ptr<QTextDocument> document,
                               QPageLayout::Orientation orientation)
{
    const QPageLayout layout = ReportPages::a4(orientation);
    if (m_destination == Destination::File)
        return ReportPages::writePdf(*document, layout, m_printFileName);
    auto* preview = new ReportPreview(std::move(document), layout, m_messages, m_previewOwner);
    preview->show();
    preview->activateWindow();
    return {};
}
