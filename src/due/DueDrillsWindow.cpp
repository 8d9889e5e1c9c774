#include "due/DueDrillsWindow.h"

#include "common/Clock.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "data/DatabaseWorker.h"
#include "data/Dialect.h"
#include "data/DrillStore.h"
#include "reports/DueDrillsReport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor DueBlue(0x00, 0x00, 0xFF); // as the grid colours a due drill

enum Role
{
    IdRole = Qt::UserRole,
    DrillRole
};

QPushButton* addButton(QHBoxLayout* row, QWidget* parent, const char* name, const QString& text)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    row->addWidget(button);
    return button;
}

QList<QTableWidgetItem*> itemsOf(const DueDrill& drill)
{
    QList<QTableWidgetItem*> items = {
        new QTableWidgetItem(DueDrillsReport::groupName(drill.group)),
        new QTableWidgetItem(drill.scheduled.shown()),
        new QTableWidgetItem(drill.shipName),
        new QTableWidgetItem(DueDrillsReport::drillName(drill.drill)),
        new QTableWidgetItem(drill.master),
    };
    items.first()->setData(IdRole, drill.idDrill);
    items.first()->setData(DrillRole, drill.drill);
    for (QTableWidgetItem* item : items) {
        if (drill.group == DueDrill::Group::NotScheduled)
            continue;
        item->setForeground(DueBlue);
        QFont font = item->font();
        font.setBold(drill.group == DueDrill::Group::Overdue);
        item->setFont(font);
    }
    return items;
}

} // namespace

DueDrillsWindow::DueDrillsWindow(DatabaseWorker& worker, Messages& messages, QWidget* parent)
    : QDialog(parent), m_worker(worker), m_messages(messages)
{
    setObjectName(QStringLiteral("DueDrillsWindow"));
    buildControls();
    resize(720, 480);
    m_lockedRetry.setSingleShot(true);
    m_lockedRetry.setInterval(1000);
    connect(&m_lockedRetry, &QTimer::timeout, this, [this] {
        if (isVisible())
            refresh();
    });
}

void DueDrillsWindow::buildControls()
{
    m_countsLabel = new QLabel(this);
    m_countsLabel->setObjectName(QStringLiteral("countsLabel"));
    QFont bold = m_countsLabel->font();
    bold.setBold(true);
    m_countsLabel->setFont(bold);

    m_dueGrid = new QTableWidget(0, 5, this);
    m_dueGrid->setObjectName(QStringLiteral("dueGrid"));
    m_dueGrid->setAccessibleName(tr("Due drills"));
    m_dueGrid->setHorizontalHeaderLabels({tr("Status"), QStringLiteral("Scheduled Date"),
                                          QStringLiteral("Ship Name"), tr("Drill"),
                                          QStringLiteral("Ship's Master Name")});
    m_dueGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_dueGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_dueGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_dueGrid->setTabKeyNavigation(false); // Tab goes on to the buttons
    m_dueGrid->verticalHeader()->hide();
    m_dueGrid->horizontalHeader()->setStretchLastSection(true);
    // Enter and a double click both activate a row.
    connect(m_dueGrid, &QTableWidget::activated, this, &DueDrillsWindow::choose);

    auto* buttons = new QHBoxLayout;
    m_goToButton = addButton(buttons, this, "goToButton", tr("Go to Drill"));
    m_printFormButton =
        addButton(buttons, this, "printFormButton", QStringLiteral("Print Preview"));
    buttons->addStretch();
    m_closeButton = addButton(buttons, this, "closeButton", tr("Close"));
    // Until the list has been read there is nothing to go to or print.
    m_goToButton->setEnabled(false);
    m_printFormButton->setEnabled(false);
    connect(m_goToButton, &QPushButton::clicked, this, &DueDrillsWindow::choose);
    connect(m_printFormButton, &QPushButton::clicked, this, &DueDrillsWindow::printPreview);
    connect(m_closeButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_countsLabel);
    layout->addWidget(m_dueGrid);
    layout->addLayout(buttons);
}

void DueDrillsWindow::showYear(int year, const QString& company)
{
    m_year = year;
    m_company = company;
    setWindowTitle(tr("Due Drills - %1").arg(year));
    refresh();
}

void DueDrillsWindow::refresh()
{
    struct Read
    {
        std::optional<DueDrills> list;
        DataFailure failure;
        bool locked = false;
    };
    const int year = m_year;
    const QDate today = Clock::today();
    m_worker.post(
        this,
        [year, today](DrillStore& store) {
            return store.withoutWaiting([&](const DrillDatabase& db) {
                Read read;
                read.list =
                    DueDrills::read(db, year, today, DueDrills::DefaultDaysAhead, &read.failure);
                read.locked = !read.list && db.dialect().isWaitExceeded(read.failure.number);
                return read;
            });
        },
        [this, year](const Read& read) { take(year, read.list, read.failure, read.locked); });
}

void DueDrillsWindow::take(int year, std::optional<DueDrills> list, const DataFailure& failure,
                           bool locked)
{
    if (year != m_year)
        return; // the window has moved on to another year
    // What was shown stays while locked out, unless it was another year's list.
    if (!locked || m_listYear != m_year)
        m_list = std::move(list);
    m_listYear = m_list ? m_year : 0;
    if (!m_list && !locked)
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The due drills could not be read: %1.").arg(failure.sentence()));
    fill();
    if (locked) {
        showCounts(tr("Another user's lock holds up the due drills: they are read again as soon "
                      "as it ends."));
        m_lockedRetry.start();
    }
}

void DueDrillsWindow::fill()
{
    const QTableWidgetItem* current = m_dueGrid->item(m_dueGrid->currentRow(), 0);
    const auto chosen = current ? std::pair(current->data(IdRole), current->data(DrillRole))
                                : std::pair(QVariant(), QVariant());
    const QList<DueDrill> drills = m_list ? m_list->drills() : QList<DueDrill>();
    m_dueGrid->setRowCount(int(drills.size()));
    int keep = drills.isEmpty() ? -1 : 0;
    for (int row = 0; row < drills.size(); ++row) {
        const QList<QTableWidgetItem*> items = itemsOf(drills.at(row));
        for (int col = 0; col < items.size(); ++col)
            m_dueGrid->setItem(row, col, items.at(col));
        if (std::pair(items.first()->data(IdRole), items.first()->data(DrillRole)) == chosen)
            keep = row;
    }
    m_dueGrid->resizeColumnsToContents();
    m_dueGrid->setCurrentCell(keep, 0);
    showCounts(m_list ? DueDrillsReport::counts(*m_list) : QString());
    m_goToButton->setEnabled(keep >= 0);
    m_printFormButton->setEnabled(m_list.has_value());
}

void DueDrillsWindow::showCounts(const QString& counts)
{
    m_countsLabel->setText(counts);
    m_dueGrid->setAccessibleDescription(counts);
}

void DueDrillsWindow::choose()
{
    const QTableWidgetItem* item = m_dueGrid->item(m_dueGrid->currentRow(), 0);
    if (!item)
        return;
    const qint64 id = item->data(IdRole).toLongLong();
    const int drill = item->data(DrillRole).toInt();
    accept();
    emit drillChosen(id, drill);
}

void DueDrillsWindow::printPreview()
{
    // The preview belongs to the main window: it stays open when this window closes.
    if (m_list)
        DueDrillsReport::preview(*m_list, m_year, m_company, m_messages,
                                 parentWidget() ? parentWidget() : this);
}
