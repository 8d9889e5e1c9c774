#include "reports/ReportControl.h"

#include "common/Messages.h"
#include "data/ReportTable.h"
#include "reports/ReportPages.h"
#include "reports/ReportPreview.h"
#include "reports/ReportProgress.h"

#include <QGuiApplication>

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
    // The fields a row has, with those the hook adds, even when there is no row.
    QList<ReportValues> probe = {valuesOf(table.columns, {})};
    if (hook) {
        ReportValues report = defaults;
        hook(probe, report);
    }
    data.fields = probe.first().keys();
    if (!table.rows.isEmpty())
        data.report.insert(valuesOf(table.columns, table.rows.first()));
    data.rows.reserve(table.rows.size());
    for (const QVariantList& row : table.rows)
        data.rows.append(valuesOf(table.columns, row));
    if (hook)
        hook(data.rows, data.report);
    return data;
}

} // namespace

ReportControl::ReportControl(Messages& messages, QWidget* previewOwner)
    : m_messages(messages), m_previewOwner(previewOwner)
{
}

void ReportControl::setDataFile(const QString& filePath)
{
    m_dataFile = filePath;
    m_database = nullptr;
}

void ReportControl::setDatabase(const DrillDatabase& db)
{
    m_database = &db;
    m_dataFile.clear();
}

bool ReportControl::run()
{
    QString failure;
    Outcome outcome = Outcome::Failed;
    {
        const WaitCursor wait;
        ReportProgress progress(m_previewOwner);
        outcome = produce(progress, failure);
    }
    if (outcome == Outcome::Failed)
        m_messages.tell(Messages::Icon::Critical, QStringLiteral("Report"), failure);
    return outcome == Outcome::Done;
}

ReportControl::Outcome ReportControl::produce(ReportProgress& progress, QString& failure)
{
    ReportTemplate report;
    failure = report.load(m_reportFileName, m_shape);
    if (!failure.isEmpty())
        return Outcome::Failed;
    auto table = std::make_shared<ReportTable>();
    failure = m_database ? ReportTableReader::read(*m_database, report.table(), *table)
                         : ReportTableReader::read(m_dataFile, report.table(), *table);
    if (!failure.isEmpty())
        return Outcome::Failed;
    const ReportData data = dataOf(*table, m_defaults, m_rowHook);
    RenderedReport rendered;
    failure = report.render(data, rendered);
    if (!failure.isEmpty())
        return Outcome::Failed;
    const QPageLayout layout = ReportPages::a4(
        m_orientation.value_or(report.orientation().value_or(QPageLayout::Portrait)));
    return deliver(std::make_shared<const ReportPages>(rendered, data.rows, layout), table,
                   progress, failure);
}

ReportControl::Outcome ReportControl::deliver(const std::shared_ptr<const ReportPages>& pages,
                                              const std::shared_ptr<const ReportTable>& table,
                                              ReportProgress& progress, QString& failure)
{
    if (m_destination == Destination::File) {
        switch (pages->writePdf(m_printFileName, progress.callback())) {
        case ReportPages::Outcome::Painted:
            return Outcome::Done;
        case ReportPages::Outcome::Cancelled:
            return Outcome::Cancelled;
        case ReportPages::Outcome::Failed:
            break;
        }
        failure = ReportPages::pdfFailure(m_printFileName);
        return Outcome::Failed;
    }
    ReportPreview::CsvExport csv;
    if (m_csvExport)
        csv = [table, write = m_csvExport](const QString& fileName) {
            return write(*table, fileName);
        };
    auto* preview = new ReportPreview(pages, m_messages, m_previewOwner, progress.callback(), csv);
    if (preview->paintingCancelled()) {
        delete preview;
        return Outcome::Cancelled;
    }
    preview->show();
    preview->activateWindow();
    return Outcome::Done;
}
