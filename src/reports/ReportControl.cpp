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

using TableRead = std::function<QString(const QString& table, ReportTable& out)>;

ReportControl::Source readSource(const QString& reportFileName, const ReportShape& shape,
                                 const TableRead& readTable)
{
    ReportControl::Source source;
    auto report = std::make_shared<ReportTemplate>();
    source.failure = report->load(reportFileName, shape);
    if (!source.failure.isEmpty())
        return source;
    auto table = std::make_shared<ReportTable>();
    source.failure = readTable(report->table(), *table);
    source.report = std::move(report);
    source.table = std::move(table);
    return source;
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

ReportControl::Reader ReportControl::reader() const
{
    return [fileName = m_reportFileName, shape = m_shape](const DrillDatabase& db) {
        return readSource(fileName, shape, [&db](const QString& table, ReportTable& out) {
            return ReportTableReader::read(db, table, out);
        });
    };
}

bool ReportControl::run()
{
    Source source;
    {
        const WaitCursor wait;
        source =
            readSource(m_reportFileName, m_shape, [this](const QString& table, ReportTable& out) {
                return m_database ? ReportTableReader::read(*m_database, table, out)
                                  : ReportTableReader::read(m_dataFile, table, out);
            });
    }
    return run(source);
}

bool ReportControl::run(const Source& source)
{
    QString failure = source.failure;
    Outcome outcome = Outcome::Failed;
    if (failure.isEmpty()) {
        const WaitCursor wait;
        ReportProgress progress(m_previewOwner);
        outcome = produce(source, progress, failure);
    }
    if (outcome == Outcome::Failed)
        m_messages.tell(Messages::Icon::Critical, QStringLiteral("Report"), failure);
    return outcome == Outcome::Done;
}

ReportControl::Outcome ReportControl::produce(const Source& source, ReportProgress& progress,
                                              QString& failure)
{
    const ReportData data = dataOf(*source.table, m_defaults, m_rowHook);
    RenderedReport rendered;
    failure = source.report->render(data, rendered);
    if (!failure.isEmpty())
        return Outcome::Failed;
    const QPageLayout layout = ReportPages::a4(
        m_orientation.value_or(source.report->orientation().value_or(QPageLayout::Portrait)));
    return deliver(std::make_shared<const ReportPages>(rendered, data.rows, layout), source.table,
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
