#include "history/HistoryWindow.h"

#include "common/DateText.h"
#include "common/Messages.h"
#include "data/DatabaseWorker.h"
#include "data/DrillStore.h"
#include "reports/ListReport.h"
#include "reports/ReportPages.h"
#include "reports/ReportPreview.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QStringList Titles = {QStringLiteral("When"),  QStringLiteral("Year"), QStringLiteral("Who"),
                            QStringLiteral("Field"), QStringLiteral("From"), QStringLiteral("To")};
constexpr int YearColumn = 1;
constexpr int WhoColumn = 2;
constexpr int FieldColumn = 3;

QString localTime(const QDateTime& utc)
{
    const QDateTime local = utc.toLocalTime();
    return DateText::toShort(local.date()) + u' ' + DateText::timeText(local.time());
}

QStringList cellsOf(const ChangeEntry& entry)
{
    return {localTime(entry.when),
            entry.year ? QString::number(entry.year) : QString(),
            entry.who,
            ChangeHistory::captionOf(entry),
            ChangeHistory::shownValue(entry, entry.from),
            ChangeHistory::shownValue(entry, entry.to)};
}

// A list of one year's entries leaves the year to its title.
bool spansYears(const QList<ChangeEntry>& entries)
{
    QSet<int> years;
    for (const ChangeEntry& entry : entries) {
        if (entry.year)
            years.insert(entry.year);
    }
    return years.size() > 1;
}

QString chooseCsvFile(QWidget* parent, const QString& suggested)
{
    return QFileDialog::getSaveFileName(parent, QStringLiteral("Export CSV"), suggested,
                                        QStringLiteral("CSV files (*.csv)"));
}

// The list as a report: titled as the window, with the company and when it was printed.
RenderedReport reportOf(const QString& title, const QString& company, bool withYear)
{
    RenderedReport report;
    report.styleSheet = ListReport::styleSheet();
    report.headerHtml = ListReport::headerHtml(title, company, {});
    report.emptyText = QStringLiteral("No changes recorded.");
    const qreal widths[] = {15, 6, 11, 24, 22, 22};
    for (int column = 0; column < Titles.size(); ++column) {
        if (column != YearColumn || withYear)
            report.columns.append(
                {{}, Titles.at(column), widths[column], Titles.at(column), Qt::AlignLeft, {}});
    }
    return report;
}

} // namespace

HistoryWindow::HistoryWindow(const QString& subject, const QString& company, Reader reader,
                             Messages& messages, QWidget* parent)
    : QDialog(parent), m_subject(subject), m_company(company), m_reader(std::move(reader)),
      m_messages(messages), m_chooseFile(chooseCsvFile)
{
    setObjectName(QStringLiteral("HistoryWindow"));
    setWindowTitle(QStringLiteral("History - %1").arg(subject));
    auto* layout = new QVBoxLayout(this);
    auto* heading = new QLabel(subject, this);
    layout->addWidget(heading);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstChanges"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setHeaderLabels(Titles);
    m_list->setAccessibleName(QStringLiteral("Changes, newest first"));
    heading->setBuddy(m_list);
    layout->addWidget(m_list);
    m_lockedRetry.setSingleShot(true);
    m_lockedRetry.setInterval(1000);
    connect(&m_lockedRetry, &QTimer::timeout, this, [this] {
        if (m_worker)
            readThrough(*m_worker);
        else
            read();
    });

    auto* buttons = new QDialogButtonBox(this);
    auto* print = buttons->addButton(QStringLiteral("&Print..."), QDialogButtonBox::ActionRole);
    print->setObjectName(QStringLiteral("printFormButton"));
    auto* csv = buttons->addButton(QStringLiteral("&Export CSV..."), QDialogButtonBox::ActionRole);
    csv->setObjectName(QStringLiteral("exportCsvButton"));
    buttons->addButton(QDialogButtonBox::Close)->setObjectName(QStringLiteral("closeButton"));
    layout->addWidget(buttons);
    connect(print, &QPushButton::clicked, this, &HistoryWindow::printForm);
    connect(csv, &QPushButton::clicked, this, &HistoryWindow::exportToCsv);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(760, 420);
    m_list->setFocus();
}

bool HistoryWindow::read()
{
    bool locked = false;
    const auto entries = m_reader(&locked);
    if (!entries && !locked)
        return false;
    take(entries, locked);
    return true;
}

void HistoryWindow::readThrough(DatabaseWorker& worker)
{
    m_worker = &worker;
    using Read = std::pair<std::optional<QList<ChangeEntry>>, bool>;
    worker.post(
        this,
        [reader = m_reader](DrillStore& store) {
            return store.withoutWaiting([&](const DrillDatabase&) {
                bool locked = false;
                auto entries = reader(&locked);
                return Read(std::move(entries), locked);
            });
        },
        [this](const Read& read) {
            if (read.first || read.second)
                take(read.first, read.second);
            else
                emit unreadable();
        });
}

void HistoryWindow::take(const std::optional<QList<ChangeEntry>>& entries, bool locked)
{
    m_entries = entries.value_or(QList<ChangeEntry>());
    fillList(locked ? tr("Another user's lock holds up the history: it is read again as soon as "
                         "it ends.")
                    : QStringLiteral("No changes recorded."));
    if (locked)
        m_lockedRetry.start();
}

void HistoryWindow::fillList(const QString& emptyText)
{
    m_list->clear();
    QList<QTreeWidgetItem*> items;
    items.reserve(m_entries.size());
    for (const ChangeEntry& entry : std::as_const(m_entries))
        items.append(new QTreeWidgetItem(cellsOf(entry)));
    if (items.isEmpty())
        items.append(new QTreeWidgetItem(QStringList{emptyText}));
    m_list->addTopLevelItems(items);
    m_list->setCurrentItem(items.first());
    m_list->setColumnHidden(YearColumn, !spansYears(m_entries));
    m_list->header()->resizeSection(0, 150);
    for (const int column : {WhoColumn, FieldColumn})
        fitColumn(column, items);
}

// A column that names who or what changed is as wide as its widest text, and no wider: the
// values get the rest. Its texts are few, so each is measured once.
void HistoryWindow::fitColumn(int column, const QList<QTreeWidgetItem*>& items)
{
    QSet<QString> texts;
    for (const QTreeWidgetItem* item : items)
        texts.insert(item->text(column));
    const QFontMetrics metrics = m_list->fontMetrics();
    int widest = m_list->header()->sectionSizeHint(column);
    for (const QString& text : std::as_const(texts))
        widest = std::max(widest, metrics.horizontalAdvance(text) + 2 * metrics.averageCharWidth());
    m_list->header()->resizeSection(column, widest);
}

void HistoryWindow::printForm()
{
    QList<ReportValues> rows;
    for (const ChangeEntry& entry : std::as_const(m_entries)) {
        ReportValues row;
        const QStringList cells = cellsOf(entry);
        for (int column = 0; column < Titles.size(); ++column)
            row.insert(Titles.at(column), cells.at(column));
        rows.append(row);
    }
    auto pages = std::make_shared<const ReportPages>(
        reportOf(windowTitle(), m_company, spansYears(m_entries)), rows,
        ReportPages::a4(QPageLayout::Landscape));
    auto* preview = new ReportPreview(pages, m_messages, this);
    preview->setAttribute(Qt::WA_DeleteOnClose);
    preview->show();
}

void HistoryWindow::exportToCsv()
{
    const QString fileName = m_chooseFile(this, QStringLiteral("history.csv"));
    if (fileName.isEmpty())
        return;
    const QString failure = ChangeHistory::writeCsv(m_entries, fileName);
    if (!failure.isEmpty())
        m_messages.tell(Messages::Icon::Critical, windowTitle(), failure);
}
