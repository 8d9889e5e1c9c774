#include "due/DueDrillsWindow.h"

#include "common/Clock.h"
#include "common/DrillState.h"
#include "common/Messages.h"
#include "common/ProgramTitle.h"
#include "reports/DueDrillsReport.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// What the counts call the drills due before the grid's blue ends.
const QString DueWithin = QStringLiteral("within 30 days");
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

DueDrillsWindow::DueDrillsWindow(const DrillDatabase& db, Messages& messages, QWidget* parent)
    : QDialog(parent), m_db(db), m_messages(messages)
{
    setObjectName(QStringLiteral("DueDrillsWindow"));
    buildControls();
    resize(720, 480);
}

void DueDrillsWindow::buildControls()
{
    LblCounts = new QLabel(this);
    LblCounts->setObjectName(QStringLiteral("LblCounts"));
    QFont bold = LblCounts->font();
    bold.setBold(true);
    LblCounts->setFont(bold);

    GrdDue = new QTableWidget(0, 5, this);
    GrdDue->setObjectName(QStringLiteral("GrdDue"));
    GrdDue->setAccessibleName(tr("Due drills"));
    GrdDue->setHorizontalHeaderLabels({tr("Status"), QStringLiteral("Scheduled Date"),
                                       QStringLiteral("Ship Name"), tr("Drill"),
                                       QStringLiteral("Ship's Master Name")});
    GrdDue->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GrdDue->setSelectionBehavior(QAbstractItemView::SelectRows);
    GrdDue->setSelectionMode(QAbstractItemView::SingleSelection);
    GrdDue->setTabKeyNavigation(false); // Tab goes on to the buttons
    GrdDue->verticalHeader()->hide();
    GrdDue->horizontalHeader()->setStretchLastSection(true);
    // Enter and a double click both activate a row.
    connect(GrdDue, &QTableWidget::activated, this, &DueDrillsWindow::choose);

    auto* buttons = new QHBoxLayout;
    CmdGoTo = addButton(buttons, this, "CmdGoTo", tr("Go to Drill"));
    CmdPrint = addButton(buttons, this, "CmdPrint", QStringLiteral("Print Preview"));
    buttons->addStretch();
    CmdClose = addButton(buttons, this, "CmdClose", tr("Close"));
    connect(CmdGoTo, &QPushButton::clicked, this, &DueDrillsWindow::choose);
    connect(CmdPrint, &QPushButton::clicked, this, &DueDrillsWindow::printPreview);
    connect(CmdClose, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(LblCounts);
    layout->addWidget(GrdDue);
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
    const QDate today = Clock::today();
    DataFailure failure;
    m_list = DueDrills::read(m_db, m_year, today, dueBefore(today), &failure);
    if (!m_list)
        m_messages.tell(Messages::Icon::Critical, ProgramTitle,
                        tr("The due drills could not be read: %1.").arg(failure.sentence()));
    fill();
}

void DueDrillsWindow::fill()
{
    const QTableWidgetItem* current = GrdDue->item(GrdDue->currentRow(), 0);
    const auto chosen = current ? std::pair(current->data(IdRole), current->data(DrillRole))
                                : std::pair(QVariant(), QVariant());
    const QList<DueDrill> drills = m_list ? m_list->drills() : QList<DueDrill>();
    GrdDue->setRowCount(int(drills.size()));
    int keep = drills.isEmpty() ? -1 : 0;
    for (int row = 0; row < drills.size(); ++row) {
        const QList<QTableWidgetItem*> items = itemsOf(drills.at(row));
        for (int col = 0; col < items.size(); ++col)
            GrdDue->setItem(row, col, items.at(col));
        if (std::pair(items.first()->data(IdRole), items.first()->data(DrillRole)) == chosen)
            keep = row;
    }
    GrdDue->resizeColumnsToContents();
    GrdDue->setCurrentCell(keep, 0);
    const QString counts = m_list ? DueDrillsReport::counts(*m_list, DueWithin) : QString();
    LblCounts->setText(counts);
    GrdDue->setAccessibleDescription(counts);
    CmdGoTo->setEnabled(keep >= 0);
    CmdPrint->setEnabled(m_list.has_value());
}

void DueDrillsWindow::choose()
{
    const QTableWidgetItem* item = GrdDue->item(GrdDue->currentRow(), 0);
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
        DueDrillsReport::preview(*m_list, m_year, m_company, DueWithin, m_messages,
                                 parentWidget() ? parentWidget() : this);
}
