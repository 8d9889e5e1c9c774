// "Due Drills" over the main window: opened from the year bar or by Ctrl+D, it follows the
// shown year and every re-read, and a drill chosen there becomes the grid's current cell.
#include "mainwindow/MainWindow.h"

#include "data/DrillDataSource.h"
#include "due/DueDrillsWindow.h"
#include "mainwindow/DrillColumns.h"
#include "mainwindow/DrillGridView.h"
#include "widgets/Look.h"

#include <QLabel>
#include <QPushButton>

void MainWindow::buildDueDrillsButton()
{
    auto* button = new QPushButton(tr("Due Drills"), this);
    button->setObjectName(QStringLiteral("dueDrillsButton"));
    button->setFont(Look::font(QStringLiteral("Lucida Sans Unicode"), 8.25));
    button->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_D));
    button->setToolTip(
        tr("Due Drills (%1)").arg(button->shortcut().toString(QKeySequence::NativeText)));
    // At the right end of the year label, clear of its centred text.
    Look::place(button, 12015, 1080, 1275, 345);
    connect(button, &QPushButton::clicked, this, &MainWindow::showDueDrills);
}

void MainWindow::showDueDrills()
{
    if (!m_dueDrills) {
        m_dueDrills = new DueDrillsWindow(*m_db, m_messages, this);
        connect(m_dueDrills, &DueDrillsWindow::drillChosen, this, &MainWindow::goToDrill);
        // The list follows the grid: a new year, other users' changes, the user's own edits.
        const auto follow = [this] {
            if (m_dueDrills->isVisible())
                m_dueDrills->showYear(shownYear(), m_companyLabel->text());
        };
        connect(m_yearDrills.get(), &DrillDataSource::refreshed, m_dueDrills, follow);
        connect(m_drills, &DrillGridEditor::cellStored, m_dueDrills, follow);
    }
    m_dueDrills->showYear(shownYear(), m_companyLabel->text());
    m_dueDrills->show();
    m_dueDrills->raise();
    m_dueDrills->activateWindow();
}

void MainWindow::goToDrill(qint64 idDrill, int drill)
{
    if (!m_yearDrills->recordOf(idDrill))
        return; // no longer in the shown year
    hidePanels();
    activateWindow();
    m_drills->goToField(idDrill, DrillColumns::firstOfDrill(drill));
}
